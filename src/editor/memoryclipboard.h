#pragma once

#include "editor/cellclipboard.h"

#include <utility>

// A clipboard in memory: the command line's and the tests'. Formats keep the
// order in which they were added; AddData adds a format without emptying.
class CMemoryClipboard : public CCellClipboard
{
public:
    std::vector<std::string> Formats() const override;
    QByteArray Data(const std::string& format) const override;
    bool SetData(const std::string& format, const QByteArray& bytes) override;
    void Clear() override { m_entries.clear(); }

    void AddData(const std::string& format, const QByteArray& bytes);
    // Makes SetData fail, as a clipboard that cannot be opened.
    void SetLocked(bool locked) { m_locked = locked; }

private:
    std::vector<std::pair<std::string, QByteArray>> m_entries;
    bool m_locked = false;
};
