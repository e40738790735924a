#include "Picture.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <unordered_map>

namespace lumetra {

namespace {

// Liang–Barsky: cuts the segment to the rectangle; false when nothing of it is inside.
bool clipSegment(double& x0, double& y0, double& x1, double& y1, double xmin, double ymin, double xmax, double ymax)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - xmin, xmax - x0, y0 - ymin, ymax - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
    }
    const double ax = x0, ay = y0;
    x0 = ax + t0 * dx;
    y0 = ay + t0 * dy;
    x1 = ax + t1 * dx;
    y1 = ay + t1 * dy;
    return true;
}

// Below this the picture is coarser than a window at the smallest factor on a screen
// zoomed out to half; the covering rules below hold down to it.
constexpr double smallestScale = 1.0 / 60.0;
constexpr double largestScale = 0.5;

double boundedScale(double s)
{
    return std::isfinite(s) ? std::clamp(s, smallestScale, largestScale) : 1.0 / twipsPerPixel;
}

// How far, in twips, the pixels of a line of this width can reach beyond its end points
// at any scale from smallestScale up: half the pen, and the rounding to whole pixels.
double reachOf(int width)
{
    return 7.5 * width + 1.25 / smallestScale + 5;
}

// Disjoint closed intervals of one row, in order. Two intervals join only when they
// overlap or touch, so a covered interval is covered at every scale.
class Intervals {
public:
    bool covers(float a, float b) const
    {
        auto it = std::upper_bound(spans_.begin(), spans_.end(), a,
                                   [](float v, const std::pair<float, float>& s) { return v < s.first; });
        return it != spans_.begin() && std::prev(it)->second >= b;
    }
    // Adds [a, b]; returns the interval it became part of.
    std::pair<float, float> add(float a, float b)
    {
        auto first = std::lower_bound(spans_.begin(), spans_.end(), a,
                                      [](const std::pair<float, float>& s, float v) { return s.second < v; });
        auto last = first;
        while (last != spans_.end() && last->first <= b) {
            a = std::min(a, last->first);
            b = std::max(b, last->second);
            ++last;
        }
        if (first == last) {
            spans_.insert(first, {a, b});
        } else {
            *first = {a, b};
            spans_.erase(first + 1, last);
        }
        return {a, b};
    }

private:
    std::vector<std::pair<float, float>> spans_;
};

// Blocks of twips that thin lines on every one of their rows cover, each row with one
// interval across the whole block: whatever lies inside such blocks is wiped.
class WipedBlocks {
public:
    static constexpr int size = 32;

    WipedBlocks()
        : columns_(designWidthTwips / size + 1), words_((columns_ + 63) / 64),
          bits_(static_cast<std::size_t>(designHeightTwips + 1) * static_cast<std::size_t>(words_)),
          rows_(static_cast<std::size_t>(designHeightTwips / size + 1) * static_cast<std::size_t>(columns_))
    {
    }

    // Row y is covered from a to b, now that [added, to] joined it: only the blocks
    // that this piece reaches can have become covered.
    void cover(int y, float a, float b, float added, float to)
    {
        const int first = std::max({0, static_cast<int>(std::ceil(a / size)), static_cast<int>(added / size)});
        const int last = std::min({columns_ - 1, static_cast<int>(std::floor(b / size)) - 1, static_cast<int>(to / size)});
        std::uint64_t* bits = &bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(words_)];
        std::uint8_t* rows = &rows_[static_cast<std::size_t>(y / size) * static_cast<std::size_t>(columns_)];
        for (int c = first; c <= last; ++c) {
            const std::uint64_t bit = std::uint64_t{1} << (c & 63);
            if (!(bits[c >> 6] & bit)) {
                bits[c >> 6] |= bit;
                ++rows[c];
            }
        }
    }

    // Whether the rectangle lies inside wiped blocks.
    bool covers(double left, double top, double right, double bottom) const
    {
        if (left < 0 || top < 0 || right > designWidthTwips || bottom > designHeightTwips)
            return false;
        const int c0 = static_cast<int>(left) / size, c1 = static_cast<int>(right) / size;
        const int r0 = static_cast<int>(top) / size, r1 = static_cast<int>(bottom) / size;
        for (int r = r0; r <= r1; ++r) {
            const int full = std::min(size, designHeightTwips + 1 - r * size);
            const std::uint8_t* rows = &rows_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_)];
            for (int c = c0; c <= c1; ++c)
                if (rows[c] != full)
                    return false;
        }
        return true;
    }

