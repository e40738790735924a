#include "Raster.h"

#include "Units.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

} // namespace

Raster::Raster(double devicePixelsPerTwip, Pixel background, int widthTwips, int heightTwips)
    : scale_(devicePixelsPerTwip), background_(background | 0xFF000000u), widthTwips_(widthTwips),
      heightTwips_(heightTwips)
{
    allocate();
    setWidth(1);
}

void Raster::allocate()
{
    round_ = {};
    late_.clear();
    width_ = static_cast<int>(std::floor(widthTwips_ * scale_ + 1e-9)) + 1;
    height_ = static_cast<int>(std::floor(heightTwips_ * scale_ + 1e-9)) + 1;
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), background_);
    tilesX_ = ((width_ - 1) >> tileShift) + 1;
    const int tilesY = ((height_ - 1) >> tileShift) + 1;
    dirtyTiles_.assign(static_cast<std::size_t>(tilesX_) * static_cast<std::size_t>(tilesY), 0);
    markAllDirty();
}

void Raster::markAllDirty()
{
    dirty_ = {0, 0, width_ - 1, height_ - 1};
    std::fill(dirtyTiles_.begin(), dirtyTiles_.end(), 1);
}

void Raster::markTiles(int x0, int y0, int x1, int y1) const
{
    x0 = std::max(x0, 0) >> tileShift;
    y0 = std::max(y0, 0) >> tileShift;
    x1 = std::min(x1, width_ - 1) >> tileShift;
    y1 = std::min(y1, height_ - 1) >> tileShift;
    for (int ty = y0; ty <= y1; ++ty) {
        unsigned char* row = dirtyTiles_.data() + static_cast<std::ptrdiff_t>(ty) * tilesX_;
        std::fill(row + x0, row + x1 + 1, 1);
    }
}

// A step at a time, no longer than a tile: the pixels Bresenham sets between a step's
// ends lie in their box, widened by the pen's reach and the rounding of the steps (and
// within the line's own box, which the areas are looked for in).
void Raster::touchAlong(int X1, int Y1, int X2, int Y2, int reachLo, int reachHi, const PixelRect& box)
{
    constexpr int slack = 2;
    const long long dx = X2 - X1, dy = Y2 - Y1;
    const long long steps = std::max(1LL, std::max(std::abs(dx), std::abs(dy)) >> tileShift);
    int px = X1, py = Y1;
    for (long long k = 1; k <= steps; ++k) {
        const int x = X1 + static_cast<int>(dx * k / steps), y = Y1 + static_cast<int>(dy * k / steps);
        markTiles(std::max(box.x0, std::min(px, x) + reachLo - slack), std::max(box.y0, std::min(py, y) + reachLo - slack),
                  std::min(box.x1, std::max(px, x) + reachHi + slack), std::min(box.y1, std::max(py, y) + reachHi + slack));
        px = x;
        py = y;
    }
}

const std::vector<PixelRect>& Raster::takeDirty()
{
    writeHeld();
    areas_.clear();
    open_.clear();
    if (dirty_.empty())
        return areas_;
    const int tx0 = dirty_.x0 >> tileShift, tx1 = dirty_.x1 >> tileShift;
    for (int ty = dirty_.y0 >> tileShift; ty <= dirty_.y1 >> tileShift; ++ty) {
        unsigned char* row = dirtyTiles_.data() + static_cast<std::ptrdiff_t>(ty) * tilesX_;
        opening_.clear();
        for (int tx = tx0; tx <= tx1; ++tx) {
            if (!row[tx])
                continue;
            int end = tx;
            while (end < tx1 && row[end + 1])
                ++end;
            std::fill(row + tx, row + end + 1, 0);
            const PixelRect r{tx << tileShift, ty << tileShift, std::min(width_ - 1, ((end + 1) << tileShift) - 1),
                              std::min(height_ - 1, ((ty + 1) << tileShift) - 1)};
            // the same columns as an area of the tile row above: that one grows down
            const auto same = std::find_if(open_.begin(), open_.end(), [&](std::size_t a) {
                return areas_[a].x0 == r.x0 && areas_[a].x1 == r.x1;
            });
            if (same != open_.end()) {
                areas_[*same].y1 = r.y1;
                opening_.push_back(*same);
            } else {
                opening_.push_back(areas_.size());
                areas_.push_back(r);
            }
            tx = end;
        }
        open_.swap(opening_);
    }
    dirty_ = {};
    return areas_;
}

