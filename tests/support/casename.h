#pragma once

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

// For INSTANTIATE_TEST_SUITE_P: names each case after its `what` field.
struct CaseWhat
{
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& info) const
    {
        return CaseNameOf(info.param.what);
    }
};
