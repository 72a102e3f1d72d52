#include "presentation/slideinfoarray.h"

void CSlideInfoArray::SetSize(int size)
{
    m_entries.resize(static_cast<size_t>(size < 0 ? 0 : size));
}

CSlideInfo* CSlideInfoArray::GetAt(int index) const
{
    return index >= 0 && index < GetSize() ? m_entries[static_cast<size_t>(index)].get() : nullptr;
}

bool CSlideInfoArray::SetAt(int index, std::unique_ptr<CSlideInfo> entry)
{
    if (index < 0 || index >= GetSize())
        return false;
    m_entries[static_cast<size_t>(index)] = std::move(entry);
    return true;
}

void CSlideInfoArray::RemoveAll()
{
    m_entries.clear();
    Text.clear();
}
