#pragma once

#include "Pixel.h"
#include "Stroke.h"
#include "Units.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <span>
#include <utility>
#include <vector>

namespace lumetra {

// The pixels of an area (the design area, unless told) at one scale, and the round pen
// that lines are drawn with.
class Raster {
public:
    Raster(double devicePixelsPerTwip, Pixel background, int widthTwips = designWidthTwips,
           int heightTwips = designHeightTwips);
    // the pen points into the raster's own pens (moving keeps them where they are)
    Raster(const Raster&) = delete;
    Raster& operator=(const Raster&) = delete;
    Raster(Raster&&) = default;
    Raster& operator=(Raster&&) = default;

    // Every pixel back to the background at the new size, all of it dirty.
    void setScale(double devicePixelsPerTwip);
    double scale() const { return scale_; }

    int width() const { return width_; }
    int height() const { return height_; }
    const Pixel* pixels() const
    {
        writeHeld();
        return pixels_.data();
    }
    Pixel* mutablePixels()
    {
        forgetRound();
        markAllDirty();
        return pixels_.data();
    }
    Pixel background() const { return background_; }
    void clear();

    // In pixels of factor 1: the pen grows with the scale.
    void setWidth(int pixels);
    int lineWidth() const { return lineWidth_; }

    // Draws the line with the current pen, not its own width, and returns the device
    // rectangle it may have changed: empty when it misses the picture, or when it is
    // known to leave every pixel as it was. Inlined: a run draws some 90 000 lines
    // through here, most of them thin ones that need nothing more.
    [[gnu::always_inline]] PixelRect rasterise(const Stroke& s)
    {
        // thin and on one pixel row of the picture (dots, most arrows, and wipes at small
        // scales): the pixels the pen would give, found directly, and without its set-up
        int y, xa, xb;
        if (thinSpan(s, y, xa, xb)) {
            if (changesNothing(y, xa, xb, s.colour) || !thinRow(y, xa, xb, s.colour))
                return {};
            return touch(xa, y, xb, y);
        }
        // thin and in one pixel column (most other arrows): filled directly, after any
        // round held back, as the pen would
        int x, ya, yb;
        if (thinColumn(s, x, ya, yb)) {
            if (columnChangesNothing(x, ya, yb, s.colour))
                return {};
            forgetRound();
            fillColumn(x, ya, yb, s.colour);
            return touch(x, ya, x, yb);
        }
        // a diagonal step of one pixel (the rest of the arrows): the pen sets its two end
        // pixels and no other
        Step step;
        if (thinStep(s, step)) {
            if (stepChangesNothing(step, s.colour))
                return {};
            forgetRound();
            pixels_[index(step.x1, step.y1)] = s.colour;
            pixels_[index(step.x2, step.y2)] = s.colour;
            return touch(std::min(step.x1, step.x2), std::min(step.y1, step.y2), std::max(step.x1, step.x2),
                         std::max(step.y1, step.y2));
        }
        return rasteriseWithPen(s);
    }

    // Whether the line lies within the picture and is known to leave every pixel as it is:
    // a short thin one over pixels of its colour (a photon dot, say), one more thin line
    // of a round that repeats (a wipe's), which it moves on (see Round), a short thin one
    // in one pixel column or a step over pixels of its colour, or a horizontal one of a
    // wider pen over pixels of its colour (a bar where the last run left it).
    [[gnu::always_inline]] bool leavesAsItIs(const Stroke& s)
    {
        int y, xa, xb;
        if (thinSpan(s, y, xa, xb))
            return changesNothing(y, xa, xb, s.colour) || heldBack(y, {xa, xb, s.colour});
        int x, ya, yb;
        if (thinColumn(s, x, ya, yb))
            return columnChangesNothing(x, ya, yb, s.colour);
        Step step;
        if (thinStep(s, step))
            return stepChangesNothing(step, s.colour);
        return s.y1 == s.y2 && deviceWidth_ > 1 && penRowChangesNothing(s);
    }

    // A line held back on its row (see Round) and written only once its round broke off
    // may change pixels then, if the round's lines overlap: those lines, in the order
    // written, until forgotten.
    struct LateLine {
        PixelRect area;
        Pixel colour;
    };
    const std::vector<LateLine>& lateLines() const { return late_; }
    void forgetLateLines() { late_.clear(); }

    void markAllDirty();
    // The areas changed since the last call, as few rectangles of whole tiles. Lines far
    // apart, or one long slanted line, would otherwise make one rectangle of most of the
    // picture, and the shell copies every pixel of what it is given.
    const std::vector<PixelRect>& takeDirty();

