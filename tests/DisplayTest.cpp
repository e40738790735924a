#include "Display.h"
#include "Errors.h"
#include "Pacing.h"
#include "RunHelpers.h"
#include "Start.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace lumetra;
using namespace lumetra::test;
using namespace lumetra::sim;

namespace {

std::vector<Call> showOne(const char* colour, int d, double bar)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nBarva, colour);
    // barScale 1: the probability is the bar length
    showPoint(canvas, Geometry{}, 1.0, d, bar, 1000 + d);
    return canvas.calls();
}

std::vector<Call> dotsIn(const std::vector<Call>& calls)
{
    std::vector<Call> dots;
    for (const auto& c : calls)
        if (c.op == Op::Line && c.x1 > 7000 && c.x2 - c.x1 == 10)
            dots.push_back(c);
    return dots;
}

} // namespace

TEST(PointDisplay, DrawsTheBarThenFloorOfItsLengthInDotsOnADotRow)
{
    const auto calls = showOne("Zelená", 45, 3.7);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].op, Op::Randomize);
    EXPECT_EQ(calls[0].x1, 100);
    EXPECT_EQ(calls[1].op, Op::TextGet);
    EXPECT_EQ(calls[1].box, Box::nBarva);
    const auto bar = std::find_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == Op::Line; });
    EXPECT_TRUE(isLine(*bar, 5000, 1045, 5003.7f, 1045));
    EXPECT_EQ(bar->colour, 49152u);
    EXPECT_EQ(bar->width, 3);

    const auto dots = dotsIn(calls);
    ASSERT_EQ(dots.size(), 3u);
    for (const auto& dot : dots) {
        EXPECT_EQ(dot.y1, 1000 - 15 + 45);
        EXPECT_EQ(dot.colour, RGB(0, 255, 0));
        EXPECT_EQ(dot.width, 1);
        EXPECT_GE(dot.x1, 7001);
        EXPECT_LE(dot.x1, 8500);
        EXPECT_EQ(dot.x1, std::floor(dot.x1));
    }
    // each dot takes the next random number
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == Op::Rnd; }), 3);
    EXPECT_EQ(calls.back().op, Op::TextGet);
    EXPECT_EQ(calls.back().box, Box::nSpomalení);
}

TEST(PointDisplay, DotsOnlyOnDotRowsAndOnlyFromALengthOfOne)
{
    EXPECT_EQ(dotsIn(showOne("Zelená", 46, 50)).size(), 0u);
    EXPECT_EQ(dotsIn(showOne("Zelená", 7000, 50)).size(), 0u);
    EXPECT_EQ(dotsIn(showOne("Zelená", 6975, 50)).size(), 50u);
    EXPECT_EQ(dotsIn(showOne("Zelená", 0, 0.99)).size(), 0u);
    EXPECT_EQ(dotsIn(showOne("Zelená", 0, 1)).size(), 1u);
}

TEST(PointDisplay, EachColourHasItsBarDotAndRow)
{
    struct Expect {
        const char* name;
        Colour bar, dot;
        float row;
    };
    for (const Expect& e : {Expect{"Červená", RGB(255, 0, 0), RGB(255, 0, 0), 1000},
                            Expect{"Zelená", RGB(0, 192, 0), RGB(0, 255, 0), 985},
                            Expect{"Modrá", RGB(0, 0, 255), RGB(0, 0, 255), 970}}) {
        const auto calls = showOne(e.name, 0, 20);
        const auto bar = std::find_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == Op::Line; });
        EXPECT_EQ(bar->colour, e.bar) << e.name;
        const auto dots = dotsIn(calls);
        ASSERT_EQ(dots.size(), 20u);
        EXPECT_EQ(dots[0].colour, e.dot) << e.name;
        EXPECT_EQ(dots[0].y1, e.row) << e.name;
    }
}

TEST(PointDisplay, UnknownColourDrawsNothingButStillWaits)
{
    const auto calls = showOne("zelená", 0, 20);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == Op::Line; }), 0);
    EXPECT_EQ(calls.front().op, Op::Randomize);
    EXPECT_EQ(calls.back().box, Box::nSpomalení);
}

TEST(PointDisplay, BadDelayTextEndsThePointAfterItsDrawing)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nSpomalení, "rychle");
    EXPECT_THROW(showPoint(canvas, Geometry{}, 1.0, 0, 5, 1000), NotANumber);
    EXPECT_EQ(canvas.lineCount(), 1u + 5u);
}

TEST(Pacing, CountsWholeStepsAndNeverRunsAway)
{
    EXPECT_EQ(pacingSteps(1), 1);
    EXPECT_EQ(pacingSteps(0), 0);
    EXPECT_EQ(pacingSteps(20000), 20000);
    EXPECT_EQ(pacingSteps(10000), 10000);
    // texts the program never writes
    EXPECT_EQ(pacingSteps(-1), 0);
    EXPECT_EQ(pacingSteps(-0.0), 0);
    EXPECT_EQ(pacingSteps(2.5), 3);
    EXPECT_EQ(pacingSteps(0.001), 1);
    EXPECT_EQ(pacingSteps(1e300), maxDelayCount);
    EXPECT_EQ(pacingSteps(std::nan("")), 0);
    EXPECT_GE(spinsPerStep(), 1u);
    measureSpins();
    EXPECT_GE(spinsPerStep(), 1u);
}

