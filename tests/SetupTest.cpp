#include "Errors.h"
#include "RunHelpers.h"
#include "Setup.h"

#include <gtest/gtest.h>

using namespace lumetra;
using namespace lumetra::test;
using namespace lumetra::sim;

namespace {

// Lines of the clearing alone: between the thick wall and the apparatus.
std::vector<Call> wipeLines(const RecordingCanvas& canvas)
{
    auto lines = linesOf(canvas);
    // 2 thick wall pieces before, 5 apparatus lines after
    return std::vector<Call>(lines.begin() + 2, lines.end() - 5);
}

RecordingCanvas laterRun(const char* klepnuto, int answer)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nMaže, "1");
    canvas.setText(Box::nKlepnuto, klepnuto);
    canvas.answer(answer);
    return canvas;
}

} // namespace

TEST(SetUp, FirstRunPreparesWithoutAQuestion)
{
    RecordingCanvas canvas = startedUp();
    Geometry g;
    EXPECT_DOUBLE_EQ(setUpRun(canvas, g), 0.75 * 0.2);
    EXPECT_EQ(countCalls(canvas, [](const Call& c) { return c.op == Op::MsgBox; }), 0u);
    EXPECT_EQ(canvas.textOf(Box::nMaže), "1");

    const auto wipe = wipeLines(canvas);
    ASSERT_EQ(wipe.size(), 3000u + 2334u);
    EXPECT_TRUE(isLine(wipe.front(), 2500, 1, 13000, 1));
    EXPECT_TRUE(isLine(wipe[2999], 2500, 8998, 13000, 8998));
    for (std::size_t i = 0; i < 3000; ++i)
        ASSERT_EQ(wipe[i].colour, glassGrey);
    // the photon strip from row 1000, in the foreground
    EXPECT_TRUE(isLine(wipe[3000], 7000, 1000, 8500, 1000));
    EXPECT_TRUE(isLine(wipe.back(), 7000, 7999, 8500, 7999));
    EXPECT_FALSE(wipe.back().colourGiven);
}

TEST(SetUp, DrawsThickWallThenApparatusAtWidthOne)
{
    RecordingCanvas canvas = startedUp();
    Geometry g;
    setUpRun(canvas, g);
    const auto& calls = canvas.calls();
    EXPECT_EQ(calls[0].op, Op::ScaleMode);
    EXPECT_EQ(calls[1].op, Op::DrawWidth);
    EXPECT_EQ(calls[1].x1, 4);
    EXPECT_TRUE(isLine(calls[2], 2500, 1000, 2500, 4000));
    EXPECT_TRUE(isLine(calls[3], 2500, 6600, 2500, 8000));
    EXPECT_EQ(calls[2].width, 4);

    const auto lines = linesOf(canvas);
    const std::vector<std::array<float, 4>> apparatus{
        {2500, 1000, 2500, 8000}, {2500, 1000, 2500, 4000}, {2500, 6500, 2500, 8000},
        {5000, 1000, 5000, 8000}, {10200, 1000, 10200, 8000}};
    for (std::size_t i = 0; i < 5; ++i) {
        const auto& l = lines[lines.size() - 5 + i];
        EXPECT_TRUE(isLine(l, apparatus[i][0], apparatus[i][1], apparatus[i][2], apparatus[i][3])) << i;
        EXPECT_EQ(l.width, 1);
        EXPECT_FALSE(l.colourGiven);
    }
    EXPECT_EQ(canvas.drawWidth(), 1);
}

TEST(SetUp, AirIsWipedInTheBackgroundColour)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nIndex, "1.0"); // read by number here: still air
    Geometry g;
    setUpRun(canvas, g);
    EXPECT_EQ(wipeLines(canvas).front().colour, vb3DLight);
}

TEST(SetUp, FullWipeOnYes)
{
    RecordingCanvas canvas = laterRun("0", vbYes);
    Geometry g;
    setUpRun(canvas, g);
    ASSERT_EQ(countCalls(canvas, [](const Call& c) { return c.op == Op::MsgBox; }), 1u);
    const auto& question = *std::find_if(canvas.calls().begin(), canvas.calls().end(),
                                         [](const Call& c) { return c.op == Op::MsgBox; });
    EXPECT_EQ(question.text, "Vyčistit celou obrazovku (Ano), jinak jen radiusvektory (Ne)?");

    const auto wipe = wipeLines(canvas);
    ASSERT_EQ(wipe.size(), 9000u * 2 + 6999u);
    EXPECT_TRUE(isLine(wipe[0], 1, 1, 13000, 1));
    EXPECT_EQ(wipe[0].colour, vb3DLight);
    EXPECT_TRUE(isLine(wipe[1], 2500, 1, 13000, 1));
    EXPECT_EQ(wipe[1].colour, glassGrey);
    EXPECT_TRUE(isLine(wipe.back(), 2500, 9000, 13000, 9000));
    // the strip is refilled from row 1001, not 1000
    std::size_t stripRows = 0;
    float firstStripRow = 0;
    for (const auto& l : wipe)
        if (!l.colourGiven && stripRows++ == 0)
            firstStripRow = l.y1;
    EXPECT_EQ(stripRows, 6999u);
    EXPECT_EQ(firstStripRow, 1001);
    EXPECT_EQ(canvas.textOf(Box::nMaže), "1");
}

