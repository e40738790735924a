// The picture both front ends show: what a line does to the pixels at a scale, that
// skipping repeats never changes it, and that it draws itself again at a new scale as
// the same lines would have drawn it there.
#include "PaintedCanvas.h"
#include "Picture.h"
#include "Units.h"
#include "Start.h"
#include "StrokeLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <span>
#include <vector>

using namespace lumetra;

namespace {
constexpr Pixel bg = 0xFFE6E6E6u;
constexpr Pixel black = 0xFF000000u;
constexpr Pixel red = 0xFFFF0000u;
constexpr double factorOne = 1.0 / twipsPerPixel;

Pixel at(const Picture& p, int x, int y)
{
    return p.pixels()[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width()) + static_cast<std::size_t>(x)];
}

std::size_t differing(const Picture& a, const Picture& b)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(a.width()) * static_cast<std::size_t>(a.height()); ++i)
        n += a.pixels()[i] != b.pixels()[i];
    return n;
}
} // namespace

TEST(Picture, LinesCoverTheirPixelsWithRoundPens)
{
    Picture p(factorOne, bg);
    EXPECT_EQ(p.width(), 867); // up to x = 13000 and y = 9000 twips
    EXPECT_EQ(p.height(), 601);
    p.drawLine(150, 300, 750, 300, red); // pixels 10…50 on row 20
    EXPECT_EQ(at(p, 10, 20), red);
    EXPECT_EQ(at(p, 50, 20), red);
    EXPECT_EQ(at(p, 9, 20), bg);
    EXPECT_EQ(at(p, 51, 20), bg);
    EXPECT_EQ(at(p, 30, 19), bg);
    EXPECT_EQ(at(p, 30, 21), bg);

    p.setWidth(3);
    p.drawLine(300, 600, 600, 600, red);
    for (int y : {39, 40, 41})
        EXPECT_EQ(at(p, 30, y), red);
    EXPECT_EQ(at(p, 30, 42), bg);
    EXPECT_EQ(at(p, 19, 40), red); // the end reaches past the end point
    p.setWidth(4);
    p.drawLine(900, 150, 900, 1200, black); // vertical, 4 wide
    int wide = 0;
    for (int x = 55; x < 65; ++x)
        wide += at(p, x, 40) == black;
    EXPECT_EQ(wide, 4);
    EXPECT_EQ(at(p, 58, 8), bg); // corner left out: round end

    p.setWidth(1);
    p.drawLine(0, 1500, 1500, 2250, black); // slanted, 100 × 50 pixels: no gaps
    for (int x = 0; x <= 100; ++x) {
        int hits = 0;
        for (int y = 100; y <= 150; ++y)
            hits += at(p, x, y) == black;
        EXPECT_GE(hits, 1) << x;
    }
}

TEST(Picture, WidthsAndPositionsGrowWithTheScale)
{
    Picture p(1.77 / twipsPerPixel, bg);
    EXPECT_EQ(p.width(), 1535);
    p.setWidth(3); // a bar: 3 pixels at factor 1, 5 at 1.77
    p.drawLine(5000, 3000, 6000, 3000, red);
    int thick = 0;
    for (int y = 340; y < 370; ++y)
        thick += at(p, 650, y) == red;
    EXPECT_EQ(thick, 5);
    EXPECT_EQ(at(p, 588, 354), red); // 5000 twips × 1.77 / 15 = column 590, less the round end
    EXPECT_EQ(at(p, 587, 354), bg);
}

TEST(Picture, LinesFarOutsideAreClippedNotHung)
{
    Picture p(factorOne, bg);
    p.drawLine(-3e38f, 300, 3e38f, 300, red);
    EXPECT_EQ(at(p, 0, 20), red);
    EXPECT_EQ(at(p, 866, 20), red);
    p.drawLine(1e30f, 1e30f, 2e30f, 2e30f, red);
    p.drawLine(-1e9f, -1e9f, 1e9f, 1e9f, black);
    EXPECT_EQ(at(p, 50, 50), black);
    EXPECT_EQ(p.keptLines(), 2u); // the one that never reaches the picture is not kept
}

