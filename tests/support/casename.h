#pragma once

#include <cctype>
#include <gtest/gtest.h>
#include <string>

// The name of a parameterised test made from a description of its case:
// letters and digits kept, every other run of characters one '_'. Readable
// in the list of tests, and the same in every build.
inline std::string CaseNameOf(const std::string& text)
{
    std::string name;
    bool gap = false;
    for (const char c : text) {
        const bool keep =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!keep) {
            gap = !name.empty();
            continue;
        }
        if (gap)
            name += '_';
        gap = false;
        name += c;
    }
    return name.empty() ? std::string("empty") : name;
}

// The name of a case made from a value whose punctuation matters (file
// names, typed replies): letters and digits kept, blanks separate, every
// other character spelled out ("../x" is "dot_dot_slash_x").
inline std::string CaseNameSpelled(const std::string& text)
{
    std::string name;
    const auto add = [&name](const std::string& part) {
        if (!name.empty() && name.back() != '_')
            name += '_';
        name += part;
    };
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            if (!name.empty() && !std::isalnum(static_cast<unsigned char>(name.back())) &&
                name.back() != '_')
                name += '_';
            name += c;
            continue;
        }
        switch (c) {
        case ' ':
            if (!name.empty() && name.back() != '_')
                name += '_';
            continue;
        case '.':
            add("dot");
            break;
        case '/':
            add("slash");
            break;
        case '\\':
            add("backslash");
            break;
        case '-':
            add("minus");
            break;
        case '!':
            add("bang");
            break;
        case '\n':
            add("nl");
            break;
        case '\t':
            add("tab");
            break;
        case '\0':
            add("nul");
            break;
        default: {
            static const char digits[] = "0123456789ABCDEF";
            add(std::string("x") + digits[u >> 4] + digits[u & 15]);
            break;
        }
        }
        name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name.empty() ? std::string("empty") : name;
}

// For INSTANTIATE_TEST_SUITE_P: names each case after its `what` field.
struct CaseWhat
{
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& info) const
    {
        return CaseNameOf(info.param.what);
    }
};
