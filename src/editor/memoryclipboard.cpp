#include "editor/memoryclipboard.h"

std::vector<std::string> CMemoryClipboard::Formats() const
{
    std::vector<std::string> formats;
    for (const auto& [format, bytes] : m_entries)
        formats.push_back(format);
    return formats;
}

QByteArray CMemoryClipboard::Data(const std::string& format) const
{
    for (const auto& [name, bytes] : m_entries)
        if (name == format)
            return bytes;
    return {};
}

bool CMemoryClipboard::SetData(const std::string& format, const QByteArray& bytes)
{
    if (m_locked)
        return false;
    m_entries.clear();
    m_entries.emplace_back(format, bytes);
    return true;
}

void CMemoryClipboard::AddData(const std::string& format, const QByteArray& bytes)
{
    for (auto& [name, data] : m_entries) {
        if (name == format) {
            data = bytes;
            return;
        }
    }
    m_entries.emplace_back(format, bytes);
}