TEST(Picture, RepeatsAreSkippedOnlyWhenTheyChangeNothing)
{
    Picture p(factorOne, bg);
    p.drawLine(0, 0, 900, 600, black);
    p.drawLine(0, 0, 900, 600, black);
    EXPECT_EQ(p.linesSkipped(), 1u);
    // another colour over it: the repeat must be drawn again
    p.drawLine(0, 300, 1500, 300, red);
    p.drawLine(0, 0, 900, 600, black);
    EXPECT_EQ(p.linesSkipped(), 1u);
    EXPECT_EQ(at(p, 30, 20), black);
    // the same colour elsewhere does not stop the skipping
    p.drawLine(1200, 1200, 1400, 1400, black);
    p.drawLine(0, 0, 900, 600, black);
    EXPECT_EQ(p.linesSkipped(), 2u);

    // a line that comes again on its pixel row is held back, and written over the line
    // after it only once another line breaks the round off: the change is among the
    // changed areas, and that line's repeat is drawn
    Picture q(factorOne, bg);
    q.drawLine(0, 3000, 600, 3000, red);
    q.drawLine(300, 3000, 900, 3000, black);
    q.takeDirty();
    q.drawLine(0, 3001, 600, 3001, red);
    q.drawLine(0, 0, 15, 15, red);
    const std::vector<PixelRect> areas = q.takeDirty();
    EXPECT_TRUE(std::any_of(areas.begin(), areas.end(),
                            [](const PixelRect& r) { return r.x0 <= 30 && 30 <= r.x1 && r.y0 <= 200 && 200 <= r.y1; }));
    q.drawLine(300, 3000, 900, 3000, black);
    EXPECT_EQ(at(q, 30, 200), black);
}

namespace {

// Random lines from a few that repeat, in a few colours and widths, with wipes over
// blocks of rows now and then, as runs draw them.
void drawRandomLines(Picture& p, unsigned seed, bool forgetRepeats)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> x(-500, 13500), y(-500, 9500), pick(0, 15), colour(0, 2), width(1, 4);
    std::vector<std::array<float, 4>> lines;
    for (int i = 0; i < 16; ++i) {
        const float y1 = float(y(gen));
        lines.push_back({float(x(gen)), y1, float(x(gen)), i % 4 == 0 ? y1 : float(y(gen))});
    }
    const Pixel colours[] = {black, red, bg};
    for (int i = 0; i < 4000; ++i) {
        if (i % 1000 == 999) {
            const int top = y(gen), left = x(gen);
            p.setWidth(1);
            for (int row = top; row < top + 1500; ++row)
                p.drawLine(float(left), float(row), float(left + 4000), float(row), colours[colour(gen)]);
        }
        const auto& l = lines[static_cast<std::size_t>(pick(gen))];
        if (i % 50 == 0)
            p.setWidth(width(gen));
        p.drawLine(l[0], l[1], l[2], l[3], colours[colour(gen) == 0 ? 1 : 0]);
        if (forgetRepeats)
            p.mutablePixels(); // forgets every line drawn before: draws all
    }
}

} // namespace

