#pragma once

#include "Units.h"

namespace lumetra {

// The design area is shown at one factor for the whole window: the largest at which it
// fits the client area, never below minimumFactor, centred; a window too small even for
// that cuts it off on the right and at the bottom.
constexpr double minimumFactor = 0.5;
// A page may shrink further, where the browser lets the user zoom in: down to where the
// picture is as coarse as it may be.
constexpr double smallestPageFactor = 0.25;

struct Placement {
    double factor = 1.0;
    // corner of the design area in the client area, whole device-independent pixels
    int left = 0;
    int top = 0;

    // device-independent pixels per twip
    double pixelsPerTwip() const { return factor / twipsPerPixel; }
    // the design area's size at this factor, device-independent pixels
    double width() const { return designWidthTwips * pixelsPerTwip(); }
    double height() const { return designHeightTwips * pixelsPerTwip(); }
};

// Client size in device-independent pixels.
Placement placeDesign(double clientWidth, double clientHeight, double floor = minimumFactor);

} // namespace lumetra