TEST(SetUp, PartialWipeKeepsTheScreenAndStripBand)
{
    RecordingCanvas canvas = laterRun("0", vbNo);
    Geometry g;
    setUpRun(canvas, g);
    const auto wipe = wipeLines(canvas);
    ASSERT_EQ(wipe.size(), 18000u);
    EXPECT_TRUE(isLine(wipe[0], 1, 1, 2500, 1));
    EXPECT_EQ(wipe[0].colour, vb3DLight);
    EXPECT_TRUE(isLine(wipe[1], 8500, 1, 13000, 1));
    EXPECT_EQ(wipe[1].colour, glassGrey);
    for (const auto& l : wipe)
        ASSERT_TRUE(l.x2 <= 2500 || l.x1 >= 8500);
}

TEST(SetUp, ClearingFollowsTheAnswerAndTheMediumFlag)
{
    struct Case {
        const char* maže;
        int answer;
        const char* klepnuto;
        Clearing expected;
    };
    for (const Case& c : {Case{"0", vbNo, "1", Clearing::FirstRun}, Case{"1", vbYes, "0", Clearing::Full},
                          Case{"1", vbYes, "1", Clearing::Full}, Case{"1", vbNo, "1", Clearing::Full},
                          Case{"1", vbNo, "0", Clearing::Partial}, Case{"1", vbNo, "2", Clearing::Partial},
                          Case{"1", vbNo, "1.0", Clearing::Full}, Case{"7", vbNo, "0", Clearing::Partial}}) {
        RecordingCanvas canvas = startedUp();
        canvas.setText(Box::nMaže, c.maže);
        canvas.setText(Box::nKlepnuto, c.klepnuto);
        canvas.answer(c.answer);
        EXPECT_EQ(chooseClearing(canvas), c.expected) << c.maže << ' ' << c.answer << ' ' << c.klepnuto;
    }
}

TEST(SetUp, BadTextsEndTheRunWhereTheyAreRead)
{
    {   // frequency: after the thick wall, before any clearing; the flag stays
        RecordingCanvas canvas = startedUp();
        canvas.setText(Box::nKmitočet, "abc");
        Geometry g;
        try {
            setUpRun(canvas, g);
            FAIL();
        } catch (const NotANumber& e) {
            EXPECT_NE(std::string(e.what()).find("„abc“"), std::string::npos);
            EXPECT_NE(std::string(e.what()).find("nKmitočet"), std::string::npos);
        }
        EXPECT_EQ(canvas.lineCount(), 2u);
        EXPECT_EQ(canvas.textOf(Box::nMaže), "0");
    }
    {   // run-before flag
        RecordingCanvas canvas = startedUp();
        canvas.setText(Box::nMaže, "");
        Geometry g;
        EXPECT_THROW(setUpRun(canvas, g), NotANumber);
        EXPECT_EQ(canvas.lineCount(), 2u);
        EXPECT_EQ(canvas.textOf(Box::nMaže), "");
    }
    {   // medium flag: after the question
        RecordingCanvas canvas = laterRun("x", vbNo);
        Geometry g;
        EXPECT_THROW(setUpRun(canvas, g), NotANumber);
        EXPECT_EQ(countCalls(canvas, [](const Call& c) { return c.op == Op::MsgBox; }), 1u);
        EXPECT_EQ(canvas.lineCount(), 2u);
    }
    {   // index on the first run: before the first wiped row
        RecordingCanvas canvas = startedUp();
        canvas.setText(Box::nIndex, "1,7");
        Geometry g;
        EXPECT_THROW(setUpRun(canvas, g), NotANumber);
        EXPECT_EQ(canvas.lineCount(), 2u);
        EXPECT_EQ(canvas.textOf(Box::nMaže), "0");
    }
    {   // index in the full wipe: after the first background row, as if read for every row
        RecordingCanvas canvas = laterRun("1", vbYes);
        canvas.setText(Box::nIndex, "sklo");
        Geometry g;
        EXPECT_THROW(setUpRun(canvas, g), NotANumber);
        EXPECT_EQ(canvas.lineCount(), 3u);
        EXPECT_EQ(canvas.textOf(Box::nMaže), "1");
    }
}

TEST(SetUp, AFailingLineKeepsWhatWasDrawn)
{
    RecordingCanvas canvas = startedUp();
    canvas.failAtCall(100);
    Geometry g;
    EXPECT_THROW(setUpRun(canvas, g), Failure);
    EXPECT_EQ(canvas.calls().size(), 99u);
    EXPECT_EQ(canvas.textOf(Box::nMaže), "0");
}
