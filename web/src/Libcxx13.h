#pragma once

// What emscripten's libc++ (13) lacks of C++20 and the shared sources use; the web build
// includes this first in every file.
//
// It writes integers with std::to_chars but not doubles. The page must write the very
// texts the desktop writes ("1.7", "0.75" and the numbers in error reports), so doubles
// get the same shortest round-trip form here.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace lumetra::web {

// The fewest significant digits that read back as the same double, written plain
// (fixed) or scientific, whichever is shorter, plain on a tie; a plain whole number is
// written with all its digits.
inline std::to_chars_result shortestChars(char* first, char* last, double value)
{
    char text[40];
    if (value != value || value - value != 0) { // not finite
        std::snprintf(text, sizeof text, "%s%s", value < 0 ? "-" : "", value != value ? "nan" : "inf");
    } else if (value == 0) {
        std::snprintf(text, sizeof text, "%s", std::signbit(value) ? "-0" : "0");
    } else {
        char e[40];
        for (int precision = 0; precision < 17; ++precision) {
            std::snprintf(e, sizeof e, "%.*e", precision, value);
            if (std::strtod(e, nullptr) == value)
                break;
        }
        // e is [-]d[.ddd]e±xx
        const bool negative = e[0] == '-';
        std::string digits;
        const char* p = e + (negative ? 1 : 0);
        for (; *p != 'e'; ++p)
            if (*p != '.')
                digits += *p;
        const int exponent = std::atoi(p + 1);
        std::string scientific = digits.substr(0, 1);
        if (digits.size() > 1)
            scientific += "." + digits.substr(1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "e%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
        scientific += exp;
        std::string fixed;
        const int n = static_cast<int>(digits.size());
        if (exponent < 0) {
            fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        } else if (exponent >= n - 1) {
            // a whole number: all its digits, as exact as the double is, not the shortest ones padded with zeros
            char whole[400];
            std::snprintf(whole, sizeof whole, "%.0f", negative ? -value : value);
            fixed = whole;
        } else {
            const auto point = static_cast<std::size_t>(exponent) + 1;
            fixed = digits.substr(0, point) + "." + digits.substr(point);
        }
        const std::string& shorter = scientific.size() < fixed.size() ? scientific : fixed;
        std::snprintf(text, sizeof text, "%s%s", negative ? "-" : "", shorter.c_str());
    }
    const std::size_t size = std::strlen(text);
    if (static_cast<std::size_t>(last - first) < size)
        return {last, std::errc::value_too_large};
    std::memcpy(first, text, size);
    return {first + size, std::errc{}};
}

} // namespace lumetra::web

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
#include <bit>

namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept
{
    return __builtin_bit_cast(To, from);
}

inline to_chars_result to_chars(char* first, char* last, double value)
{
    return lumetra::web::shortestChars(first, last, value);
}
} // namespace std
#endif
