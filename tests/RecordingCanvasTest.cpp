#include "Errors.h"
#include "RunHelpers.h"

#include <gtest/gtest.h>

#include <limits>

using namespace lumetra;
using namespace lumetra::test;

TEST(RecordingCanvas, KeepsEveryCallInOrder)
{
    RecordingCanvas canvas;
    canvas.DrawWidth(3);
    canvas.Line(1, 2, 3, 4, RGB(1, 2, 3));
    canvas.Text(Box::nMaže, "1");
    EXPECT_EQ(canvas.Text(Box::nMaže), "1");
    canvas.Visible(Box::nSklo, true);
    ASSERT_EQ(canvas.calls().size(), 5u);
    EXPECT_EQ(canvas.calls()[0].op, Op::DrawWidth);
    EXPECT_TRUE(isLine(canvas.calls()[1], 1, 2, 3, 4));
    EXPECT_EQ(canvas.calls()[1].colour, RGB(1, 2, 3));
    EXPECT_EQ(canvas.calls()[1].width, 3);
    EXPECT_EQ(canvas.calls()[2].op, Op::TextLet);
    EXPECT_EQ(canvas.calls()[3].op, Op::TextGet);
    EXPECT_TRUE(canvas.isShown(Box::nSklo));
}

TEST(RecordingCanvas, FailsAtTheNthCallAndKeepsWhatCameBefore)
{
    RecordingCanvas canvas;
    canvas.failAtCall(3);
    canvas.Line(0, 0, 1, 1);
    canvas.Text(Box::nMaže, "1");
    EXPECT_THROW(canvas.Text(Box::nMaže, "2"), Failure);
    EXPECT_EQ(canvas.textOf(Box::nMaže), "1");
    EXPECT_EQ(canvas.calls().size(), 2u);
    canvas.Text(Box::nMaže, "3"); // only the n-th call fails
    EXPECT_EQ(canvas.textOf(Box::nMaže), "3");
}

TEST(RecordingCanvas, AnswersQuestionsFromItsScript)
{
    RecordingCanvas canvas;
    canvas.answer(vbNo);
    EXPECT_EQ(canvas.MsgBox("?"), vbNo);
    EXPECT_EQ(canvas.MsgBox("?"), vbYes);
}

TEST(CanvasLine, RefusesEndPointsThatCannotBeDrawn)
{
    RecordingCanvas canvas;
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(canvas.Line(0, 0, inf, 0), Overflow);
    EXPECT_THROW(canvas.Line(nan, 0, 0, 0), Overflow);
    EXPECT_THROW(canvas.Line(0, -1e39, 0, 0, RGB(255, 0, 0)), Overflow);
    EXPECT_EQ(canvas.lineCount(), 0u);
    canvas.Line(0, 0, 3e38, 0); // large, but a single holds it
    EXPECT_EQ(canvas.lineCount(), 1u);
}
