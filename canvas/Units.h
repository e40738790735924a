#pragma once

namespace lumetra {

// The design area holds every control and everything a run draws, in twips; at factor 1
// a pixel is 15 twips. The picture and the window's placement share these.
constexpr double twipsPerPixel = 15.0;
constexpr int designWidthTwips = 13000;
constexpr int designHeightTwips = 9000;

} // namespace lumetra
