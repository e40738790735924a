#include "Convert.h"
#include "Display.h"
#include "Errors.h"
#include "Optics.h"
#include "RunHelpers.h"
#include "Setup.h"
#include "Start.h"
#include "Sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

using namespace lumetra;
using namespace lumetra::test;
using namespace lumetra::sim;

namespace {

bool isRay(const Call& c)
{
    return c.op == Op::Line && !c.colourGiven && c.x1 == 2500 && c.y1 >= 4000 && c.y1 <= 6500 && c.x2 < 2500;
}
bool isPathLine(const Call& c)
{
    return c.op == Op::Line && c.x1 == 2500 && c.x2 == 5000 && c.y1 >= 4000;
}
bool isArrow(const Call& c)
{
    return c.op == Op::Line && !c.colourGiven && c.x1 > 9000 && !(c.x1 == 10200 && c.x2 == 10200 && c.y1 == 1000 && c.y2 == 8000);
}

SweepConstants constantsFor(double angle, RunParameters p)
{
    return SweepConstants(Geometry{}, p, tiltFor(angle));
}

RunParameters greenGlass()
{
    RunParameters p;
    p.phaseRate = 0.75 * 0.2;
    p.refrFactor = 2;
    p.barScale = 0.0035;
    p.arrowLength = 10;
    return p;
}

// The resultant written down afresh: the squared modulus of the sum of the arrows.
double independentProbability(int d, double angle, const RunParameters& p)
{
    const double tilt = (3.14 / 2) * (90 - angle) / 90;
    std::complex<double> sum = 0;
    for (int s = 0; s <= 2500; s += 5) {
        const double dy = (4000 + s) - (1000 + d);
        const double path = std::hypot(2500.0, dy) * p.refrFactor + std::sin(tilt) * (2500 - s);
        sum += std::polar(static_cast<double>(p.arrowLength), path * p.phaseRate);
    }
    return std::norm(sum);
}

// Colour, medium and angle as their options write them, the colour with its frequency.
struct Setting {
    std::string colour, frequency, medium, angle;
};

std::vector<Setting> programSettings()
{
    std::vector<Setting> settings;
    for (const auto& [colour, frequency] : {std::pair<std::string, std::string>{"Červená", toText(0.5)},
                                            {"Zelená", toText(0.75)}, {"Modrá", toText(1)}})
        for (const std::string& medium : {toText(1.7), toText(1)})
            for (const char* angle : {"45", "90"})
                settings.push_back({colour, frequency, medium, angle});
    return settings;
}

RecordingCanvas canvasFor(const Setting& s)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nBarva, s.colour);
    canvas.setText(Box::nKmitočet, s.frequency);
    canvas.setText(Box::nIndex, s.medium);
    canvas.setText(Box::nUhel, s.angle);
    canvas.setText(Box::nSpomalení, "0");
    return canvas;
}

// The run with every screen point summed arrow by arrow, as the chains are.
void runArrowByArrow(Canvas& canvas)
{
    Geometry g;
    RunParameters p;
    p.phaseRate = setUpRun(canvas, g);
    chooseOpticalParameters(canvas, p);
    const SweepConstants c(g, p, tiltFor(numberIn(canvas, Box::nUhel)));
    for (int d = 0; d <= c.lastPoint; ++d)
        showPoint(canvas, g, p.barScale, d, sweepPoint(c, d, &canvas), g.topY + d);
    endRun(canvas);
}

bool sameCall(const Call& a, const Call& b)
{
    return a.op == b.op && a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 && a.colour == b.colour
        && a.colourGiven == b.colourGiven && a.width == b.width && a.box == b.box && a.text == b.text
        && a.shown == b.shown;
}

} // namespace

TEST(Sweep, EverySettingDrawsExactlyThePictureOfTheArrowByArrowSum)
{
    for (const Setting& s : programSettings()) {
        SCOPED_TRACE(s.colour + ' ' + s.medium + ' ' + s.angle);
        RecordingCanvas run = canvasFor(s), reference = canvasFor(s);
        startRun(run);
        runArrowByArrow(reference);
        ASSERT_EQ(run.calls().size(), reference.calls().size());
        for (std::size_t i = 0; i < run.calls().size(); ++i)
            ASSERT_TRUE(sameCall(run.calls()[i], reference.calls()[i])) << "call " << i;
    }
}