void Raster::setScale(double devicePixelsPerTwip)
{
    scale_ = devicePixelsPerTwip;
    allocate();
    pen_ = {}; // the pen's pixels follow the scale
    deviceWidths_.fill(0);
    setWidth(lineWidth_);
}

void Raster::clear()
{
    round_ = {};
    late_.clear();
    std::fill(pixels_.begin(), pixels_.end(), background_);
}

void Raster::setWidth(int pixels)
{
    if (pixels == lineWidth_ && !pen_.empty())
        return;
    lineWidth_ = std::max(1, pixels);
    const auto deviceWidth = [&] { return std::max(1, static_cast<int>(std::lround(lineWidth_ * twipsPerPixel * scale_))); };
    if (static_cast<std::size_t>(lineWidth_) >= deviceWidths_.size()) {
        setPen(deviceWidth());
        return;
    }
    int& known = deviceWidths_[static_cast<std::size_t>(lineWidth_)];
    if (known == 0)
        known = deviceWidth();
    setPen(known);
}

void Raster::setPen(int deviceWidth)
{
    if (deviceWidth == deviceWidth_ && !pen_.empty())
        return;
    deviceWidth_ = deviceWidth;
    // round pen: a disc of the line's width, so thick lines get round ends
    const int w = deviceWidth;
    penOrigin_ = (w - 1) / 2;
    // a run changes the width at every point: the pens it uses are made once
    const auto known = static_cast<std::size_t>(w);
    if (known < pens_.size() && !pens_[known].empty()) {
        pen_ = pens_[known];
        return;
    }
    const double c = (w - 1) / 2.0, r2 = (w / 2.0) * (w / 2.0) + 1e-9;
    std::vector<std::pair<int, int>> made;
    for (int row = 0; row < w; ++row) {
        int lo = w, hi = -1;
        for (int col = 0; col < w; ++col) {
            if ((col - c) * (col - c) + (row - c) * (row - c) <= r2) {
                lo = std::min(lo, col);
                hi = std::max(hi, col);
            }
        }
        made.emplace_back(lo - penOrigin_, hi - penOrigin_);
    }
    if (known < 64) {
        if (pens_.size() <= known)
            pens_.resize(known + 1); // the pens' rows stay where they are
        pens_[known] = std::move(made);
        pen_ = pens_[known];
    } else {
        widePen_ = std::move(made);
        pen_ = widePen_;
    }
}

void Raster::fillRow(int y, int xa, int xb, Pixel colour)
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

void Raster::fillColumn(int x, int ya, int yb, Pixel colour)
{
    if (x < 0 || x >= width_)
        return;
    ya = std::max(ya, 0);
    yb = std::min(yb, height_ - 1);
    Pixel* p = pixels_.data() + static_cast<std::ptrdiff_t>(ya) * width_ + x;
    for (int y = ya; y <= yb; ++y, p += width_)
        *p = colour;
}

bool Raster::penRowChangesNothing(const Stroke& s) const
{
    // longer ones (wipes at large scales) seldom change nothing, and would take long to look at
    constexpr int longest = 512;
    const double fy = s.y1 * scale_, fa = std::min(s.x1, s.x2) * scale_, fb = std::max(s.x1, s.x2) * scale_;
    if (!(fy >= 0 && fy < height_ && fa >= 0 && fb < width_))
        return false;
    const int xa = static_cast<int>(fa), xb = static_cast<int>(fb);
    const int top = static_cast<int>(fy) - penOrigin_, rows = static_cast<int>(pen_.size());
    if (xb - xa >= longest || heldOn(top, top + rows - 1))
        return false;
    // the pixels that rasteriseWithPen would set
    for (int r = 0; r < rows; ++r) {
        const int y = top + r;
        if (y < 0 || y >= height_)
            continue;
        const int a = std::max(xa + pen_[static_cast<std::size_t>(r)].first, 0);
        const int b = std::min(xb + pen_[static_cast<std::size_t>(r)].second, width_ - 1);
        // no way out within a row: the look then goes several pixels at a time
        const Pixel* row = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
        Pixel differ = 0;
        for (int x = a; x <= b; ++x)
            differ |= row[x] ^ s.colour;
        if (differ != 0)
            return false;
    }
    return true;
}