private:
    int columns_, words_;
    std::vector<std::uint64_t> bits_; // for each row, the blocks it covers
    std::vector<std::uint8_t> rows_;  // for each block, how many of its rows cover it
};

} // namespace

Picture::Picture(double devicePixelsPerTwip, Pixel background)
    : scale_(boundedScale(devicePixelsPerTwip)), background_(background | 0xFF000000u), compactAt_(1u << 18)
{
    remembered_.resize(slotCount);
    // room for a few runs, taken as needed rather than copied along as it grows
    strokes_.reserve(compactAt_);
    allocate();
    setWidth(1);
}

void Picture::allocate()
{
    width_ = static_cast<int>(std::floor(designWidthTwips * scale_ + 1e-9)) + 1;
    height_ = static_cast<int>(std::floor(designHeightTwips * scale_ + 1e-9)) + 1;
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), background_);
    cellsX_ = (width_ >> cellShift) + 1;
    cellsY_ = (height_ >> cellShift) + 1;
    cells_.assign(static_cast<std::size_t>(cellsX_) * static_cast<std::size_t>(cellsY_), Cell{});
    blocksX_ = (cellsX_ >> blockShift) + 1;
    blockChanged_.assign(static_cast<std::size_t>(blocksX_) * static_cast<std::size_t>((cellsY_ >> blockShift) + 1), 0);
    forgetRepeats();
    dirty_ = {0, 0, width_ - 1, height_ - 1};
}

void Picture::forgetRepeats()
{
    ++generation_;
}

void Picture::setScale(double devicePixelsPerTwip)
{
    const double s = boundedScale(devicePixelsPerTwip);
    if (s == scale_)
        return;
    scale_ = s;
    allocate();
    pen_.clear(); // the pen's pixels follow the scale
    setWidth(lineWidth_);
    repaint();
}

void Picture::repaint()
{
    compact();
    if (underlay_) {
        underlay_(*this);
        forgetRepeats();
    }
    const int width = lineWidth_;
    for (const Stroke& s : strokes_) {
        if (s.width != lineWidth_)
            setWidth(s.width);
        const std::size_t slot = hashStroke(s) & (slotCount - 1);
        if (isHarmlessRepeat(s, slot))
            continue;
        rasterise(s, slot);
    }
    setWidth(width);
    dirty_ = {0, 0, width_ - 1, height_ - 1};
}

void Picture::setUnderlay(std::function<void(Picture&)> paint)
{
    underlay_ = std::move(paint);
    std::fill(pixels_.begin(), pixels_.end(), background_);
    repaint();
}

Pixel* Picture::mutablePixels()
{
    forgetRepeats();
    dirty_ = {0, 0, width_ - 1, height_ - 1};
    return pixels_.data();
}

void Picture::setWidth(int pixels)
{
    if (pixels == lineWidth_ && !pen_.empty())
        return;
    lineWidth_ = std::max(1, pixels);
    setPen(std::max(1, static_cast<int>(std::lround(lineWidth_ * twipsPerPixel * scale_))));
}

void Picture::setPen(int deviceWidth)
{
    if (deviceWidth == deviceWidth_ && !pen_.empty())
        return;
    deviceWidth_ = deviceWidth;
    // round pen: a disc of the line's width, so thick lines get round ends
    const int w = deviceWidth;
    penOrigin_ = (w - 1) / 2;
    const double c = (w - 1) / 2.0, r2 = (w / 2.0) * (w / 2.0) + 1e-9;
    pen_.clear();
    for (int row = 0; row < w; ++row) {
        int lo = w, hi = -1;
        for (int col = 0; col < w; ++col) {
            if ((col - c) * (col - c) + (row - c) * (row - c) <= r2) {
                lo = std::min(lo, col);
                hi = std::max(hi, col);
            }
        }
        pen_.emplace_back(lo - penOrigin_, hi - penOrigin_);
    }
}