TEST(Sweep, BarsLieWithinAMillionthOfATwipOfTheDirectSum)
{
    for (const Setting& s : programSettings()) {
        for (double frequency : {1e-6, 1e-3, 0.1, 0.5, 0.75, 1.0, 2.0, 5.0, 10.0}) {
            SCOPED_TRACE(s.colour + ' ' + s.medium + ' ' + s.angle + " at " + toText(frequency));
            RecordingCanvas canvas = canvasFor(s);
            RunParameters p;
            chooseOpticalParameters(canvas, p);
            p.phaseRate = frequency * 0.2;
            const double angle = toNumber(s.angle);
            const std::vector<double> probability = probabilities(constantsFor(angle, p));
            ASSERT_EQ(probability.size(), 7001u);
            double worst = 0;
            int worstAt = 0;
            for (int d = 0; d <= 7000; d += 28) {
                const double error = p.barScale * std::fabs(probability[static_cast<std::size_t>(d)]
                                                            - independentProbability(d, angle, p));
                if (!(error <= worst)) {
                    worst = error;
                    worstAt = d;
                }
            }
            EXPECT_LT(worst, 1e-6) << "at d = " << worstAt;
        }
    }
}

TEST(Sweep, FrequenciesBeyondTheRangeEndAsTheArrowByArrowSumDoes)
{
    // chaos, but finite bars; or the overflow report, after the same lines as before
    const std::vector<Setting> settings = programSettings();
    const Setting blueGlass45 = settings[8], greenAir45 = settings[6];
    for (const auto& [setting, frequency] : {std::pair{blueGlass45, "20"}, {blueGlass45, "1e15"}, {blueGlass45, "1e300"},
                                             {blueGlass45, "1e307"}, {blueGlass45, "-1e308"},
                                             // the longest path ends at the last screen point, not at the first
                                             {greenAir45, "1.4e305"}}) {
        SCOPED_TRACE(setting.colour + ' ' + frequency);
        Setting typed = setting;
        typed.frequency = frequency;
        RecordingCanvas run = canvasFor(typed), reference = canvasFor(typed);
        run.setRecordCalls(false);
        reference.setRecordCalls(false);
        std::string report, expected;
        try {
            startRun(run);
        } catch (const Overflow& e) {
            report = e.what();
        }
        try {
            runArrowByArrow(reference);
        } catch (const Overflow& e) {
            expected = e.what();
        }
        EXPECT_EQ(report.substr(0, expected.size()), expected);
        EXPECT_EQ(report.empty(), expected.empty()) << report;
        if (!expected.empty()) {
            EXPECT_EQ(run.lineCount(), reference.lineCount());
        }
    }
}

TEST(Sweep, DrawsTheRaysPathFanAndChainsOfAWholeRun)
{
    const auto& run = defaultRun();
    EXPECT_EQ(countCalls(run, isRay), 26u * 7001u);
    EXPECT_EQ(countCalls(run, isPathLine), 390u);
    EXPECT_EQ(countCalls(run, isArrow), 36u * 501u);
}

TEST(Sweep, EveryChainStartsOnTheAxisAndIsContinuous)
{
    std::vector<Call> arrows;
    for (const auto& c : defaultRun().calls())
        if (isArrow(c))
            arrows.push_back(c);
    ASSERT_EQ(arrows.size(), 36u * 501u);
    for (int chain = 0; chain < 36; ++chain) {
        const Call* a = &arrows[static_cast<std::size_t>(chain) * 501];
        EXPECT_EQ(a[0].x1, 10200);
        EXPECT_EQ(a[0].y1, 1000 + 200 * chain);
        for (int i = 1; i < 501; ++i) {
            ASSERT_EQ(a[i].x1, a[i - 1].x2) << chain << ':' << i;
            ASSERT_EQ(a[i].y1, a[i - 1].y2) << chain << ':' << i;
        }
    }
}

TEST(Sweep, ProbabilityIsTheSquaredLengthOfTheSummedArrows)
{
    for (double angle : {45.0, 90.0}) {
        const RunParameters p = greenGlass();
        const SweepConstants c = constantsFor(angle, p);
        for (int d : {0, 1, 137, 2000, 3333, 4250, 6999, 7000}) {
            const double expected = independentProbability(d, angle, p);
            EXPECT_NEAR(sweepPoint(c, d, nullptr), expected, 1e-7 * std::max(1.0, expected)) << angle << ' ' << d;
        }
    }
}

TEST(Sweep, PatternIsMirrorSymmetricAboutTheSlitCentreAtNormalIncidence)
{
    const SweepConstants c = constantsFor(90, greenGlass());
    // the slit centre, y = 5250, is screen point d = 4250
    for (int k : {1, 10, 250, 1000, 2749}) {
        const double above = sweepPoint(c, 4250 - k, nullptr), below = sweepPoint(c, 4250 + k, nullptr);
        EXPECT_NEAR(above, below, 1e-6 * std::max(1.0, above)) << k;
    }
    const SweepConstants tilted = constantsFor(45, greenGlass());
    EXPECT_GT(std::fabs(sweepPoint(tilted, 3250, nullptr) - sweepPoint(tilted, 5250, nullptr)), 1.0);
}

TEST(Sweep, ZeroParametersGiveZeroProbabilityEverywhere)
{
    const SweepConstants c = constantsFor(45, RunParameters{});
    const std::vector<double> probability = probabilities(c);
    for (int d = 0; d <= 7000; d += 250) {
        EXPECT_EQ(sweepPoint(c, d, nullptr), 0.0);
        EXPECT_EQ(probability[static_cast<std::size_t>(d)], 0.0);
    }
}

