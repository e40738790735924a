#pragma once

#include "Colour.h"
#include "Pacing.h"
#include "Setup.h"
#include "Picture.h"

#include <array>
#include <optional>
#include <string_view>

namespace lumetra::window {

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

// The panels' grey is the glass's, beside the window's 3-D light background.
constexpr Colour grey = sim::glassGrey;
// The speed scroll bar's range; it starts at its minimum.
constexpr int scrollMinimum = 1;
constexpr int scrollMaximum = static_cast<int>(sim::maxDelayCount);

// A face as both shells show it: the table names faces of another system, shown here in
// their metric twins, which both shells ship.
struct Face {
    std::string_view family;
    double pointSize;
    bool bold;
};
// The window's own face, for controls that name none (and for its dialogs).
constexpr Face defaultFace{"Liberation Sans", 8.25, false};
Face faceOf(const ControlRow& c);

// The colour a control fills its area with; nullopt where it keeps its kind's own.
std::optional<Pixel> backgroundOf(const ControlRow& c);

// A rectangle in whole pixels.
struct Rect {
    int x, y, width, height;
};
// Where a control stands in its container, at `scale` pixels to a pixel of factor 1
// (the factor, or the factor times the device pixel ratio). A line is one pen wide:
// one pixel at factor 1, like every line a run draws.
Rect rectAt(const ControlRow& c, double scale);
// Any rectangle of twips, by the same rounding.
Rect scaledRect(int left, int top, int width, int height, double scale);

const ControlRow* controlNamed(std::string_view name);
} // namespace lumetra::window
