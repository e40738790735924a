#include "Rng.h"

#include <bit>
#include <cstring>

namespace lumetra {

namespace {
constexpr std::uint32_t mask24 = 0xFFFFFFu;
// Full period modulo 2^24: odd increment, multiplier ≡ 1 (mod 4).
constexpr std::uint32_t multiplier = 1664525u;
constexpr std::uint32_t increment = 0x3C6EF35Fu & mask24;
} // namespace

void Rng::Randomize(double seed)
{
    const auto bits = std::bit_cast<std::uint64_t>(seed);
    const auto folded = static_cast<std::uint32_t>(bits ^ (bits >> 32));
    const std::uint32_t mixed = (folded ^ (folded >> 16)) & 0xFFFFu;
    state_ = (mixed << 8) | (state_ & 0xFFu);
}


float Rng::Rnd()
{
    state_ = (state_ * multiplier + increment) & mask24;
    // exact in single precision, and always below 1
    return static_cast<float>(state_) / 16777216.0f;
}

} // namespace lumetra