TEST(Picture, WipesHeldBackOnARowGiveThePixelsOfEveryLineDrawn)
{
    // wipes as runs draw them, a line or a few on each twip row and a dozen twip rows to
    // a pixel row, with the rounds broken off now and then by another line or a look at
    // the pixels, and short lines (dots) in their midst; against the same lines each
    // followed by one beyond the picture
    std::mt19937 gen(11);
    std::uniform_int_distribution<int> pattern(0, 5), coin(0, 9);
    const Pixel colours[] = {black, red, bg};
    for (double scale : {factorOne, 1.23 / twipsPerPixel}) {
        Picture held(scale, bg), plain(scale, bg);
        const auto draw = [&](float x1, float y1, float x2, float y2, Pixel c) {
            held.drawLine(x1, y1, x2, y2, c);
            plain.drawLine(x1, y1, x2, y2, c);
            plain.drawLine(-9000, -9000, -8000, -9000, c); // draws nothing, and ends any round
        };
        int p = 0;
        for (int row = 0; row < 3000; ++row) {
            if (coin(gen) == 0)
                p = pattern(gen); // the same lines for some rows, then others
            const Pixel a = colours[p % 3], b = colours[(p + 1) % 3];
            draw(15, float(row), 9000, float(row), a);
            if (p >= 2 && coin(gen) == 0) { // a dot, a bar or a short stroke on what the next line left, and the round ends
                if (row % 4 == 1) {
                    draw(5000, float(row), 5040, float(row), b);
                } else if (row % 4 == 2) {
                    draw(5000, float(row - 15), 5001, float(row), b); // down
                } else if (row % 4 == 3) {
                    draw(5000, float(row - 15), 5015, float(row), b); // across and down
                } else {
                    held.setWidth(3);
                    plain.setWidth(3);
                    draw(5000, float(row), 5400, float(row), b);
                    held.setWidth(1);
                    plain.setWidth(1);
                }
                draw(100, float(row), 1400, float(row + 900), red);
                ASSERT_EQ(differing(held, plain), 0u) << "after a short line at twip row " << row;
                continue;
            }
            if (p >= 2)
                draw(4000, float(row), 12000, float(row), b); // over part of the first
            if (p >= 4)
                draw(10000, float(row), 13000, float(row), a);
            if (coin(gen) == 0)
                draw(100, float(row), 1400, float(row + 900), red); // a round broken off
            if (coin(gen) == 0) { // a look mid-round
                ASSERT_EQ(differing(held, plain), 0u) << "at twip row " << row;
            }
            if (coin(gen) == 0)
                held.takeDirty();
        }
        EXPECT_EQ(differing(held, plain), 0u) << scale;
    }
}

TEST(Picture, SkippingAndForgettingGiveTheSamePixelsAtEveryScale)
{
    for (double scale : {factorOne, 1.77 / twipsPerPixel, 0.5 / twipsPerPixel}) {
        Picture skipping(scale, bg), reference(scale, bg);
        drawRandomLines(skipping, 7, false);
        drawRandomLines(reference, 7, true);
        EXPECT_GT(skipping.linesSkipped(), 100u);
        EXPECT_EQ(reference.linesSkipped(), 0u);
        EXPECT_EQ(differing(skipping, reference), 0u) << scale;

        // drawn again at other scales from what it kept
        for (double other : {factorOne, 2.3 / twipsPerPixel, 0.6 / twipsPerPixel}) {
            if (other == skipping.scale())
                continue;
            Picture direct(other, bg);
            drawRandomLines(direct, 7, false);
            skipping.setScale(other);
            EXPECT_LT(skipping.keptLines(), 6000u); // of 10 000, most of them wiped
            EXPECT_EQ(differing(skipping, direct), 0u) << scale << " → " << other;
        }
    }
}

namespace {

// Runs with the colour changing between them, each after the first answered Ne, as a
// class compares colours side by side; then one in air answered Ano.
void runComparison(PaintedCanvas& canvas)
{
    sim::startRun(canvas);
    canvas.choose("Červená", "0.5");
    canvas.answer(vbNo);
    sim::startRun(canvas);
    canvas.choose("Modrá", "1");
    canvas.answer(vbNo);
    sim::startRun(canvas);
    canvas.Text(Box::nUhel, "90");
    canvas.answer(vbNo);
    sim::startRun(canvas);
}

template <typename Painted = PaintedCanvas>
void drawComparison(Picture& picture)
{
    Painted canvas(picture);
    runComparison(canvas);
}

// A run's canvas that takes its rays one by one, as any canvas may.
class RaysOneByOne : public PaintedCanvas {
public:
    using PaintedCanvas::PaintedCanvas;

protected:
    void drawLines(std::span<const Segment> lines) override { Canvas::drawLines(lines); }
};

} // namespace