bool Raster::thinRow(int y, int xa, int xb, Pixel colour)
{
    const Span line{xa, xb, colour};
    if (heldBack(y, line))
        return false;
    Round& r = round_;
    if (r.row == y) {
        if (r.repeating) {
            writeHeld();
            r.repeating = false;
            r.length = 0; // a round afresh, from this line
        } else if (r.length > 0 && line == r.lines[0]) {
            r.repeating = true;
            r.held = r.length == 1 ? 0 : 1;
            // Lines of the round that share no pixel each hold their colour whatever comes
            // in between (a partial wipe's two lines on each row): writing one that was
            // held back changes nothing either.
            r.apart = true;
            for (int i = 0; i < r.length; ++i)
                for (int j = i + 1; j < r.length; ++j)
                    r.apart = r.apart && (r.lines[i].xb < r.lines[j].xa || r.lines[j].xb < r.lines[i].xa);
            return false;
        } else if (r.length == Round::longest) {
            r.length = 0;
        }
    } else {
        writeHeld();
        r = {};
        r.row = y;
    }
    r.lines[r.length++] = line;
    Pixel* row = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    std::fill(row + xa, row + xb + 1, colour);
    return true;
}

void Raster::writeHeld() const
{
    Round& r = round_;
    if (!r.repeating || r.held == 0)
        return;
    Pixel* row = pixels_.data() + static_cast<std::ptrdiff_t>(r.row) * width_;
    for (int i = 0; i < r.held; ++i) {
        const Span& l = r.lines[i];
        std::fill(row + l.xa, row + l.xb + 1, l.colour);
        // over what a later line of the round left: a change after all
        if (!r.apart)
            late_.push_back({touch(l.xa, r.row, l.xb, r.row), l.colour});
    }
    // the row now ends with those lines: the next one starts a round afresh
    r.repeating = false;
    r.length = 0;
    r.held = 0;
}

void Raster::stamp(int x, int y, Pixel colour)
{
    for (std::size_t r = 0; r < pen_.size(); ++r)
        fillRow(y + static_cast<int>(r) - penOrigin_, x + pen_[r].first, x + pen_[r].second, colour);
}

PixelRect Raster::rasteriseWithPen(const Stroke& s)
{
    const double scale = scale_;
    forgetRound();
    double fx1 = s.x1 * scale, fy1 = s.y1 * scale, fx2 = s.x2 * scale, fy2 = s.y2 * scale;
    const double margin = deviceWidth_ + 2;
    const bool inside = std::min({fx1, fx2, fy1, fy2}) >= -margin && std::max(fx1, fx2) <= width_ + margin
                        && std::max(fy1, fy2) <= height_ + margin;
    if (!inside) {
        const double right = width_ + margin, bottom = height_ + margin;
        if (fy1 == fy2 || fx1 == fx2) {
            if (std::max(fx1, fx2) < -margin || std::min(fx1, fx2) > right || std::max(fy1, fy2) < -margin
                || std::min(fy1, fy2) > bottom)
                return {};
        } else if (!clipSegment(fx1, fy1, fx2, fy2, -margin, -margin, right, bottom)) {
            return {};
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
        return {};

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
        const PixelRect box{bx0, by0, bx1, by1};
        unite(bx0, by0, bx1, by1);
        touchAlong(X1, Y1, X2, Y2, reachLo, reachHi, box);
        return box;
    }

    return touch(bx0, by0, bx1, by1);
}

} // namespace lumetra