TEST(Sweep, RaysAtNormalIncidenceAreHorizontal)
{
    RecordingCanvas canvas;
    const SweepConstants c = constantsFor(90, greenGlass());
    sweepPoint(c, 1, &canvas);
    std::vector<Call> rays;
    for (const auto& call : canvas.calls())
        if (isRay(call))
            rays.push_back(call);
    ASSERT_EQ(rays.size(), 26u);
    for (int i = 0; i < 26; ++i)
        EXPECT_TRUE(isLine(rays[static_cast<std::size_t>(i)], 2500, 4000 + 100 * i, 1000, 4000 + 100 * i));
}

TEST(Sweep, TiltedRaysStartOnOneWavefront)
{
    RecordingCanvas canvas;
    const double tilt = tiltFor(45);
    EXPECT_DOUBLE_EQ(tilt, 3.14 / 4);
    sweepPoint(constantsFor(45, greenGlass()), 1, &canvas);
    std::vector<Call> rays;
    for (const auto& call : canvas.calls())
        if (isRay(call))
            rays.push_back(call);
    ASSERT_EQ(rays.size(), 26u);
    // longest at the top of the slit, 1500 long at its bottom; all pointing left and down
    EXPECT_NEAR(std::hypot(rays.front().x2 - 2500, rays.front().y2 - 4000), 1500 + 2500 * std::sin(tilt), 0.01);
    EXPECT_NEAR(std::hypot(rays.back().x2 - 2500, rays.back().y2 - 6500), 1500, 0.01);
    const double front = rays[0].x2 * std::cos(tilt) - rays[0].y2 * std::sin(tilt);
    for (const auto& r : rays) {
        EXPECT_LT(r.x2, r.x1);
        EXPECT_GT(r.y2, r.y1);
        EXPECT_NEAR(r.x2 * std::cos(tilt) - r.y2 * std::sin(tilt), front, 0.01);
    }
}

TEST(Sweep, DrawsInSlitOrderWithinAPoint)
{
    // d = 0: ray, path line and arrow of s = 0, then the arrows of s = 5 … 95, then s = 100
    RecordingCanvas canvas;
    sweepPoint(constantsFor(45, greenGlass()), 0, &canvas);
    const auto& calls = canvas.calls();
    ASSERT_GE(calls.size(), 30u);
    EXPECT_EQ(calls[0].op, Op::DrawWidth);
    EXPECT_TRUE(isRay(calls[1]));
    EXPECT_TRUE(isPathLine(calls[2]));
    EXPECT_TRUE(isArrow(calls[3]));
    for (int i = 4; i < 4 + 19; ++i)
        EXPECT_TRUE(isArrow(calls[static_cast<std::size_t>(i)])) << i;
    EXPECT_EQ(calls[23].op, Op::DrawWidth);
    EXPECT_TRUE(isRay(calls[24]));
    EXPECT_EQ(countCalls(canvas, [](const Call& c) { return c.op == Op::Line; }), 26u + 26u + 501u);
}

TEST(Sweep, MemoryGivesTheSumsOfTheSettingsAskedFor)
{
    RunParameters faster = greenGlass();
    faster.phaseRate *= 2;
    const SweepConstants green = constantsFor(45, greenGlass()), other = constantsFor(45, faster),
                         upright = constantsFor(90, greenGlass());
    SweepMemory memory;
    for (const SweepConstants* c : {&green, &green, &other, &upright, &green})
        EXPECT_EQ(memory.probabilities(*c), probabilities(*c));
}

TEST(Sweep, SumsPreparedWhileIdleAreTheNextRunsAndDrawNothing)
{
    struct Swept final : RunObserver {
        const SweepMemory* memory = nullptr;
        bool ready = false;
        void cleared(Clearing) override {}
        void swept(const SweepConstants& c) override { ready = memory->holds(c); }
        void point(int, double, int) override {}
        void ended() override {}
    };
    for (const std::string frequency : {"0.75", "2.5", "abc"}) {
        SCOPED_TRACE(frequency);
        RecordingCanvas canvas = startedUp();
        canvas.Text(Box::nKmitočet, frequency);
        const std::size_t before = canvas.calls().size();
        SweepMemory memory;
        EXPECT_NO_THROW(prepareSums(canvas, memory));
        for (std::size_t i = before; i < canvas.calls().size(); ++i)
            EXPECT_EQ(canvas.calls()[i].op, Op::TextGet);

        Swept run;
        run.memory = &memory;
        if (frequency == "abc") {
            EXPECT_THROW(startRun(canvas, &run, &memory), NotANumber);
        } else {
            startRun(canvas, &run, &memory);
            EXPECT_TRUE(run.ready);
        }
    }
}
