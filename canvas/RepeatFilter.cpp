#include "RepeatFilter.h"

#include <algorithm>

namespace lumetra {

RepeatFilter::RepeatFilter(int width, int height) : remembered_(slotCount)
{
    resize(width, height);
}

void RepeatFilter::resize(int width, int height)
{
    cellsX_ = (width >> cellShift) + 1;
    cellsY_ = (height >> cellShift) + 1;
    cells_.assign(static_cast<std::size_t>(cellsX_) * static_cast<std::size_t>(cellsY_), Cell{});
    blocksX_ = (cellsX_ >> blockShift) + 1;
    blockChanged_.assign(static_cast<std::size_t>(blocksX_) * static_cast<std::size_t>((cellsY_ >> blockShift) + 1), 0);
    forgetRepeats();
}

bool RepeatFilter::changedIn(Cells c, std::uint64_t since) const
{
    const int rx0 = c.x0, ry0 = c.y0, rx1 = c.x1, ry1 = c.y1;
    for (int by = ry0 >> blockShift; by <= (ry1 >> blockShift); ++by)
        for (int bx = rx0 >> blockShift; bx <= (rx1 >> blockShift); ++bx) {
            if (blockChanged_[static_cast<std::size_t>(by * blocksX_ + bx)] <= since)
                continue;
            // something changed in this block: look at its cells under the line
            const int cy0 = std::max(ry0, by << blockShift), cy1 = std::min(ry1, ((by + 1) << blockShift) - 1);
            const int cx0 = std::max(rx0, bx << blockShift), cx1 = std::min(rx1, ((bx + 1) << blockShift) - 1);
            for (int cy = cy0; cy <= cy1; ++cy)
                for (int cx = cx0; cx <= cx1; ++cx)
                    if (cells_[static_cast<std::size_t>(cy * cellsX_ + cx)].changed > since)
                        return true;
        }
    return false;
}

void RepeatFilter::cover(PixelRect r, Pixel colour, std::uint64_t now)
{
    const int cx0 = r.x0 >> cellShift, cx1 = r.x1 >> cellShift;
    bool changed = false;
    for (int cy = r.y0 >> cellShift; cy <= (r.y1 >> cellShift); ++cy) {
        Cell* cells = &cells_[static_cast<std::size_t>(cy * cellsX_)];
        std::uint64_t* blocks = &blockChanged_[static_cast<std::size_t>((cy >> blockShift) * blocksX_)];
        for (int cx = cx0; cx <= cx1; ++cx) {
            if (cells[cx].colour != colour) {
                cells[cx].changed = now;
                cells[cx].colour = colour;
                blocks[cx >> blockShift] = now;
                changed = true;
            }
        }
    }
    if (changed)
        lastChange_ = now;
}

void RepeatFilter::drawn(const Stroke& s, std::size_t slotOf, PixelRect r)
{
    cover(r, s.colour, ++clock_);
    Remembered& slot = remembered_[slotOf];
    const bool again = slot.key.sameAs(s) && slot.generation == generation_;
    if (again || !slot.repeated || slot.generation != generation_)
        slot = {s, clock_, generation_, again && slot.repeated,
                {static_cast<std::int16_t>(r.x0 >> cellShift), static_cast<std::int16_t>(r.y0 >> cellShift),
                 static_cast<std::int16_t>(r.x1 >> cellShift), static_cast<std::int16_t>(r.y1 >> cellShift)}};
}

// Every line of the group left the cells under it in its colour, when drawn or when last
// found unchanged; the later ones, drawn since, are of the same colour.
bool RepeatFilter::noteGroup(const Stroke* strokes, std::size_t count)
{
    group_.generation = 0;
    if (count == 0)
        return false;
    Cells all{INT16_MAX, INT16_MAX, INT16_MIN, INT16_MIN};
    for (std::size_t i = 0; i < count; ++i) {
        const Stroke& s = strokes[i];
        const Remembered& r = remembered_[slotOf(s)];
        if (r.generation != generation_ || !r.key.sameAs(s) || s.colour != strokes[0].colour
            || s.width != strokes[0].width)
            return false;
        all = {std::min(all.x0, r.cells.x0), std::min(all.y0, r.cells.y0), std::max(all.x1, r.cells.x1),
               std::max(all.y1, r.cells.y1)};
    }
    group_ = {generation_, clock_, all};
    return true;
}

} // namespace lumetra
