#pragma once

#include "Pixel.h"

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

// The three words in a chain: two independent products would be paired into one vector
// multiply, which the browser has to build from narrower ones (three times the work).
inline std::size_t hashStroke(const Stroke& k)
{
    std::uint64_t w[3];
    std::memcpy(w, &k, sizeof w);
    std::uint64_t h = w[0] * 0x9E3779B97F4A7C15ull;
    h = (h ^ w[1]) * 0xC2B2AE3D27D4EB4Full;
    h = (h ^ w[2]) * 0x165667B19E3779F9ull;
    return static_cast<std::size_t>(h ^ (h >> 29) ^ (h >> 47));
}

} // namespace lumetra
