#pragma once

#include "Pixel.h"
#include "Stroke.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumetra {

// Knows a line drawn lately when it comes again, and whether drawing it again would
// change any pixel: not while no cell under it took another colour since.
class RepeatFilter {
public:
    static constexpr std::size_t slotCount = 1024;
    static std::size_t slotOf(const Stroke& s) { return hashStroke(s) & (slotCount - 1); }

    // A picture of this many device pixels.
    RepeatFilter(int width, int height);
    // A new size: the cells follow it, and every repeat is forgotten.
    void resize(int width, int height);
    // For when pixels changed without lines: nothing drawn up to now is known to repeat.
    void forgetRepeats() { ++generation_; }

    bool isHarmlessRepeat(const Stroke& s, std::size_t slot)
    {
        Remembered& r = remembered_[slot];
        if (r.generation != generation_ || !r.key.sameAs(s) || changedUnder(r))
            return false;
        // nothing under it changed up to now, so later repeats need only look at what comes after
        r.stamp = clock_;
        r.repeated = true;
        return true;
    }
    // Marks the device rectangle a line just drew, and remembers the line for its repeats.
    void drawn(const Stroke& s, std::size_t slot, PixelRect r);
    // Marks the device rectangle of a line written late (see Raster::lateLines).
    void drawnLate(PixelRect r, Pixel colour) { cover(r, colour, ++clock_); }

    // Lines that come again and again together (a run's rays), just drawn or found to
    // repeat harmlessly one by one: from now on they repeat harmlessly as a whole, while
    // no cell under any of them takes another colour. False when one of them is not
    // remembered (two of them in one slot, say), and nothing is noted.
    bool noteGroup(const Stroke* strokes, std::size_t count);
    bool isHarmlessGroupRepeat()
    {
        Group& g = group_;
        if (g.generation != generation_ || (lastChange_ > g.stamp && changedIn(g.cells, g.stamp)))
            return false;
        g.stamp = clock_;
        return true;
    }

private:
    // a rectangle of cells, as they lie under a line
    struct Cells {
        std::int16_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    };
    struct Group {
        std::uint32_t generation = 0; // none yet
        std::uint64_t stamp = 0;
        Cells cells;
    };
    // A line drawn lately, to know its repeats. One that did repeat keeps its place
    // against lines that never do (dots, arrows), until the picture forgets repeats.
    struct alignas(64) Remembered { // one cache line each
        Stroke key{};
        std::uint64_t stamp = 0;
        std::uint32_t generation = 0;
        bool repeated = false;
        Cells cells;
    };
    struct Cell {
        std::uint64_t changed = 0;
        Pixel colour = 0; // never drawn: every line is opaque, so none has this colour
    };
    static constexpr int cellShift = 5;
    // blocks of 8 × 8 cells, so that a repeat far from any change is found at once
    static constexpr int blockShift = 3;

    // The cells of `r` take `colour`; those that held another changed `now`.
    void cover(PixelRect r, Pixel colour, std::uint64_t now);
    // Whether a cell under the line took another colour since it was drawn.
    bool changedUnder(const Remembered& r) const { return lastChange_ > r.stamp && changedIn(r.cells, r.stamp); }
    bool changedIn(Cells cells, std::uint64_t since) const;

    int cellsX_ = 0, cellsY_ = 0;
    std::vector<Cell> cells_;
    int blocksX_ = 0;
    std::vector<std::uint64_t> blockChanged_;
    std::uint64_t lastChange_ = 0; // the latest change of any cell
    std::vector<Remembered> remembered_;
    Group group_;
    std::uint64_t clock_ = 0;
    std::uint32_t generation_ = 1;
};

} // namespace lumetra