bool Picture::changedInBlocks(const Remembered& r) const
{
    const int rx0 = r.cx0, ry0 = r.cy0, rx1 = r.cx1, ry1 = r.cy1;
    for (int by = ry0 >> blockShift; by <= (ry1 >> blockShift); ++by)
        for (int bx = rx0 >> blockShift; bx <= (rx1 >> blockShift); ++bx) {
            if (blockChanged_[static_cast<std::size_t>(by * blocksX_ + bx)] <= r.stamp)
                continue;
            // something changed in this block: look at its cells under the line
            const int cy0 = std::max(ry0, by << blockShift), cy1 = std::min(ry1, ((by + 1) << blockShift) - 1);
            const int cx0 = std::max(rx0, bx << blockShift), cx1 = std::min(rx1, ((bx + 1) << blockShift) - 1);
            for (int cy = cy0; cy <= cy1; ++cy)
                for (int cx = cx0; cx <= cx1; ++cx)
                    if (cells_[static_cast<std::size_t>(cy * cellsX_ + cx)].changed > r.stamp)
                        return true;
        }
    return false;
}

void Picture::fillRow(int y, int xa, int xb, Pixel colour)
{
    if (y < 0 || y >= height_)
        return;
    xa = std::max(xa, 0);
    xb = std::min(xb, width_ - 1);
    if (xa > xb)
        return;
    Pixel* row = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    std::fill(row + xa, row + xb + 1, colour);
}

void Picture::fillColumn(int x, int ya, int yb, Pixel colour)
{
    if (x < 0 || x >= width_)
        return;
    ya = std::max(ya, 0);
    yb = std::min(yb, height_ - 1);
    Pixel* p = pixels_.data() + static_cast<std::ptrdiff_t>(ya) * width_ + x;
    for (int y = ya; y <= yb; ++y, p += width_)
        *p = colour;
}

void Picture::stamp(int x, int y, Pixel colour)
{
    for (std::size_t r = 0; r < pen_.size(); ++r)
        fillRow(y + static_cast<int>(r) - penOrigin_, x + pen_[r].first, x + pen_[r].second, colour);
}

void Picture::touch(int x0, int y0, int x1, int y1, Pixel colour)
{
    dirty_ = dirty_.empty() ? PixelRect{x0, y0, x1, y1}
                            : PixelRect{std::min(dirty_.x0, x0), std::min(dirty_.y0, y0), std::max(dirty_.x1, x1),
                                        std::max(dirty_.y1, y1)};
    const std::uint64_t now = clock_;
    for (int cy = y0 >> cellShift; cy <= (y1 >> cellShift); ++cy) {
        Cell* cell = &cells_[static_cast<std::size_t>(cy * cellsX_ + (x0 >> cellShift))];
        for (int cx = x0 >> cellShift; cx <= (x1 >> cellShift); ++cx, ++cell) {
            if (!cell->drawn || cell->colour != colour) {
                cell->changed = now;
                cell->colour = colour;
                cell->drawn = true;
                blockChanged_[static_cast<std::size_t>((cy >> blockShift) * blocksX_ + (cx >> blockShift))] = now;
                lastChange_ = now;
            }
        }
    }
}

void Picture::drawNew(const Stroke& s, std::size_t slot)
{
    rasterise(s, slot);
    keep(s);
}

