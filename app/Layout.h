#pragma once

#include "Colour.h"

#include <array>
#include <string_view>

namespace lumetra::app {

enum class Kind { TextBox, Label, OptionButton, Frame, CommandButton, HScrollBar, Line };

enum class Background { Default, Grey, Light, Rgb, None };

// Text alignment and border of a control.
enum Flag : unsigned {
    NoFlags = 0,
    Centred = 1,
    RightAligned = 2,
    NoBorder = 4,
    Opaque = 8,
};

// One row of the window's layout. Positions are twips from the container's corner;
// a line gives its two end points instead of a rectangle.
struct ControlRow {
    std::string_view name;
    Kind kind;
    std::string_view container; // empty: the window itself
    std::string_view text;
    int left, top, width, height;
    Background background;
    Colour rgb; // with Background::Rgb
    char font;  // 'A' … 'F', or 0 for the window's default font
    bool shown;
    int tab; // -1: none
    unsigned flags;
};

// Controls in the order of the window's control list.
extern const std::array<ControlRow, 35> controls;

// Windowed controls from the top of the stack down.
extern const std::array<std::string_view, 23> stackingTopDown;

struct Face {
    std::string_view family;
    double pointSize;
};
Face fontFor(char key);

constexpr Colour grey = RGB(192, 192, 192);

// Where a control painted on the window's surface (the label, the line) stands in the
// picture, in device pixels, at deviceFactor device pixels to a pixel of factor 1. The
// line is one pixel wide at factor 1, like every line a run draws.
struct SurfaceRect {
    int x, y, width, height;
};
SurfaceRect surfaceRect(const ControlRow& c, double deviceFactor);

} // namespace lumetra::app