    // Changed areas are made of whole tiles of this many pixels a side.
    static constexpr int tileShift = 5;
    static constexpr int tileSize = 1 << tileShift;

private:
    void allocate();
    // The row and columns of a thin line within the picture whose ends fall on one pixel
    // row; false for any other. A slanted one (most arrows of a chain, a pixel or two
    // long) sets the very pixels of the horizontal one.
    [[gnu::always_inline]] bool thinSpan(const Stroke& s, int& y, int& xa, int& xb) const
    {
        if (deviceWidth_ != 1)
            return false;
        const double fy = s.y1 * scale_, fa = std::min(s.x1, s.x2) * scale_, fb = std::max(s.x1, s.x2) * scale_;
        if (!(fy >= 0 && fy < height_ && fa >= 0 && fb < width_))
            return false;
        if (s.y1 != s.y2) {
            const double fy2 = s.y2 * scale_;
            if (!(fy2 >= 0 && fy2 < height_) || static_cast<int>(fy2) != static_cast<int>(fy))
                return false;
        }
        y = static_cast<int>(fy);
        xa = static_cast<int>(fa);
        xb = static_cast<int>(fb);
        return true;
    }
    // The column and rows of a thin line within the picture whose ends fall on one pixel
    // column; false for any other.
    [[gnu::always_inline]] bool thinColumn(const Stroke& s, int& x, int& ya, int& yb) const
    {
        if (deviceWidth_ != 1)
            return false;
        const double fx = s.x1 * scale_, fx2 = s.x2 * scale_;
        const double fa = std::min(s.y1, s.y2) * scale_, fb = std::max(s.y1, s.y2) * scale_;
        if (!(fx >= 0 && fx < width_ && fx2 >= 0 && fx2 < width_ && fa >= 0 && fb < height_)
            || static_cast<int>(fx) != static_cast<int>(fx2))
            return false;
        x = static_cast<int>(fx);
        ya = static_cast<int>(fa);
        yb = static_cast<int>(fb);
        return true;
    }
    // The end pixels of a thin line within the picture that goes one pixel across and one
    // up or down; false for any other.
    struct Step {
        int x1, y1, x2, y2;
    };
    [[gnu::always_inline]] bool thinStep(const Stroke& s, Step& step) const
    {
        if (deviceWidth_ != 1)
            return false;
        const double fx1 = s.x1 * scale_, fy1 = s.y1 * scale_, fx2 = s.x2 * scale_, fy2 = s.y2 * scale_;
        if (!(fx1 >= 0 && fx1 < width_ && fx2 >= 0 && fx2 < width_ && fy1 >= 0 && fy1 < height_ && fy2 >= 0
              && fy2 < height_))
            return false;
        step = {static_cast<int>(fx1), static_cast<int>(fy1), static_cast<int>(fx2), static_cast<int>(fy2)};
        return std::abs(step.x2 - step.x1) == 1 && std::abs(step.y2 - step.y1) == 1;
    }
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }
    void setPen(int deviceWidth);
    // out of line: the thin lines above need none of its set-up
    [[gnu::noinline]] PixelRect rasteriseWithPen(const Stroke& s);
    // Whether a short thin line on row y, from column xa to xb, would leave every pixel
    // as it is.
    bool changesNothing(int y, int xa, int xb, Pixel colour) const;
    // Whether lines are held back on a row from ya to yb: they would change its pixels
    // before a line drawn there now comes.
    bool heldOn(int ya, int yb) const
    {
        return round_.repeating && round_.held > 0 && round_.row >= ya && round_.row <= yb;
    }
    // The same as changesNothing for a short thin line in column x, from row ya to yb,
    // and for a step.
    bool columnChangesNothing(int x, int ya, int yb, Pixel colour) const
    {
        constexpr int longest = 8;
        if (yb - ya >= longest || heldOn(ya, yb))
            return false;
        const Pixel* p = pixels_.data() + static_cast<std::ptrdiff_t>(ya) * width_ + x;
        for (int y = ya; y <= yb; ++y, p += width_)
            if (*p != colour)
                return false;
        return true;
    }
    bool stepChangesNothing(const Step& step, Pixel colour) const
    {
        return !heldOn(std::min(step.y1, step.y2), std::max(step.y1, step.y2))
               && pixels_[index(step.x1, step.y1)] == colour && pixels_[index(step.x2, step.y2)] == colour;
    }
    // The same for a horizontal line of a wider pen within the picture; out of line, as
    // thin lines need none of it.
    [[gnu::noinline]] bool penRowChangesNothing(const Stroke& s) const;
    // A thin horizontal line inside the picture, from column xa to xb of row y: false
    // when it was held back, which changes no pixel now.
    bool thinRow(int y, int xa, int xb, Pixel colour);
    struct Span;
    // Whether the line on row y is the next of a round that repeats: held back, it moves
    // the round on.
    bool heldBack(int y, const Span& line);
    // Writes the part of a repeated round that was held back.
    void writeHeld() const;
    // Something else is drawn: the next thin line starts a round afresh.
    void forgetRound() const
    {
        writeHeld();
        round_.row = -1;
    }
    void fillRow(int y, int xa, int xb, Pixel colour);
    void fillColumn(int x, int ya, int yb, Pixel colour);
    void stamp(int x, int y, Pixel colour);
    // Adds a rectangle just drawn (inside the picture) to the dirty area, and returns it.
    PixelRect touch(int x0, int y0, int x1, int y1) const
    {
        unite(x0, y0, x1, y1);
        markTiles(x0, y0, x1, y1);
        return {x0, y0, x1, y1};
    }
    void unite(int x0, int y0, int x1, int y1) const
    {
        dirty_ = dirty_.empty() ? PixelRect{x0, y0, x1, y1}
                                : PixelRect{std::min(dirty_.x0, x0), std::min(dirty_.y0, y0), std::max(dirty_.x1, x1),
                                            std::max(dirty_.y1, y1)};
    }
    void markTiles(int x0, int y0, int x1, int y1) const;
    // the tiles a slanted line from (X1, Y1) to (X2, Y2) crosses, with the pen's reach
    void touchAlong(int X1, int Y1, int X2, int Y2, int reachLo, int reachHi, const PixelRect& box);

