#pragma once

#include "presentation/slideinfo.h"

#include <memory>
#include <string>
#include <vector>

// The thumbnails of a presentation by position (from 0); a slot stays empty
// until its thumbnail is reported. Owns its entries.
class CSlideInfoArray
{
public:
    int GetSize() const { return static_cast<int>(m_entries.size()); }
    // Grows with empty slots or shrinks, deleting the entries cut off.
    void SetSize(int size);
    // The entry at `index`, null for an empty slot or an index outside.
    CSlideInfo* GetAt(int index) const;
    // Stores `entry` at `index` (inside the array), deleting the one there.
    bool SetAt(int index, std::unique_ptr<CSlideInfo> entry);
    // Deletes every entry, empties the array and clears the text.
    void RemoveAll();

    std::string Text;

private:
    std::vector<std::unique_ptr<CSlideInfo>> m_entries;
};
