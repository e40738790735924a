#include "Picture.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

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

Picture::Picture(QSize logicalSize, qreal devicePixelRatio, QRgb background)
    : dpr_(devicePixelRatio > 0 ? devicePixelRatio : 1.0), background_(background | 0xFF000000u)
{
    const QSize device(static_cast<int>(std::ceil(logicalSize.width() * dpr_)),
                       static_cast<int>(std::ceil(logicalSize.height() * dpr_)));
    image_ = QImage(device.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image_.setDevicePixelRatio(dpr_);
    image_.fill(background_);
    remembered_.resize(slotCount);
    setWidth(1);
    resetCells();
    dirty_ = image_.rect();
}

void Picture::ensureSize(QSize logicalSize)
{
    const QSize device(static_cast<int>(std::ceil(logicalSize.width() * dpr_)),
                       static_cast<int>(std::ceil(logicalSize.height() * dpr_)));
    const QSize grown = image_.size().expandedTo(device);
    if (grown == image_.size())
        return;
    QImage bigger(grown, QImage::Format_RGB32);
    bigger.setDevicePixelRatio(dpr_);
    bigger.fill(background_);
    for (int y = 0; y < image_.height(); ++y)
        std::memcpy(bigger.scanLine(y), image_.constScanLine(y), static_cast<std::size_t>(image_.width()) * 4);
    image_ = std::move(bigger);
    resetCells();
    dirty_ = image_.rect();
}

void Picture::resetCells()
{
    cellsX_ = (image_.width() >> cellShift) + 1;
    cellsY_ = (image_.height() >> cellShift) + 1;
    cells_.assign(static_cast<std::size_t>(cellsX_) * static_cast<std::size_t>(cellsY_), Cell{});
    ++generation_;
}

QImage& Picture::imageForPainting()
{
    ++generation_;
    dirty_ = image_.rect();
    return image_;
}

void Picture::setWidth(int pixels)
{
    width_ = std::max(1, pixels);
    deviceWidth_ = std::max(1, static_cast<int>(std::lround(width_ * dpr_)));
    // round pen: a disc of the line's width, so thick lines get round ends
    const int w = deviceWidth_;
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

std::size_t Picture::hashKey(const Key& k)
{
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint32_t v : {std::bit_cast<std::uint32_t>(k.x1), std::bit_cast<std::uint32_t>(k.y1),
                            std::bit_cast<std::uint32_t>(k.x2), std::bit_cast<std::uint32_t>(k.y2),
                            static_cast<std::uint32_t>(k.colour), static_cast<std::uint32_t>(k.width)}) {
        h ^= v;
        h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h ^ (h >> 29));
}

bool Picture::isHarmlessRepeat(const Key& key, std::size_t slot) const
{
    const Remembered& r = remembered_[slot];
    if (r.generation != generation_ || !(r.key == key))
        return false;
    for (int cy = r.cy0; cy <= r.cy1; ++cy)
        for (int cx = r.cx0; cx <= r.cx1; ++cx)
            if (cells_[static_cast<std::size_t>(cy * cellsX_ + cx)].changed > r.stamp)
                return false;
    return true;
}

void Picture::fillRow(int y, int xa, int xb, QRgb colour)
{
    if (y < 0 || y >= image_.height())
        return;
    xa = std::max(xa, 0);
    xb = std::min(xb, image_.width() - 1);
    if (xa > xb)
        return;
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::fill(row + xa, row + xb + 1, colour);
}

void Picture::fillColumn(int x, int ya, int yb, QRgb colour)
{
    if (x < 0 || x >= image_.width())
        return;
    ya = std::max(ya, 0);
    yb = std::min(yb, image_.height() - 1);
    const auto stride = static_cast<std::ptrdiff_t>(image_.bytesPerLine() / 4);
    auto* p = reinterpret_cast<QRgb*>(image_.bits()) + ya * stride + x;
    for (int y = ya; y <= yb; ++y, p += stride)
        *p = colour;
}

void Picture::plot(int x, int y, QRgb colour)
{
    if (x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
        reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = colour;
}

void Picture::stamp(int x, int y, QRgb colour)
{
    for (std::size_t r = 0; r < pen_.size(); ++r)
        fillRow(y + static_cast<int>(r) - penOrigin_, x + pen_[r].first, x + pen_[r].second, colour);
}

void Picture::touch(int x0, int y0, int x1, int y1, QRgb colour)
{
    dirty_ |= QRect(QPoint(x0, y0), QPoint(x1, y1));
    const std::uint64_t now = clock_;
    for (int cy = y0 >> cellShift; cy <= (y1 >> cellShift); ++cy) {
        Cell* cell = &cells_[static_cast<std::size_t>(cy * cellsX_ + (x0 >> cellShift))];
        for (int cx = x0 >> cellShift; cx <= (x1 >> cellShift); ++cx, ++cell) {
            if (!cell->drawn || cell->colour != colour) {
                cell->changed = now;
                cell->colour = colour;
                cell->drawn = true;
            }
        }
    }
}

void Picture::drawLine(float x1, float y1, float x2, float y2, QRgb colour)
{
    colour |= 0xFF000000u;
    const Key key{x1, y1, x2, y2, colour, width_};
    const std::size_t slot = hashKey(key) & (slotCount - 1);
    if (isHarmlessRepeat(key, slot)) {
        ++skipped_;
        return;
    }

    const double scale = dpr_ / twipsPerPixel;
    double fx1 = x1 * scale, fy1 = y1 * scale, fx2 = x2 * scale, fy2 = y2 * scale;
    const double margin = deviceWidth_ + 2;
    const bool inside = std::min({fx1, fx2, fy1, fy2}) >= -margin && std::max(fx1, fx2) <= image_.width() + margin
                        && std::max(fy1, fy2) <= image_.height() + margin;
    if (!inside) {
        const double right = image_.width() + margin, bottom = image_.height() + margin;
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
    const int bx1 = std::min(std::max(X1, X2) + reachHi, image_.width() - 1);
    const int by1 = std::min(std::max(Y1, Y2) + reachHi, image_.height() - 1);
    if (bx0 > bx1 || by0 > by1)
        return;

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
            if (thin)
                plot(x, y, colour);
            else
                stamp(x, y, colour);
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

    ++clock_;
    touch(bx0, by0, bx1, by1, colour);
    remembered_[slot] = {key, clock_, generation_, bx0 >> cellShift, by0 >> cellShift, bx1 >> cellShift,
                         by1 >> cellShift};
}

QRect Picture::takeDirty()
{
    if (dirty_.isEmpty())
        return {};
    const QRect d = dirty_;
    dirty_ = QRect();
    const int x0 = static_cast<int>(std::floor(d.left() / dpr_)) - 1;
    const int y0 = static_cast<int>(std::floor(d.top() / dpr_)) - 1;
    const int x1 = static_cast<int>(std::ceil((d.right() + 1) / dpr_)) + 1;
    const int y1 = static_cast<int>(std::ceil((d.bottom() + 1) / dpr_)) + 1;
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

} // namespace lumetra
