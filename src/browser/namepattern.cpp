#include "browser/namepattern.h"

#include <cctype>

namespace {

char lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

CNamePattern::CNamePattern(const std::string& list)
{
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string part = trimmed(list.substr(start, end - start));
        if (!part.empty())
            m_parts.push_back(part == "*.*" ? "*" : part);
        start = end + 1;
    }
}

int CNamePattern::FirstMatch(const std::string& name) const
{
    for (size_t i = 0; i < m_parts.size(); ++i) {
        if (Matches(m_parts[i], name))
            return int(i);
    }
    return -1;
}

bool CNamePattern::Matches(const std::string& pattern, const std::string& name)
{
    // Iterative wildcard match with one back-track point for the last '*'.
    size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}
