#pragma once

#include "Units.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace lumetra {

// 0xFFRRGGBB: what QImage calls RGB32.
using Pixel = std::uint32_t;

// Device pixels, both corners included.
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    bool empty() const { return x1 < x0 || y1 < y0; }
    int width() const { return x1 - x0 + 1; }
    int height() const { return y1 - y0 + 1; }
};

// The persistent picture of the design area that runs draw into, in device pixels.
// Both front ends wrap its pixels for the screen; it knows nothing of either.
//
// It keeps the lines that can still show, so that at a new scale it draws itself again
// as if they had been drawn there. A line is forgotten once later lines cover it at
// every scale: a repeat of it, a longer line on its row, or a wipe over its area.
class Picture {
public:
    // devicePixelsPerTwip is the window's factor × the device pixel ratio / 15. Line
    // widths, given in pixels of factor 1, grow with it.
    Picture(double devicePixelsPerTwip, Pixel background);

    // Draws the picture again at another scale, from the lines it kept.
    void setScale(double devicePixelsPerTwip);
    double scale() const { return scale_; }

    int width() const { return width_; }
    int height() const { return height_; }
    // Rows of width() pixels, top row first.
    const Pixel* pixels() const { return pixels_.data(); }
    Pixel background() const { return background_; }

    void setWidth(int pixels);
    int lineWidth() const { return lineWidth_; }
    // End points in twips.
    void drawLine(float x1, float y1, float x2, float y2, Pixel colour)
    {
        const Stroke s{x1, y1, x2, y2, colour | 0xFF000000u, lineWidth_};
        const std::size_t slot = hashStroke(s) & (slotCount - 1);
        // a run repeats its rays thousands of times: that case stays short
        if (isHarmlessRepeat(s, slot)) {
            ++skipped_;
            return;
        }
        drawNew(s, slot);
    }

    // Painted on the bare background, under every line, whenever the picture is drawn
    // anew (the shell's own labels). The painter writes into mutablePixels().
    void setUnderlay(std::function<void(Picture&)> paint);
    Pixel* mutablePixels();

    // Device rectangle changed since the last call, and forgets it.
    PixelRect takeDirty();

    // Lines kept for drawing again, and repeats that were not drawn at all.
    std::size_t keptLines() const;
    std::uint64_t linesSkipped() const { return skipped_; }

private:
    struct Stroke {
        float x1, y1, x2, y2;
        Pixel colour;
        int width;
        // bit for bit: a repeat is the very same call, and it is quicker than six comparisons
        bool operator==(const Stroke& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
    };
    // A line drawn lately, to know its repeats. One that did repeat keeps its place
    // against lines that never do (dots, arrows), until the picture forgets repeats.
    struct alignas(64) Remembered { // one cache line each
        Stroke key{};
        std::uint64_t stamp = 0;
        std::uint32_t generation = 0;
        bool repeated = false;
        std::int16_t cx0 = 0, cy0 = 0, cx1 = -1, cy1 = -1;
    };
    struct Cell {
        std::uint64_t changed = 0;
        Pixel colour = 0;
        bool drawn = false;
    };
    static constexpr int cellShift = 5;
    // blocks of 8 × 8 cells, so that a repeat far from any change is found at once
    static constexpr int blockShift = 3;
    static constexpr std::size_t slotCount = 1024;

    void allocate();
    void repaint();
    void rasterise(const Stroke& s, std::size_t slot);
    // Marks what a line just drew, and remembers it for its repeats.
    void drawn(const Stroke& s, std::size_t slot, int x0, int y0, int x1, int y1);
    void setPen(int deviceWidth);
    void forgetRepeats();
    bool isHarmlessRepeat(const Stroke& s, std::size_t slot)
    {
        Remembered& r = remembered_[slot];
        if (r.generation != generation_ || !(r.key == s) || changedUnder(r))
            return false;
        // nothing under it changed up to now, so later repeats need only look at what comes after
        r.stamp = clock_;
        r.repeated = true;
        return true;
    }
    void drawNew(const Stroke& s, std::size_t slot);
    // Whether a cell under the line took another colour since it was drawn.
    bool changedUnder(const Remembered& r) const { return lastChange_ > r.stamp && changedInBlocks(r); }
    bool changedInBlocks(const Remembered& r) const;
    void fillRow(int y, int xa, int xb, Pixel colour);
    void fillColumn(int x, int ya, int yb, Pixel colour);
    void stamp(int x, int y, Pixel colour);
    void touch(int x0, int y0, int x1, int y1, Pixel colour);
    void keep(const Stroke& s);
    void compact();
    static std::size_t hashStroke(const Stroke& k)
    {
        const auto pair = [](float a, float b) {
            return std::uint64_t{std::bit_cast<std::uint32_t>(a)} | std::uint64_t{std::bit_cast<std::uint32_t>(b)} << 32;
        };
        std::uint64_t h = pair(k.x1, k.y1) * 0x9E3779B97F4A7C15ull;
        h ^= pair(k.x2, k.y2) * 0xC2B2AE3D27D4EB4Full;
        h ^= (std::uint64_t{k.colour} | std::uint64_t(static_cast<std::uint32_t>(k.width)) << 32) * 0x165667B19E3779F9ull;
        return static_cast<std::size_t>(h ^ (h >> 29) ^ (h >> 47));
    }

    double scale_;
    Pixel background_;
    int width_ = 0, height_ = 0;
    std::vector<Pixel> pixels_;
    std::function<void(Picture&)> underlay_;

    int lineWidth_ = 1;
    int deviceWidth_ = 1;
    std::vector<std::pair<int, int>> pen_; // for each row of the round pen, its first and last column
    int penOrigin_ = 0;

    PixelRect dirty_;
    int cellsX_ = 0, cellsY_ = 0;
    std::vector<Cell> cells_;
    int blocksX_ = 0;
    std::vector<std::uint64_t> blockChanged_;
    std::uint64_t lastChange_ = 0; // the latest change of any cell
    std::vector<Remembered> remembered_;
    std::uint64_t clock_ = 0;
    std::uint32_t generation_ = 1;
    std::uint64_t skipped_ = 0;

    std::vector<Stroke> strokes_;
    std::size_t compactAt_;
};

} // namespace lumetra
