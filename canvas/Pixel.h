#pragma once

#include <cstdint>

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

} // namespace lumetra
