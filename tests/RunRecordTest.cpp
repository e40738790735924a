// What a run showed, in words and in a tone: the bright bands of constructed curves, the
// description's Czech, and the tone's length, pitch and smoothness.
#include "RunRecord.h"
#include "Tone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace lumetra::window;

namespace {

constexpr int points = LastRun::lastPoint + 1;

std::vector<double> curve(const std::function<double(double)>& f)
{
    std::vector<double> p(points);
    for (int d = 0; d < points; ++d)
        p[static_cast<std::size_t>(d)] = f(d);
    return p;
}

lumetra::sim::SweepConstants someRun()
{
    return {lumetra::sim::Geometry{}, lumetra::sim::RunParameters{}, 0};
}

double bump(double d, double at, double width, double height)
{
    return height * std::exp(-(d - at) * (d - at) / (2 * width * width));
}

// Zero crossings upwards in samples [from, to) per second: the pitch there.
double pitchIn(const std::vector<float>& s, std::size_t from, std::size_t to)
{
    int rises = 0;
    for (std::size_t k = from + 1; k < to; ++k)
        rises += s[k - 1] < 0 && s[k] >= 0;
    return rises * static_cast<double>(toneSampleRate) / static_cast<double>(to - from);
}

} // namespace

TEST(BrightBands, LocalMaximaAboveATenthOfTheHighest)
{
    struct Case {
        const char* what;
        std::vector<double> p;
        int bands;
        int brightest;
    };
    const double pi = std::acos(-1.0);
    const Case cases[] = {
        {"no run", {}, 0, 0},
        {"dark everywhere", std::vector<double>(points, 0.0), 0, 0},
        {"one band", curve([](double d) { return bump(d, 3500, 300, 2); }), 1, 3500},
        {"a slit's pattern: side lobes under a tenth are dark",
         curve([&](double d) {
             const double x = (d - 3000) / 250 * pi;
             return x == 0 ? 1 : std::pow(std::sin(x) / x, 2);
         }),
         1, 3000},
        {"three bands, a fourth too faint",
         curve([](double d) {
             return bump(d, 1000, 150, 1) + bump(d, 3000, 150, 0.5) + bump(d, 5000, 150, 0.2) + bump(d, 6500, 150, 0.09);
         }),
         3, 1000},
        {"ripples on a band are one band; two bands parted by dark are two",
         curve([](double d) {
             const double bands = bump(d, 2000, 500, 1) + bump(d, 5000, 300, 0.6);
             return bands + (bands > 0.3 ? 0.05 * std::sin(d / 15) : 0); // a ripple's crest at 2003
         }),
         2, 2003},
        {"flat tops count once, the bottom edge counts, the topmost of equals is the brightest",
         curve([](double d) { return d >= 2000 && d < 2400 ? 1.0 : (d > 6000 ? 1.0 - (7000 - d) / 4000 : 0.0); }), 2,
         2000},
        {"not a number is not a band",
         curve([](double d) { return d == 100 ? std::numeric_limits<double>::quiet_NaN() : bump(d, 4000, 200, 1); }), 1,
         4000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(brightBands(c.p), c.bands) << c.what;
        LastRun run(someRun());
        run.probability = c.p;
        EXPECT_EQ(run.brightest(), c.brightest) << c.what;
    }
}

TEST(Description, NamesTheSettingsThePeakTheBandsTheDotsAndTheClearingInCzech)
{
    LastRun run(someRun());
    run.colour = "Zelená";
    run.medium = "1.7";
    run.angle = "45";
    run.frequency = "0.75";
    run.probability = curve([](double d) { return bump(d, 3500, 300, 2); });
    run.dots = 1234;
    EXPECT_EQ(describe(run), "Běh skončil. Barva Zelená, prostředí sklo (index lomu 1.7), úhel dopadu 45°. "
                             "Nejvyšší pravděpodobnost je v bodě 3500 stínítka (0 nahoře, 7000 dole). "
                             "Sloupce tvoří 1 světlý pruh. Nakresleno fotonů: 1234. Dřívější sloupce smazány.");

    // the medium by the texts its options write; Czech counts
    run.medium = "1";
    run.probability = curve([](double d) { return bump(d, 1000, 100, 1) + bump(d, 2000, 100, 1) + bump(d, 3000, 100, 1); });
    run.keptEarlier = true;
    std::string said = describe(run);
    EXPECT_NE(said.find("prostředí vzduch (index lomu 1)"), std::string::npos) << said;
    EXPECT_NE(said.find("tvoří 3 světlé pruhy."), std::string::npos) << said;
    EXPECT_NE(said.find("Dřívější sloupce zůstaly (odpověď Ne)."), std::string::npos) << said;
    run.medium = "1.70";
    run.probability = curve([](double d) { return bump(d, 700 * std::floor(d / 700) + 350, 60, 1); });
    said = describe(run);
    EXPECT_NE(said.find("prostředí index lomu 1.70,"), std::string::npos) << said;
    EXPECT_NE(said.find("tvoří 10 světlých pruhů."), std::string::npos) << said;
}

TEST(Tone, ThreeSecondsRisingTwoOctavesWithTheProbabilitySmoothAndFaded)
{
    // probability rising along the screen: the pitch glides from the lowest two octaves up
    const auto rising = curve([](double d) { return d / LastRun::lastPoint; });
    const std::vector<float> s = toneOf(rising);
    ASSERT_EQ(s.size(), static_cast<std::size_t>(toneSeconds * toneSampleRate));
    EXPECT_DOUBLE_EQ(pitchAt(rising, 0), toneLowest);
    EXPECT_DOUBLE_EQ(pitchAt(rising, 1), toneLowest * 4);
    EXPECT_NEAR(pitchAt(rising, 0.5), toneLowest * 2, 0.01);
    const std::size_t tenth = s.size() / 30; // a tenth of a second
    EXPECT_NEAR(pitchIn(s, 0, tenth), toneLowest * 1.03, 15);
    EXPECT_NEAR(pitchIn(s, s.size() - tenth, s.size()), toneLowest * 4 / 1.03, 30);

    // no clicks: it starts and ends in silence, and no step between samples is larger
    // than the highest pitch can make
    EXPECT_EQ(s.front(), 0.0f);
    EXPECT_LT(std::fabs(s.back()), 0.01f);
    const double largestStep = toneLoudness * 2 * std::acos(-1.0) * toneLowest * 4 / toneSampleRate;
    float loudest = 0;
    for (std::size_t k = 1; k < s.size(); ++k) {
        ASSERT_LE(std::fabs(s[k] - s[k - 1]), largestStep * 1.01) << k;
        loudest = std::max(loudest, std::fabs(s[k]));
    }
    EXPECT_NEAR(loudest, toneLoudness, 0.01);

    // a band in the middle is heard as a rise and a fall; the dark stays low
    const auto band = curve([](double d) { return bump(d, 3500, 600, 5); });
    const std::vector<float> b = toneOf(band);
    EXPECT_NEAR(pitchIn(b, 0, tenth), toneLowest, 15);
    EXPECT_NEAR(pitchIn(b, b.size() / 2 - tenth / 2, b.size() / 2 + tenth / 2), toneLowest * 4, 40);

    // nothing to hear, or nothing but dark: no samples, or the lowest pitch; never a NaN
    EXPECT_TRUE(toneOf({}).empty());
    auto odd = std::vector<double>(points, 0.0);
    odd[10] = std::numeric_limits<double>::quiet_NaN();
    odd[20] = std::numeric_limits<double>::infinity();
    for (float v : toneOf(odd))
        ASSERT_TRUE(std::isfinite(v));
    EXPECT_NEAR(pitchIn(toneOf(odd), 0, s.size()), toneLowest, 2);
}
