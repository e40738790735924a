#include "Convert.h"

#include "Errors.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace lumetra {

std::string toText(long long value)
{
    std::array<char, 32> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    (void)ec;
    return std::string(buf.data(), end);
}

std::string toText(int value) { return toText(static_cast<long long>(value)); }

std::string toText(double value)
{
    std::array<char, 64> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    (void)ec;
    return std::string(buf.data(), end);
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Accepts [+|-] digits [. digits] [e|E [+|-] digits], with digits on at least one side
// of the point. Everything else, hex, "inf" and "nan" included, is no number.
bool isDecimal(std::string_view s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t intDigits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++intDigits;
    }
    std::size_t fracDigits = 0;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    return i == s.size();
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<double> wholeNumber(std::string_view text) noexcept
{
    const std::string_view s = trimmed(text);
    // exact as they stand, with no need of the library's parser
    if (s.empty() || s.size() > 15 || !std::all_of(s.begin(), s.end(), isDigit))
        return std::nullopt;
    long long whole = 0;
    for (char c : s)
        whole = whole * 10 + (c - '0');
    return static_cast<double>(whole);
}

double toNumber(std::string_view text, std::string_view where)
{
    // plain whole numbers, as the program writes them and a run reads them at every point
    if (const auto whole = wholeNumber(text))
        return *whole;
    const std::string_view s = trimmed(text);
    if (!isDecimal(s))
        throw NotANumber(std::string(text), std::string(where));

    // strtod_l in the C locale: '.' whatever the user's locale; underflow gives a
    // tiny value or zero, overflow gives infinity, which we refuse.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    std::string copy(s);
    char* end = nullptr;
    double value = strtod_l(copy.c_str(), &end, cLocale);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value))
        throw NotANumber(std::string(text), std::string(where));
    return value;
}

std::string quoteForReport(std::string_view text)
{
    constexpr std::size_t maxShown = 60;
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "„";
    std::size_t shown = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        const bool startsLetter = (c & 0xC0) != 0x80;
        // a letter is at most four bytes; more is no text but a run of stray bytes
        if ((startsLetter && shown++ == maxShown) || out.size() > 4 * maxShown) {
            out += "…";
            break;
        }
        if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    out += "“";
    return out;
}

NotANumber::NotANumber(std::string text, std::string where)
    : Failure("Text " + quoteForReport(text) + (where.empty() ? std::string() : " " + where) + " není číslo."),
      text_(std::move(text))
{
}

} // namespace lumetra
