#pragma once

#include <array>
#include <cstdint>

// The values of the effect dialog: the 11 Disolve elements of one image cell.
struct CEffectData
{
    std::array<int32_t, 11> disolve{0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0};
};