TEST(WholeRun, ReseedsAtEveryPointAndDrawsOneBarPerPoint)
{
    const auto& run = defaultRun();
    EXPECT_EQ(countCalls(run, [](const Call& c) { return c.op == Op::Randomize; }), 7001u);
    std::size_t bars = 0;
    float lastRow = 0;
    for (const auto& c : run.calls()) {
        if (c.op == Op::Line && c.colour == 49152u && c.colourGiven) {
            ASSERT_EQ(c.x1, 5000);
            ASSERT_EQ(c.width, 3);
            ASSERT_EQ(c.y1, 1000 + static_cast<float>(bars));
            lastRow = c.y1;
            ++bars;
        }
    }
    EXPECT_EQ(bars, 7001u);
    EXPECT_EQ(lastRow, 8000);
}

TEST(WholeRun, DotsOnEachDotRowMatchItsBar)
{
    std::map<float, int> dotsPerRow;
    std::map<float, float> barPerRow;
    for (const auto& c : defaultRun().calls()) {
        if (c.op != Op::Line || !c.colourGiven)
            continue;
        if (c.colour == RGB(0, 255, 0))
            ++dotsPerRow[c.y1];
        else if (c.colour == 49152u)
            barPerRow[c.y1] = c.x2 - c.x1;
    }
    int rowsWithDots = 0;
    for (int j = 0; j <= 155; ++j) {
        const float row = 985.0f + 45.0f * static_cast<float>(j);
        const double bar = barPerRow.at(row + 15);
        EXPECT_NEAR(dotsPerRow[row], std::floor(bar), 1.0) << row;
        rowsWithDots += dotsPerRow[row] > 0;
    }
    EXPECT_GT(rowsWithDots, 100);
    for (const auto& [row, n] : dotsPerRow)
        EXPECT_EQ(std::fmod(row - 985.0f, 45.0f), 0.0f) << row;
}

TEST(WholeRun, EndsWithTheLegendsInOrderAndNoMediumChangePending)
{
    const auto& run = defaultRun();
    std::vector<Box> shown;
    for (const auto& c : run.calls())
        if (c.op == Op::Visible && c.shown)
            shown.push_back(c.box);
    EXPECT_EQ(shown, (std::vector<Box>{Box::nClona, Box::nStínítko, Box::nSpektrum, Box::nSoučet, Box::nVzduch,
                                       Box::nSklo}));
    EXPECT_EQ(run.calls().back().op, Op::TextLet);
    EXPECT_EQ(run.calls().back().box, Box::nKlepnuto);
    EXPECT_EQ(run.textOf(Box::nKlepnuto), "0");
    EXPECT_EQ(run.textOf(Box::nMaže), "1");
    EXPECT_EQ(run.drawWidth(), 1);
}

TEST(WholeRun, ZeroParametersGiveZeroBarsAndNoDots)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nIndex, "1.70"); // a number, but not the text glass writes
    startRun(canvas);
    std::size_t bars = 0, dots = 0;
    for (const auto& c : canvas.calls()) {
        if (c.op == Op::Line && c.colour == 49152u) {
            ++bars;
            ASSERT_EQ(c.x2, c.x1);
        }
        dots += c.op == Op::Line && c.colour == RGB(0, 255, 0);
    }
    EXPECT_EQ(bars, 7001u);
    EXPECT_EQ(dots, 0u);
    EXPECT_EQ(canvas.textOf(Box::nKlepnuto), "0");
}

TEST(WholeRun, FailurePartWayKeepsThePictureAndTheFlags)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nKlepnuto, "1");
    canvas.setText(Box::nMaže, "1"); // a later run: asks, and wipes fully for the medium change
    canvas.failAtCall(150000);
    EXPECT_THROW(startRun(canvas), Failure);
    EXPECT_EQ(canvas.calls().size(), 149999u);
    EXPECT_EQ(canvas.textOf(Box::nKlepnuto), "1");
    EXPECT_EQ(canvas.textOf(Box::nMaže), "1");
    EXPECT_FALSE(canvas.isShown(Box::nClona));
    EXPECT_FALSE(canvas.isShown(Box::nSoučet));
    EXPECT_GT(countCalls(canvas, [](const Call& c) { return c.op == Op::Line && c.colour == 49152u; }), 100u);
}

TEST(WholeRun, BadAngleEndsTheRunBeforeTheSweep)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nBarva, "Modrá");
    canvas.setText(Box::nUhel, "šikmo"); // blue in glass skips it while choosing parameters
    EXPECT_THROW(startRun(canvas), NotANumber);
    EXPECT_EQ(countCalls(canvas, [](const Call& c) { return c.op == Op::Randomize; }), 0u);
    EXPECT_EQ(canvas.textOf(Box::nMaže), "1");
}