    double scale_;
    Pixel background_;
    int widthTwips_, heightTwips_;
    int width_ = 0, height_ = 0;
    mutable std::vector<Pixel> pixels_; // (reading them first writes a held-back round)

    int lineWidth_ = 1;
    int deviceWidth_ = 1;
    // the device width of each narrow line width at this scale, 0 until worked out: a run
    // changes the width twice a point
    std::array<int, 8> deviceWidths_{};
    // For each row of the round pen, its first and last column: one of the narrower pens
    // made so far (by device width), or the one wide pen. A run changes the width twice a
    // point, and only points at another pen.
    std::span<const std::pair<int, int>> pen_;
    std::vector<std::vector<std::pair<int, int>>> pens_;
    std::vector<std::pair<int, int>> widePen_;
    int penOrigin_ = 0;

    mutable PixelRect dirty_; // around all that changed (a held round written late too)
    int tilesX_ = 0;
    mutable std::vector<unsigned char> dirtyTiles_; // row by row, 1 where something changed
    std::vector<PixelRect> areas_;
    std::vector<std::size_t> open_, opening_; // the areas that may still grow down

    // A wipe draws a thin line on every twip row, a dozen or more of them to a pixel row.
    // Once the lines drawn on a row come again in the same order, writing them again
    // changes no pixel (the last line over each pixel is the same one), so the repeat is
    // held back, and written only when it breaks off before the round is whole.
    struct Span {
        int xa, xb;
        Pixel colour;
        bool operator==(const Span&) const = default;
    };
    struct Round {
        static constexpr int longest = 4;
        int row = -1;
        Span lines[longest]{};
        int length = 0;
        bool repeating = false;
        bool apart = false; // no two lines of the round share a pixel: writing one late changes nothing
        int held = 0; // of the round repeating, the first `held` lines came and were not written
    };
    mutable Round round_;
    mutable std::vector<LateLine> late_;
};

// Most of a run's photon dots land where dots of their colour already are: such a line
// need not be drawn, nor remembered for its repeats (which change nothing either). Longer
// lines (wipes, bars) seldom change nothing, and would take longer to look at. Inline, as
// a run asks it of some 70 000 lines.
inline bool Raster::changesNothing(int y, int xa, int xb, Pixel colour) const
{
    constexpr int longest = 8;
    if (xb - xa >= longest || heldOn(y, y))
        return false;
    const Pixel* row = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    return std::all_of(row + xa, row + xb + 1, [&](Pixel p) { return p == colour; });
}

inline bool Raster::heldBack(int y, const Span& line)
{
    Round& r = round_;
    if (r.row != y || !r.repeating || !(line == r.lines[r.held]))
        return false;
    if (++r.held == r.length)
        r.held = 0; // a whole round again: nothing changed
    return true;
}

} // namespace lumetra
