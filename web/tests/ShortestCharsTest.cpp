// The page writes doubles with its own shortest round-trip form (emscripten's libc++ has
// none); it must give the very texts the desktop's library gives.
#include "Libcxx13.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

std::string desktop(double v)
{
    std::array<char, 64> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), end);
}

std::string page(double v)
{
    std::array<char, 64> buf{};
    const auto [end, ec] = lumetra::web::shortestChars(buf.data(), buf.data() + buf.size(), v);
    EXPECT_EQ(ec, std::errc{});
    return std::string(buf.data(), end);
}

TEST(ShortestChars, WritesWhatTheDesktopWrites)
{
    for (double v : {1.7, 0.75, 0.5, 1.0, 0.0, -0.0, 1e16, 1e15, 123456789012.0, 1.5e-5, 0.0001, 1e-7, 0.1 + 0.2,
                     2.0 / 3, 1e300, -1e-300, 5e-324, std::numeric_limits<double>::max(), 9007199254740993.0,
                     100.0, 1234.5, -0.000123, 3.4028234663852886e38, 65536.0})
        EXPECT_EQ(page(v), desktop(v)) << "for " << desktop(v);

    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::uniform_int_distribution<std::uint64_t> bits;
    int differing = 0;
    for (int i = 0; i < 50000; ++i) {
        const double decimal = mantissa(rng) * std::pow(10.0, exponent(rng)) * (i % 2 ? 1 : -1);
        double any = 0;
        do {
            const std::uint64_t b = bits(rng);
            any = std::bit_cast<double>(b);
        } while (!std::isfinite(any));
        differing += page(decimal) != desktop(decimal);
        differing += page(any) != desktop(any);
    }
    EXPECT_EQ(differing, 0);
}

TEST(ShortestChars, RefusesTooSmallABuffer)
{
    std::array<char, 3> buf{};
    EXPECT_EQ(lumetra::web::shortestChars(buf.data(), buf.data() + buf.size(), 1.25).ec, std::errc::value_too_large);
}

} // namespace
