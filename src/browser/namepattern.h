#pragma once

#include <string>
#include <vector>

// A pattern list such as "*.ppt; *.JPG" split at ';', blanks trimmed and
// empty parts dropped. Matching ignores ASCII case; "*.*" matches every
// name, with or without a dot, as users of file dialogs expect.
class CNamePattern
{
public:
    explicit CNamePattern(const std::string& list = "*.*");
    const std::vector<std::string>& Parts() const { return m_parts; }
    // The index of the first part that matches `name`, or -1.
    int FirstMatch(const std::string& name) const;
    static bool Matches(const std::string& pattern, const std::string& name);

private:
    std::vector<std::string> m_parts;
};