void Picture::rasterise(const Stroke& s, std::size_t slotOf)
{
    const double scale = scale_;
    if (s.y1 == s.y2 && deviceWidth_ == 1) {
        // thin and horizontal, within the picture (dots, and wipes at small scales): the
        // pixels the general way below would give, found directly
        const double fy = s.y1 * scale, fa = std::min(s.x1, s.x2) * scale, fb = std::max(s.x1, s.x2) * scale;
        if (fy >= 0 && fy < height_ && fa >= 0 && fb < width_) {
            const int y = static_cast<int>(fy), xa = static_cast<int>(fa), xb = static_cast<int>(fb);
            Pixel* row = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
            std::fill(row + xa, row + xb + 1, s.colour);
            drawn(s, slotOf, xa, y, xb, y);
            return;
        }
    }
    double fx1 = s.x1 * scale, fy1 = s.y1 * scale, fx2 = s.x2 * scale, fy2 = s.y2 * scale;
    const double margin = deviceWidth_ + 2;
    const bool inside = std::min({fx1, fx2, fy1, fy2}) >= -margin && std::max(fx1, fx2) <= width_ + margin
                        && std::max(fy1, fy2) <= height_ + margin;
    if (!inside) {
        const double right = width_ + margin, bottom = height_ + margin;
        if (fy1 == fy2 || fx1 == fx2) {
            if (std::max(fx1, fx2) < -margin || std::min(fx1, fx2) > right || std::max(fy1, fy2) < -margin
                || std::min(fy1, fy2) > bottom)
                return;
        } else if (!clipSegment(fx1, fy1, fx2, fy2, -margin, -margin, right, bottom)) {
            return;
        }
        // exact for the bars and wipes however far they reach; for slanted lines it
        // mops up the rounding that far-away end points leave in the cut
        fx1 = std::clamp(fx1, -margin, right);
        fx2 = std::clamp(fx2, -margin, right);
        fy1 = std::clamp(fy1, -margin, bottom);
        fy2 = std::clamp(fy2, -margin, bottom);
    }

    const int X1 = static_cast<int>(std::floor(fx1)), Y1 = static_cast<int>(std::floor(fy1));
    const int X2 = static_cast<int>(std::floor(fx2)), Y2 = static_cast<int>(std::floor(fy2));
    const int reachLo = -penOrigin_, reachHi = deviceWidth_ - 1 - penOrigin_;
    const int bx0 = std::max(std::min(X1, X2) + reachLo, 0);
    const int by0 = std::max(std::min(Y1, Y2) + reachLo, 0);
    const int bx1 = std::min(std::max(X1, X2) + reachHi, width_ - 1);
    const int by1 = std::min(std::max(Y1, Y2) + reachHi, height_ - 1);
    if (bx0 > bx1 || by0 > by1)
        return;

    const Pixel colour = s.colour;
    if (Y1 == Y2) {
        const int xa = std::min(X1, X2), xb = std::max(X1, X2);
        for (std::size_t r = 0; r < pen_.size(); ++r)
            fillRow(Y1 + static_cast<int>(r) - penOrigin_, xa + pen_[r].first, xb + pen_[r].second, colour);
    } else if (X1 == X2) {
        const int ya = std::min(Y1, Y2), yb = std::max(Y1, Y2);
        for (std::size_t r = 0; r < pen_.size(); ++r)
            fillColumn(X1 + static_cast<int>(r) - penOrigin_, ya + pen_[r].first, yb + pen_[r].second, colour);
    } else {
        // Bresenham from the first end point to the second
        const int dx = std::abs(X2 - X1), sx = X1 < X2 ? 1 : -1;
        const int dy = -std::abs(Y2 - Y1), sy = Y1 < Y2 ? 1 : -1;
        int err = dx + dy, x = X1, y = Y1;
        const bool thin = deviceWidth_ == 1;
        for (;;) {
            if (thin) {
                if (x >= 0 && y >= 0 && x < width_ && y < height_)
                    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)]
                        = colour;
            } else {
                stamp(x, y, colour);
            }
            if (x == X2 && y == Y2)
                break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }

    drawn(s, slotOf, bx0, by0, bx1, by1);
}

void Picture::drawn(const Stroke& s, std::size_t slotOf, int bx0, int by0, int bx1, int by1)
{
    ++clock_;
    touch(bx0, by0, bx1, by1, s.colour);
    Remembered& slot = remembered_[slotOf];
    if (slot.key == s || !slot.repeated || slot.generation != generation_)
        slot = {s, clock_, generation_, slot.key == s && slot.generation == generation_ && slot.repeated,
                static_cast<std::int16_t>(bx0 >> cellShift), static_cast<std::int16_t>(by0 >> cellShift),
                static_cast<std::int16_t>(bx1 >> cellShift), static_cast<std::int16_t>(by1 >> cellShift)};
}