TEST(Picture, RaysSkippedTogetherGiveThePixelsOfEachRayDrawn)
{
    // a fan of rays drawn again and again as one group, as a run does at every screen
    // point, now and then another fan in its place, and lines of every colour over them
    // or beside them; against the same rays each drawn afresh
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> x(0, 6000), y(0, 5000), colour(0, 2), width(1, 3), coin(0, 3);
    std::vector<Segment> fans[2];
    for (int s = 0; s <= 2500; s += 100) {
        fans[0].push_back({4000.0, 1000.0 + s, 4000 - 1500 * 0.8, 1000 + s + 1500 * 0.6});
        fans[1].push_back({4000.0, 1000.0 + s, 4000 - 1500 * 0.6, 1000 + s + 1500 * 0.8});
    }
    const Pixel colours[] = {black, red, bg};
    for (double scale : {factorOne, 1.77 / twipsPerPixel}) {
        Picture grouped(scale, bg), plain(scale, bg);
        int leftOut = 0;
        for (int round = 0; round < 400; ++round) {
            const std::vector<Segment>& rays = fans[round / 50 % 2];
            grouped.setWidth(1);
            plain.setWidth(1);
            if (grouped.skipsGroup(rays, black)) {
                ++leftOut;
            } else {
                for (const Segment& r : rays)
                    grouped.drawLine(float(r.x1), float(r.y1), float(r.x2), float(r.y2), black);
                grouped.noteGroup(rays, black);
            }
            plain.mutablePixels(); // forgets every line drawn before: draws all
            for (const Segment& r : rays)
                plain.drawLine(float(r.x1), float(r.y1), float(r.x2), float(r.y2), black);
            if (coin(gen) == 0) {
                const int w = width(gen);
                const Pixel c = colours[colour(gen)];
                const float x1 = float(x(gen)), y1 = float(y(gen)), x2 = float(x(gen)), y2 = float(y(gen));
                for (Picture* p : {&grouped, &plain}) {
                    p->setWidth(w);
                    p->drawLine(x1, y1, x2, y2, c);
                }
            }
            ASSERT_EQ(differing(grouped, plain), 0u) << "after round " << round << " at " << scale;
        }
        EXPECT_GT(leftOut, 100);
    }
}

TEST(Picture, RunsGiveThePixelsOfTheirRaysTakenOneByOne)
{
    for (double scale : {factorOne, 1.77 / twipsPerPixel}) {
        Picture together(scale, bg), oneByOne(scale, bg);
        drawComparison(together);
        drawComparison<RaysOneByOne>(oneByOne);
        EXPECT_EQ(differing(together, oneByOne), 0u) << scale;
    }
}

namespace {

// A run's canvas that shows the changed areas every few lines, as a shell would at a
// frame, into a copy of its own; the copy must then be the picture.
class ShownInAreas : public PaintedCanvas {
public:
    explicit ShownInAreas(Picture& p) : PaintedCanvas(p), picture_(p)
    {
        picture_.takeDirty();
        shown.assign(p.pixels(), p.pixels() + static_cast<std::size_t>(p.width()) * static_cast<std::size_t>(p.height()));
    }

    std::vector<Pixel> shown;
    std::size_t mismatches = 0, shownPixels = 0;

    void show()
    {
        const Pixel* pixels = picture_.pixels();
        for (const PixelRect& r : picture_.takeDirty()) {
            for (int y = r.y0; y <= r.y1; ++y) {
                const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture_.width());
                std::copy(pixels + row + r.x0, pixels + row + r.x1 + 1, shown.begin() + static_cast<std::ptrdiff_t>(row + r.x0));
            }
            shownPixels += static_cast<std::size_t>(r.width()) * static_cast<std::size_t>(r.height());
        }
        mismatches += !std::equal(shown.begin(), shown.end(), pixels);
    }

protected:
    void drawLine(float x1, float y1, float x2, float y2, Colour colour, bool colourGiven) override
    {
        PaintedCanvas::drawLine(x1, y1, x2, y2, colour, colourGiven);
        if (++lines_ % 199 == 0)
            show();
    }

private:
    Picture& picture_;
    unsigned lines_ = 0;
};

} // namespace

TEST(Picture, ChangedAreasHoldEveryPixelThatChanged)
{
    for (double scale : {factorOne, 1.77 / twipsPerPixel}) {
        Picture picture(scale, bg);
        ShownInAreas canvas(picture);
        // a long slanted line, thick: a few tiles along it, not the box around it
        const std::size_t before = canvas.shownPixels;
        picture.setWidth(3);
        picture.drawLine(500, 8000, 12500, 1000, red);
        canvas.show();
        const double box = 12000 * 7000 * scale * scale;
        EXPECT_LT(static_cast<double>(canvas.shownPixels - before), box / 4) << scale;

        runComparison(canvas); // the shown copy is checked every 199 lines
        canvas.show();
        EXPECT_EQ(canvas.mismatches, 0u) << scale;
    }
}

