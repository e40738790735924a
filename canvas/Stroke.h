#pragma once

#include "Pixel.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lumetra {

// One line as it was asked for: end points in twips, and the width in pixels of factor 1.
struct Stroke {
    float x1, y1, x2, y2;
    Pixel colour;
    int width;
    // bit for bit: a repeat is the very same call. Three words, not memcmp, which the
    // browser's build would call rather than inline.
    bool operator==(const Stroke& o) const
    {
        static_assert(sizeof(Stroke) == 3 * sizeof(std::uint64_t));
        std::uint64_t a[3], b[3];
        std::memcpy(a, this, sizeof a);
        std::memcpy(b, &o, sizeof b);
        return ((a[0] ^ b[0]) | (a[1] ^ b[1]) | (a[2] ^ b[2])) == 0;
    }
};

inline std::size_t hashStroke(const Stroke& k)
{
    const auto pair = [](float a, float b) {
        return std::uint64_t{std::bit_cast<std::uint32_t>(a)} | std::uint64_t{std::bit_cast<std::uint32_t>(b)} << 32;
    };
    std::uint64_t h = pair(k.x1, k.y1) * 0x9E3779B97F4A7C15ull;
    h ^= pair(k.x2, k.y2) * 0xC2B2AE3D27D4EB4Full;
    h ^= (std::uint64_t{k.colour} | std::uint64_t(static_cast<std::uint32_t>(k.width)) << 32) * 0x165667B19E3779F9ull;
    return static_cast<std::size_t>(h ^ (h >> 29) ^ (h >> 47));
}

} // namespace lumetra
