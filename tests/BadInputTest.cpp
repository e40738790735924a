// Whatever a pupil types into the two value boxes, a run completes or ends with a
// report; it never crashes, never runs away, and what it leaves is as after any run.
#include "Display.h"
#include "Errors.h"
#include "RunHelpers.h"
#include "Start.h"

#include <gtest/gtest.h>

using namespace lumetra;
using namespace lumetra::test;

namespace {

const std::vector<std::string>& typedTexts()
{
    static const std::vector<std::string> texts{
        "", " ", "   ", "abc", "1,7", "1.7x", "NaN", "nan", "inf", "-inf", "-0", "0", "-1", "1e308", "-1e308",
        "1e307", "1e300", "1e-320", "1e15", "1.7 ", " 1", "0x1A", std::string(1000, '7'), "0." + std::string(999, '3'),
        std::string("1\x00" "7", 3), "\t\n\r", "\x1b[31m", "🙂", "\u200f1.7\u200e", "١٫٧", "1.7\u00a0", "Zelená",
    };
    return texts;
}

// A run on a canvas that only counts; true when it completed, false when it ended with a report.
bool runWith(RecordingCanvas& canvas, Box box, const std::string& text, std::string* report)
{
    canvas.setRecordCalls(false);
    canvas.setText(box, text);
    canvas.setText(Box::nSpomalení, "0");
    try {
        sim::startRun(canvas);
        return true;
    } catch (const Failure& e) {
        *report = e.what();
        return false;
    }
}

} // namespace

TEST(BadInput, AnyTextInTheValueBoxesCompletesOrEndsWithAReport)
{
    for (Box box : {Box::nIndex, Box::nKmitočet}) {
        for (const auto& text : typedTexts()) {
            SCOPED_TRACE(std::string(boxName(box)) + " = [" + text + "]");
            RecordingCanvas canvas = startedUp();
            canvas.setText(Box::nKlepnuto, "1");
            std::string report;
            const bool completed = runWith(canvas, box, text, &report);
            // bounded work: a normal run draws about 250 000 lines
            EXPECT_LT(canvas.lineCount(), 3'000'000u);
            if (completed) {
                EXPECT_EQ(canvas.textOf(Box::nKlepnuto), "0");
                EXPECT_TRUE(canvas.isShown(Box::nClona));
            } else {
                EXPECT_FALSE(report.empty());
                EXPECT_EQ(canvas.textOf(Box::nKlepnuto), "1"); // as before the failed run
                EXPECT_FALSE(canvas.isShown(Box::nClona));
                // Czech, and it names the text when a text was to blame
                EXPECT_TRUE(report.find("není číslo") != std::string::npos || report.find("Přetečení") != std::string::npos)
                    << report;
            }
        }
    }
}

TEST(BadInput, TextsThatAreNoNumberNameThemselvesInTheReport)
{
    for (const char* text : {"abc", "1,7", "NaN", "inf", "🙂"}) {
        RecordingCanvas canvas = startedUp();
        std::string report;
        ASSERT_FALSE(runWith(canvas, Box::nKmitočet, text, &report)) << text;
        EXPECT_NE(report.find(std::string("„") + text + "“"), std::string::npos) << report;
        EXPECT_NE(report.find("nKmitočet"), std::string::npos);
        EXPECT_EQ(canvas.textOf(Box::nMaže), "0"); // failed before the flag was written
    }
    RecordingCanvas canvas = startedUp();
    std::string report;
    ASSERT_FALSE(runWith(canvas, Box::nIndex, "1,7", &report));
    EXPECT_NE(report.find("„1,7“"), std::string::npos);
    EXPECT_NE(report.find("nIndex"), std::string::npos);
}

TEST(BadInput, HugeFrequencyIsAnOverflowThatNamesTheFrequency)
{
    for (const char* text : {"1e308", "-1e308", "1e307"}) {
        RecordingCanvas canvas = startedUp();
        std::string report;
        ASSERT_FALSE(runWith(canvas, Box::nKmitočet, text, &report)) << text;
        EXPECT_NE(report.find("Přetečení"), std::string::npos) << report;
        EXPECT_NE(report.find(std::string("„") + text + "“"), std::string::npos) << report;
        EXPECT_EQ(canvas.textOf(Box::nMaže), "1"); // the clearing had happened
    }
}

TEST(BadInput, FrequencyZeroLinesUpEveryArrowAndCapsTheDots)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nKmitočet, "0");
    canvas.setText(Box::nSpomalení, "0");
    sim::startRun(canvas);
    std::size_t dots = 0, longestBar = 0;
    for (const auto& c : canvas.calls()) {
        if (c.op == Op::Line && c.colour == RGB(0, 255, 0))
            ++dots;
        if (c.op == Op::Line && c.colour == 49152u)
            longestBar = std::max(longestBar, static_cast<std::size_t>(c.x2 - c.x1));
    }
    // every arrow points the same way: the bar is (501 · 10)² · 0.0035 long on every row
    EXPECT_EQ(longestBar, static_cast<std::size_t>(5010.0 * 5010.0 * 0.0035));
    EXPECT_EQ(dots, 156u * static_cast<std::size_t>(sim::maxDotsPerRow));
}

TEST(BadInput, AfterAFailedRunTheNextSaneRunDrawsAsUsual)
{
    RecordingCanvas reference = startedUp();
    reference.setText(Box::nSpomalení, "0");
    reference.setText(Box::nMaže, "1");
    sim::startRun(reference);

    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nSpomalení, "0");
    canvas.setText(Box::nKmitočet, "1e308");
    EXPECT_THROW(sim::startRun(canvas), Overflow);
    canvas.setText(Box::nKmitočet, "0.75");
    canvas.clearCalls();
    sim::startRun(canvas); // answered Ano: the full wipe, as the reference
    const auto lines = linesOf(canvas), expected = linesOf(reference);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].colour == RGB(0, 255, 0))
            continue; // dots follow the generator, which the failed run moved on
        ASSERT_TRUE(isLine(lines[i], expected[i].x1, expected[i].y1, expected[i].x2, expected[i].y2)) << i;
    }
}