TEST(Picture, DrawnAgainAtANewSizeAsIfDrawnThere)
{
    Picture small(factorOne, bg), large(1.77 / twipsPerPixel, bg);
    drawComparison(small);
    drawComparison(large);
    const std::size_t keptSmall = small.keptLines(), keptLarge = large.keptLines();

    small.setScale(large.scale());
    ASSERT_EQ(small.width(), large.width());
    const std::size_t total = static_cast<std::size_t>(large.width()) * static_cast<std::size_t>(large.height());
    EXPECT_LE(differing(small, large), total / 1000) << "of " << total;

    Picture direct(factorOne, bg);
    drawComparison(direct);
    large.setScale(factorOne);
    EXPECT_LE(differing(large, direct), total / 1000);
    // what it keeps stays far below the 4 × 400 000 lines the runs drew, at any scale: a
    // dot that changed no pixel at one scale is kept where its repeat was skipped at another
    EXPECT_LT(keptSmall, 400000u);
    EXPECT_LT(keptLarge, 400000u);
}

TEST(Picture, UnderlayIsPaintedUnderEveryLineAtEveryScale)
{
    Picture p(factorOne, bg);
    p.drawLine(0, 300, 1500, 300, red);
    p.setUnderlay([](Picture& q) {
        Pixel* px = q.mutablePixels();
        for (int y = 0; y < q.height() / 2; ++y)
            px[static_cast<std::size_t>(y) * static_cast<std::size_t>(q.width())] = black;
    });
    EXPECT_EQ(at(p, 0, 20), red);
    EXPECT_EQ(at(p, 0, 21), black);
    p.setScale(2.0 / twipsPerPixel);
    EXPECT_EQ(at(p, 0, 40), red);
    EXPECT_EQ(at(p, 0, 300), black);
    EXPECT_EQ(at(p, 0, 700), bg);
}

TEST(StrokeLog, ForgettingInPiecesKeepsWhatForgettingAtOnceKeeps)
{
    // slanted lines and their repeats, a wipe over part of them, and lines after it:
    // several pieces' worth
    std::mt19937 random(5);
    std::uniform_real_distribution<float> at(0, 8000);
    std::vector<Stroke> strokes;
    const auto slanted = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const float x = at(random), y = at(random);
            strokes.push_back({x, y, x + 300, y + 200, black, 1});
            if (i % 3 == 0)
                strokes.push_back(strokes[strokes.size() - 1 - static_cast<std::size_t>(i % 7)]);
        }
    };
    slanted(60000);
    for (int y = 2000; y <= 5000; ++y)
        strokes.push_back({0, static_cast<float>(y), 12000, static_cast<float>(y), bg, 1});
    slanted(20000);

    StrokeLog atOnce, inPieces, interrupted;
    for (const Stroke& s : strokes) {
        atOnce.keep(s);
        inPieces.keep(s);
        interrupted.keep(s);
    }
    atOnce.compact();
    ASSERT_LT(atOnce.size(), strokes.size() * 3 / 4);
    int pieces = 1;
    while (inPieces.makeRoom(std::size_t{1} << 20))
        ++pieces;
    EXPECT_GT(pieces, 2);
    EXPECT_TRUE(std::equal(atOnce.begin(), atOnce.end(), inPieces.begin(), inPieces.end()));

    // a line kept while pieces remain puts the compaction off, the log whole; kept while
    // those of the next one remain, it comes after what all of that one keeps
    const Stroke late{10, 10, 20, 30, red, 2}, later{40, 10, 60, 30, red, 3};
    const std::size_t room = std::size_t{1} << 20;
    ASSERT_TRUE(interrupted.makeRoom(room));
    interrupted.keep(late);
    EXPECT_EQ(interrupted.size(), strokes.size() + 1);
    ASSERT_TRUE(interrupted.makeRoom(room));
    interrupted.keep(later);
    StrokeLog reference;
    for (const Stroke& s : strokes)
        reference.keep(s);
    reference.keep(late);
    reference.compact();
    reference.keep(later);
    EXPECT_TRUE(std::equal(reference.begin(), reference.end(), interrupted.begin(), interrupted.end()));
}
