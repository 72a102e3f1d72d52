#pragma once

#include <string>
#include <string_view>

// ASCII case folding, the one the program uses wherever case is ignored
// (file extensions, names on a card, names inside a presentation file):
// only A-Z and a-z change; every other byte, UTF-8 sequences included,
// stays as it is, whatever the locale.
class CAsciiCase
{
public:
    static constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
    static constexpr char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
    static std::string Lower(std::string text)
    {
        for (char& c : text)
            c = Lower(c);
        return text;
    }
    static std::string Upper(std::string text)
    {
        for (char& c : text)
            c = Upper(c);
        return text;
    }
    static constexpr bool Equal(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (Lower(a[i]) != Lower(b[i]))
                return false;
        return true;
    }
    static constexpr bool EndsWith(std::string_view text, std::string_view tail)
    {
        return text.size() >= tail.size() && Equal(text.substr(text.size() - tail.size()), tail);
    }
};