void Picture::keep(const Stroke& s)
{
    const double reach = reachOf(s.width);
    // nothing of it can reach the design area at any scale
    if (std::min(s.x1, s.x2) - reach > designWidthTwips || std::max(s.x1, s.x2) + reach < 0
        || std::min(s.y1, s.y2) - reach > designHeightTwips || std::max(s.y1, s.y2) + reach < 0)
        return;
    strokes_.push_back(s);
    if (strokes_.size() >= compactAt_)
        compact();
}

std::size_t Picture::keptLines() const
{
    return strokes_.size();
}

// Forgets the lines that later ones cover at every scale, newest first:
// - an exact repeat covers the earlier copy;
// - horizontal lines of one row and width cover the parts of that row they span;
// - thin horizontal lines on every twip row of an area (a wipe) cover whatever lies
//   inside it, with room left for the widest pen and the rounding of any scale.
void Picture::compact()
{
    const std::size_t n = strokes_.size();
    if (n == 0)
        return;
    const auto slanted = static_cast<std::size_t>(
        std::count_if(strokes_.begin(), strokes_.end(), [](const Stroke& s) { return s.y1 != s.y2; }));
    std::size_t tableSize = 1;
    while (tableSize < 2 * slanted + 2)
        tableSize <<= 1;
    std::vector<std::uint32_t> seen(tableSize, UINT32_MAX);
    std::vector<Intervals> thinRows(static_cast<std::size_t>(designHeightTwips) + 1);
    std::unordered_map<std::uint64_t, Intervals> otherRows;
    std::vector<bool> keepIt(n, false);

    WipedBlocks wipes;
    auto wiped = [&](const Stroke& s) {
        const double reach = reachOf(s.width);
        return wipes.covers(std::min(s.x1, s.x2) - reach, std::min(s.y1, s.y2) - reach, std::max(s.x1, s.x2) + reach,
                            std::max(s.y1, s.y2) + reach);
    };

    for (std::size_t i = n; i-- > 0;) {
        const Stroke& s = strokes_[i];
        // a horizontal repeat is covered on its row like any other; the rest are looked up
        std::size_t h = 0;
        if (s.y1 != s.y2) {
            h = hashStroke(s) & (tableSize - 1);
            bool repeated = false;
            while (seen[h] != UINT32_MAX) {
                if (strokes_[seen[h]] == s) {
                    repeated = true;
                    break;
                }
                h = (h + 1) & (tableSize - 1);
            }
            if (repeated)
                continue;
        }

        Intervals* row = nullptr;
        int thinRow = -1;
        const float a = std::min(s.x1, s.x2), b = std::max(s.x1, s.x2);
        if (s.y1 == s.y2) {
            const float y = s.y1;
            if (s.width == 1 && y >= 0 && y <= designHeightTwips && y == std::floor(y)) {
                thinRow = static_cast<int>(y);
                row = &thinRows[static_cast<std::size_t>(thinRow)];
            } else {
                row = &otherRows[(std::uint64_t{std::bit_cast<std::uint32_t>(y)} << 32)
                                 | static_cast<std::uint32_t>(s.width)];
            }
            if (row->covers(a, b))
                continue;
        }
        if (wiped(s))
            continue;

        keepIt[i] = true;
        if (s.y1 != s.y2)
            seen[h] = static_cast<std::uint32_t>(i);
        if (row) {
            const auto [from, to] = row->add(a, b);
            if (thinRow >= 0)
                wipes.cover(thinRow, from, to, a, b);
        }
    }

    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (keepIt[i])
            strokes_[out++] = strokes_[i];
    strokes_.resize(out);
    compactAt_ = std::max(2 * out, out + (std::size_t{1} << 18));
}

PixelRect Picture::takeDirty()
{
    const PixelRect d = dirty_;
    dirty_ = {};
    return d;
}

} // namespace lumetra
