#include "Convert.h"
#include "Errors.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

using namespace lumetra;

TEST(NumberToText, WritesIntegersAsPlainDigits)
{
    EXPECT_EQ(toText(45), "45");
    EXPECT_EQ(toText(0), "0");
    EXPECT_EQ(toText(1), "1");
    EXPECT_EQ(toText(20000), "20000");
}

TEST(NumberToText, WritesDoublesInShortestFormWithAPoint)
{
    EXPECT_EQ(toText(1.7), "1.7");
    EXPECT_EQ(toText(0.75), "0.75");
    EXPECT_EQ(toText(0.5), "0.5");
    EXPECT_EQ(toText(1.0), "1");
    EXPECT_EQ(toText(45.0), "45");
    EXPECT_EQ(toText(20000.0), "20000");
}

TEST(NumberToText, IgnoresTheUsersLocale)
{
    const char* czech = std::setlocale(LC_ALL, "cs_CZ.UTF-8");
    EXPECT_EQ(toText(1.7), "1.7");
    EXPECT_DOUBLE_EQ(toNumber("1.7"), 1.7);
    if (czech)
        std::setlocale(LC_ALL, "C");
}

TEST(TextToNumber, RoundTripsWhatTheProgramWrites)
{
    for (double v : {1.7, 0.75, 0.5, 1.0, 45.0, 90.0, 0.0, 20000.0, 10000.0, 0.1, 123.456e-7})
        EXPECT_EQ(toNumber(toText(v)), v) << toText(v);
    for (int v : {0, 1, 45, 90, 20000})
        EXPECT_EQ(toNumber(toText(v)), v);
}

TEST(TextToNumber, AcceptsDecimalFormsAndSurroundingSpaces)
{
    EXPECT_EQ(toNumber("90.0"), 90.0);
    EXPECT_EQ(toNumber(" 45 "), 45.0);
    EXPECT_EQ(toNumber("+2"), 2.0);
    EXPECT_EQ(toNumber("-3.5"), -3.5);
    EXPECT_EQ(toNumber(".5"), 0.5);
    EXPECT_EQ(toNumber("5."), 5.0);
    EXPECT_EQ(toNumber("1e3"), 1000.0);
    EXPECT_EQ(toNumber("1E-2"), 0.01);
    EXPECT_TRUE(std::signbit(toNumber("-0")));
    // too small to hold is no error: it is (nearly) zero
    EXPECT_GE(toNumber("1e-320"), 0.0);
    EXPECT_LT(toNumber("1e-320"), 1e-300);
    EXPECT_EQ(toNumber("1e-400"), 0.0);
}

TEST(TextToNumber, RejectsWhatIsNotADecimalNumber)
{
    for (const char* bad : {"", " ", "abc", "1.7x", "1,7", "nan", "NaN", "inf", "-inf", "infinity", "0x10",
                            "0x1p3", "1e", "1e+", ".", "-", "+-1", "1 2", "\t1", "1\n", "1e400", "-1e400",
                            "Zelená", "１"}) {
        EXPECT_THROW(toNumber(bad), NotANumber) << '"' << bad << '"';
    }
    const std::string thousandDigits(1000, '9');
    EXPECT_THROW(toNumber(thousandDigits), NotANumber);
    EXPECT_EQ(toNumber("0." + thousandDigits), 1.0);
}

TEST(TextToNumber, ReportNamesTheTextAndTheBox)
{
    try {
        toNumber("abc", "v poli pro kmitočet (nKmitočet)");
        FAIL();
    } catch (const NotANumber& e) {
        EXPECT_EQ(std::string(e.what()), "Text „abc“ v poli pro kmitočet (nKmitočet) není číslo.");
        EXPECT_EQ(e.text(), "abc");
    }
}

TEST(TextToNumber, ReportShowsControlCharactersAndCutsLongTexts)
{
    EXPECT_EQ(quoteForReport(std::string("a\x01" "b", 3)), "„a\\x01b“");
    const std::string longText(200, 'x');
    const std::string quoted = quoteForReport(longText);
    EXPECT_LT(quoted.size(), 80u);
    EXPECT_NE(quoted.find("…"), std::string::npos);
    // letters are never cut in half
    EXPECT_EQ(quoteForReport(std::string(59, 'a') + "čč"), "„" + std::string(59, 'a') + "č…“");
}

TEST(TextToNumber, ReportStaysShortForStrayBytes)
{
    // not text at all: a long run of UTF-8 continuation bytes
    const std::string stray(5000, '\x82');
    EXPECT_LT(quoteForReport(stray).size(), 300u);
    try {
        toNumber(stray);
        FAIL();
    } catch (const NotANumber& e) {
        EXPECT_LT(std::string(e.what()).size(), 400u);
    }
}
