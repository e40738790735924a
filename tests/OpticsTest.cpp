#include "Errors.h"
#include "Optics.h"
#include "RunHelpers.h"

#include <gtest/gtest.h>

using namespace lumetra;
using namespace lumetra::test;
using namespace lumetra::sim;

namespace {
RunParameters choose(const char* colour, const char* index, const char* angle)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nBarva, colour);
    canvas.setText(Box::nIndex, index);
    canvas.setText(Box::nUhel, angle);
    RunParameters p;
    chooseOpticalParameters(canvas, p);
    return p;
}
} // namespace

TEST(OpticalParameters, FollowTheTableForEveryColourMediumAndAngle)
{
    struct Row {
        const char* colour;
        const char* index;
        const char* angle;
        double refr, scale;
        int arrow;
    };
    const Row rows[] = {
        {"Červená", "1.7", "45", 1.4, 0.0012, 10},    {"Červená", "1.7", "90", 1.4, 0.0012 * 1.6, 10},
        {"Červená", "1", "45", 1, 0.0007, 8},         {"Červená", "1", "90", 1, 0.0007 * 3, 8},
        {"Zelená", "1.7", "45", 2, 0.0035, 10},       {"Zelená", "1.7", "90", 2, 0.0035 * 1.3, 10},
        {"Zelená", "1", "45", 1, 0.00072, 10},        {"Zelená", "1", "90", 1, 0.00072 * 2.8, 10},
        {"Modrá", "1.7", "45", 6, 0.0018, 30},        {"Modrá", "1.7", "90", 6, 0.0018, 30},
        {"Modrá", "1", "45", 1, 0.0009, 10},          {"Modrá", "1", "90", 1, 0.0009 * 3, 10},
    };
    for (const Row& r : rows) {
        const RunParameters p = choose(r.colour, r.index, r.angle);
        EXPECT_EQ(p.refrFactor, r.refr) << r.colour << r.index << r.angle;
        EXPECT_EQ(p.barScale, r.scale) << r.colour << r.index << r.angle;
        EXPECT_EQ(p.arrowLength, r.arrow) << r.colour << r.index << r.angle;
    }
}

TEST(OpticalParameters, AngleIsComparedAsANumber)
{
    EXPECT_EQ(choose("Zelená", "1.7", "90.0").barScale, 0.0035 * 1.3);
    EXPECT_EQ(choose("Zelená", "1.7", " 9e1 ").barScale, 0.0035 * 1.3);
    EXPECT_EQ(choose("Zelená", "1.7", "89.9").barScale, 0.0035);
}

TEST(OpticalParameters, TextsThatMatchNoRowLeaveAllZero)
{
    for (auto [colour, index] : {std::pair{"zelená", "1.7"}, std::pair{"Zelena", "1.7"}, std::pair{"", "1"},
                                 std::pair{"Zelená ", "1"}, std::pair{"Zelená", "1.0"}, std::pair{"Zelená", "1,7"},
                                 std::pair{"Modrá", " 1"}, std::pair{"Červená", "abc"}}) {
        const RunParameters p = choose(colour, index, "not read");
        EXPECT_EQ(p.refrFactor, 0) << colour << '|' << index;
        EXPECT_EQ(p.barScale, 0);
        EXPECT_EQ(p.arrowLength, 0);
    }
}

TEST(OpticalParameters, BlueInGlassNeverReadsTheAngle)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nBarva, "Modrá");
    canvas.setText(Box::nUhel, "abc");
    RunParameters p;
    chooseOpticalParameters(canvas, p);
    EXPECT_EQ(p.barScale, 0.0018);
    EXPECT_EQ(countCalls(canvas, [](const Call& c) { return c.op == Op::TextGet && c.box == Box::nUhel; }), 0u);
}

TEST(OpticalParameters, BadAngleFailsWithRefractionAndBaseScaleSet)
{
    RecordingCanvas canvas = startedUp();
    canvas.setText(Box::nUhel, "devadesát");
    RunParameters p;
    EXPECT_THROW(chooseOpticalParameters(canvas, p), NotANumber);
    EXPECT_EQ(p.refrFactor, 2);
    EXPECT_EQ(p.barScale, 0.0035);
    EXPECT_EQ(p.arrowLength, 0);
}
