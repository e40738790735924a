#pragma once

#include "Pixel.h"
#include "Stroke.h"
#include "Units.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace lumetra {

// The pixels of an area (the design area, unless told) at one scale, and the round pen
// that lines are drawn with.
class Raster {
public:
    Raster(double devicePixelsPerTwip, Pixel background, int widthTwips = designWidthTwips,
           int heightTwips = designHeightTwips);

    // Every pixel back to the background at the new size, all of it dirty.
    void setScale(double devicePixelsPerTwip);
    double scale() const { return scale_; }

    int width() const { return width_; }
    int height() const { return height_; }
    const Pixel* pixels() const { return pixels_.data(); }
    Pixel* mutablePixels()
    {
        markAllDirty();
        return pixels_.data();
    }
    Pixel background() const { return background_; }
    void clear();

    // In pixels of factor 1: the pen grows with the scale.
    void setWidth(int pixels);
    int lineWidth() const { return lineWidth_; }

    // Draws the line with the current pen, not its own width, and returns the device
    // rectangle it may have changed: empty when it misses the picture.
    PixelRect rasterise(const Stroke& s);

    void markAllDirty() { dirty_ = {0, 0, width_ - 1, height_ - 1}; }
    PixelRect takeDirty()
    {
        const PixelRect d = dirty_;
        dirty_ = {};
        return d;
    }

private:
    void allocate();
    void setPen(int deviceWidth);
    void fillRow(int y, int xa, int xb, Pixel colour);
    void fillColumn(int x, int ya, int yb, Pixel colour);
    void stamp(int x, int y, Pixel colour);
    // Adds a rectangle just drawn to the dirty one, and returns it.
    PixelRect touch(int x0, int y0, int x1, int y1)
    {
        dirty_ = dirty_.empty() ? PixelRect{x0, y0, x1, y1}
                                : PixelRect{std::min(dirty_.x0, x0), std::min(dirty_.y0, y0), std::max(dirty_.x1, x1),
                                            std::max(dirty_.y1, y1)};
        return {x0, y0, x1, y1};
    }

    double scale_;
    Pixel background_;
    int widthTwips_, heightTwips_;
    int width_ = 0, height_ = 0;
    std::vector<Pixel> pixels_;

    int lineWidth_ = 1;
    int deviceWidth_ = 1;
    std::vector<std::pair<int, int>> pen_; // for each row of the round pen, its first and last column
    int penOrigin_ = 0;

    PixelRect dirty_;
};

} // namespace lumetra
