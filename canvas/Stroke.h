#pragma once

#include "Pixel.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lumetra {

// A line's end points in twips as a run works them out, before they reach a canvas.
struct Segment {
    double x1, y1, x2, y2;
};

// One line as it was asked for: end points in twips, and the width in pixels of factor 1.
struct Stroke {
    float x1, y1, x2, y2;
    Pixel colour;
    int width;
    // bit for bit: a repeat is the very same call
    bool operator==(const Stroke& o) const { return sameWords(words(), o.words()); }
    // The three words that the stroke's bytes make, put together from its fields: a
    // stroke just made is then never stored and read back as wider words, which the
    // processor cannot forward from the narrower stores and waits for.
    std::array<std::uint64_t, 3> words() const
    {
        static_assert(sizeof(Stroke) == 3 * sizeof(std::uint64_t) && std::endian::native == std::endian::little);
        const auto pair = [](auto lo, auto hi) {
            return std::uint64_t{std::bit_cast<std::uint32_t>(lo)} | std::uint64_t{std::bit_cast<std::uint32_t>(hi)} << 32;
        };
        return {pair(x1, y1), pair(x2, y2), pair(colour, width)};
    }
    // Whether this stroke, one kept in memory for some time, is `fresh`: its own words are
    // read whole, as the three they are, not put together from six fields.
    bool sameAs(const Stroke& fresh) const
    {
        std::array<std::uint64_t, 3> stored;
        std::memcpy(stored.data(), this, sizeof stored);
        return sameWords(stored, fresh.words());
    }

private:
    static bool sameWords(const std::array<std::uint64_t, 3>& a, const std::array<std::uint64_t, 3>& b)
    {
        return ((a[0] ^ b[0]) | (a[1] ^ b[1]) | (a[2] ^ b[2])) == 0;
    }
};

// The three words in a chain: two independent products would be paired into one vector
// multiply, which the browser has to build from narrower ones (three times the work).
inline std::size_t hashStroke(const Stroke& k)
{
    const auto w = k.words();
    std::uint64_t h = w[0] * 0x9E3779B97F4A7C15ull;
    h = (h ^ w[1]) * 0xC2B2AE3D27D4EB4Full;
    h = (h ^ w[2]) * 0x165667B19E3779F9ull;
    return static_cast<std::size_t>(h ^ (h >> 29) ^ (h >> 47));
}

} // namespace lumetra
