#pragma once

#include "Pixel.h"
#include "Raster.h"
#include "RepeatFilter.h"
#include "Stroke.h"
#include "StrokeLog.h"
#include "Units.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace lumetra {

// The persistent picture of the design area that runs draw into, in device pixels.
// Both front ends wrap its pixels for the screen; it knows nothing of either.
//
// It keeps the lines that can still show, so that at a new scale it draws itself again
// as if they had been drawn there.
class Picture {
public:
    // devicePixelsPerTwip is the window's factor × the device pixel ratio / 15. Line
    // widths, given in pixels of factor 1, grow with it.
    Picture(double devicePixelsPerTwip, Pixel background);

    // Draws the picture again at another scale, from the lines it kept.
    void setScale(double devicePixelsPerTwip);
    double scale() const { return raster_.scale(); }

    int width() const { return raster_.width(); }
    int height() const { return raster_.height(); }
    // Rows of width() pixels, top row first.
    const Pixel* pixels() const { return raster_.pixels(); }
    Pixel background() const { return raster_.background(); }

    void setWidth(int pixels);
    int lineWidth() const { return raster_.lineWidth(); }
    // End points in twips.
    void drawLine(float x1, float y1, float x2, float y2, Pixel colour)
    {
        const Stroke s = strokeOf(x1, y1, x2, y2, colour);
        // Most of a later run's photon dots land where dots of their colour already are,
        // most of its bars where the last run left them, and most lines of a wipe come
        // again on a pixel row that they leave as it is. None is likely to repeat a line
        // still remembered: such a line is only kept, with no look for its repeat.
        if (raster_.leavesAsItIs(s)) {
            log_.keepInside(s); // within the picture
            return;
        }
        const std::size_t slot = RepeatFilter::slotOf(s);
        // a run repeats its rays thousands of times: that case stays short, and the
        // stroke stays in registers (a new line makes it again where it needs memory)
        if (repeats_.isHarmlessRepeat(s, slot) && lateLinesNoted(s, slot)) {
            ++skipped_;
            return;
        }
        drawNew(x1, y1, x2, y2, colour, slot);
    }

    // Lines that a run draws again and again together, one after another at the pen's
    // width and in one colour (its rays, at every screen point). Once they have been
    // drawn line by line and noted, they are skipped as a whole while no pixel under
    // them has changed: true when they were.
    bool skipsGroup(std::span<const Segment> lines, Pixel colour);
    void noteGroup(std::span<const Segment> lines, Pixel colour);

    // Painted on the bare background, under every line, whenever the picture is drawn
    // anew (the shell's own labels). The painter writes into mutablePixels().
    void setUnderlay(std::function<void(Picture&)> paint);
    Pixel* mutablePixels();

    // Device rectangles changed since the last call (see Raster::takeDirty), and forgets them.
    const std::vector<PixelRect>& takeDirty();

    // Lines kept for drawing again, and repeats that were not drawn at all.
    std::size_t keptLines() const;
    std::uint64_t linesEverKept() const { return log_.everKept(); }
    // Makes room in what is kept for `lines` more, should they need it, a piece a call;
    // true while pieces remain (see StrokeLog).
    bool makeRoom(std::size_t lines) { return log_.makeRoom(lines); }
    bool writeRoom() { return log_.writeRoom(); }
    std::uint64_t linesSkipped() const { return skipped_; }

private:
    // The line as the repeat filter and the log know it: opaque, with the pen's width.
    Stroke strokeOf(float x1, float y1, float x2, float y2, Pixel colour) const
    {
        return {x1, y1, x2, y2, colour | 0xFF000000u, raster_.lineWidth()};
    }
    void repaint();
    // Tells the repeat filter of the lines the raster wrote late, before it is asked.
    void noteLateLines()
    {
        if (!raster_.lateLines().empty()) [[unlikely]]
            noteLateLinesNow();
    }
    void noteLateLinesNow();
    // Whether the filter, having found a harmless repeat, still does once told of the
    // lines written late since (a reading of the pixels between two lines writes them).
    bool lateLinesNoted(const Stroke& s, std::size_t slot)
    {
        if (raster_.lateLines().empty()) [[likely]]
            return true;
        noteLateLinesNow();
        return repeats_.isHarmlessRepeat(s, slot);
    }
    // True when it drew into the picture.
    bool rasterise(const Stroke& s, std::size_t slot);
    // Out of line, so that a repeat's path keeps no stroke in memory.
    [[gnu::noinline]] void drawNew(float x1, float y1, float x2, float y2, Pixel colour, std::size_t slot);

    Raster raster_;
    RepeatFilter repeats_;
    StrokeLog log_;
    std::function<void(Picture&)> underlay_;
    std::uint64_t skipped_ = 0;
    std::vector<Segment> group_;       // as last noted; none when noting failed
    std::vector<Stroke> groupStrokes_; // the same as strokes, kept: noting comes at every change under the group
};

} // namespace lumetra
