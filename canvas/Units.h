#pragma once

namespace lumetra {

// On their own so that the picture measures in twips without the window's placement.
constexpr double twipsPerPixel = 15.0; // at factor 1, per device-independent pixel
constexpr int designWidthTwips = 13000;
constexpr int designHeightTwips = 9000;

} // namespace lumetra
