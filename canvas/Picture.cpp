#include "Picture.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace lumetra {

namespace {

constexpr double largestScale = 0.5;

double boundedScale(double s)
{
    return std::isfinite(s) ? std::clamp(s, StrokeLog::smallestScale, largestScale) : 1.0 / twipsPerPixel;
}

} // namespace

Picture::Picture(double devicePixelsPerTwip, Pixel background)
    : raster_(boundedScale(devicePixelsPerTwip), background), repeats_(raster_.width(), raster_.height())
{
}

void Picture::setScale(double devicePixelsPerTwip)
{
    const double s = boundedScale(devicePixelsPerTwip);
    if (s == raster_.scale())
        return;
    raster_.setScale(s);
    repeats_.resize(raster_.width(), raster_.height());
    repaint();
}

void Picture::repaint()
{
    log_.compact();
    if (underlay_) {
        underlay_(*this);
        repeats_.forgetRepeats();
    }
    const int width = raster_.lineWidth();
    for (const Stroke& s : log_) {
        if (s.width != raster_.lineWidth())
            raster_.setWidth(s.width);
        const std::size_t slot = RepeatFilter::slotOf(s);
        if (repeats_.isHarmlessRepeat(s, slot) && lateLinesNoted(s, slot))
            continue;
        rasterise(s, slot);
    }
    raster_.setWidth(width);
    raster_.markAllDirty();
}

void Picture::setUnderlay(std::function<void(Picture&)> paint)
{
    underlay_ = std::move(paint);
    raster_.clear();
    repaint();
}

Pixel* Picture::mutablePixels()
{
    repeats_.forgetRepeats();
    return raster_.mutablePixels();
}

void Picture::setWidth(int pixels)
{
    raster_.setWidth(pixels);
}

void Picture::noteLateLinesNow()
{
    for (const Raster::LateLine& l : raster_.lateLines())
        repeats_.drawnLate(l.area, l.colour);
    raster_.forgetLateLines();
}

bool Picture::rasterise(const Stroke& s, std::size_t slot)
{
    const PixelRect drawn = raster_.rasterise(s);
    noteLateLines(); // written before this line
    if (drawn.empty())
        return false;
    repeats_.drawn(s, slot, drawn);
    return true;
}

void Picture::drawNew(float x1, float y1, float x2, float y2, Pixel colour, std::size_t slot)
{
    const Stroke s = strokeOf(x1, y1, x2, y2, colour);
    if (rasterise(s, slot))
        log_.keepInside(s); // some of it is in the picture
    else
        log_.keep(s);
}

namespace {

// bit for bit, as the lines would reach the picture
bool sameLines(std::span<const Segment> a, std::span<const Segment> b)
{
    if (a.size() != b.size())
        return false;
    const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    std::uint64_t differ = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        differ |= (bits(a[i].x1) ^ bits(b[i].x1)) | (bits(a[i].y1) ^ bits(b[i].y1)) | (bits(a[i].x2) ^ bits(b[i].x2))
                  | (bits(a[i].y2) ^ bits(b[i].y2));
    return differ == 0;
}

} // namespace

bool Picture::skipsGroup(std::span<const Segment> lines, Pixel colour)
{
    if (group_.empty())
        return false;
    noteLateLines();
    const Stroke pen = strokeOf(0, 0, 0, 0, colour), &noted = groupStrokes_.front();
    if (pen.colour != noted.colour || pen.width != noted.width || !sameLines(lines, group_)
        || !repeats_.isHarmlessGroupRepeat())
        return false;
    skipped_ += lines.size();
    return true;
}

// Each of the lines has just been drawn through drawLine: its end points fit a float.
void Picture::noteGroup(std::span<const Segment> lines, Pixel colour)
{
    groupStrokes_.clear();
    for (const Segment& l : lines)
        groupStrokes_.push_back(strokeOf(static_cast<float>(l.x1), static_cast<float>(l.y1), static_cast<float>(l.x2),
                                         static_cast<float>(l.y2), colour));
    if (repeats_.noteGroup(groupStrokes_.data(), groupStrokes_.size()))
        group_.assign(lines.begin(), lines.end());
    else
        group_.clear();
}

const std::vector<PixelRect>& Picture::takeDirty()
{
    return raster_.takeDirty();
}

std::size_t Picture::keptLines() const
{
    return log_.size();
}

} // namespace lumetra
