#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One custom show of a presentation: its name and its slides' identifiers
// in show order.
class CPptNamedSlideShow
{
public:
    CPptNamedSlideShow(std::string name, std::vector<uint32_t> slideIds)
        : m_name(std::move(name)), m_slideIds(std::move(slideIds))
    {}

    const std::string& Name() const { return m_name; }
    const std::vector<uint32_t>& SlideIDs() const { return m_slideIds; }

private:
    std::string m_name;
    std::vector<uint32_t> m_slideIds;
};
