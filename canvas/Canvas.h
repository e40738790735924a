#pragma once

#include "Colour.h"
#include "Stroke.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace lumetra {

// The text boxes that the run reads and writes: the settings and the legends.
// (Hidden from moc, whose parser knows no letters beyond ASCII.)
#ifndef Q_MOC_RUN
enum class Box {
    nUhel,
    nIndex,
    nKmitočet,
    nBarva,
    nSpomalení,
    nKlepnuto,
    nMaže,
    nVzduch,
    nVzduchSklo,
    nSklo,
    nStínítko,
    nSpektrum,
    nSoučet,
    nClona,
};
#else
enum class Box;
#endif
constexpr int boxCount = static_cast<int>(Box::nClona) + 1;

// The control's object name, as the window carries it.
std::string_view boxName(Box box);
// How the error report refers to the box ("v poli …").
std::string boxDescription(Box box);

enum class Scale { Twips };

// MsgBox answers.
constexpr int vbYes = 6;
constexpr int vbNo = 7;

// The drawing surface and the window services that a run uses. Every operation
// either succeeds or throws a Failure; nothing drawn before a failure is undone.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void ScaleMode(Scale scale) = 0;
    virtual void DrawWidth(int pixels) = 0;

    // End points arrive as computed and reach the surface in single precision; one
    // that no float can hold, or that is not finite, is an overflow.
    void Line(double x1, double y1, double x2, double y2) { line(x1, y1, x2, y2, foreground, false); }
    void Line(double x1, double y1, double x2, double y2, Colour colour) { line(x1, y1, x2, y2, colour, true); }
    // DrawWidth(1) and Line for each of the lines in turn: how a run draws its rays, the
    // very same lines at every screen point.
    void Lines(std::span<const Segment> lines) { drawLines(lines); }

    virtual std::string Text(Box box) = 0;
    virtual void Text(Box box, const std::string& text) = 0;
    virtual void Visible(Box box, bool shown) = 0;

    // Modal Yes/No question titled "Lumetra"; vbYes or vbNo.
    virtual int MsgBox(const std::string& prompt) = 0;

    virtual void Randomize(double seed) = 0;
    virtual float Rnd() = 0;

    // The window's foreground colour, used by a Line without a colour.
    static constexpr Colour foreground = RGB(0, 0, 0);

protected:
    // A line in single precision; without `colourGiven`, `colour` is the foreground. The
    // values come one by one, not as a struct: in the browser a struct is passed through
    // memory, stored by the caller and read back by the callee at each of a run's lines.
    virtual void drawLine(float x1, float y1, float x2, float y2, Colour colour, bool colourGiven) = 0;
    // A canvas that can tell that drawing them again would change nothing may skip them.
    virtual void drawLines(std::span<const Segment> lines);

private:
    // A run draws some 300 000 lines: the usual case goes straight through.
    void line(double x1, double y1, double x2, double y2, Colour colour, bool colourGiven)
    {
        constexpr double maxSingle = std::numeric_limits<float>::max();
        // one test for all four; NaN fails it too
        if (std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)}) <= maxSingle
            && !std::isnan(x1 + y1 + x2 + y2)) [[likely]]
            drawLine(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2), static_cast<float>(y2),
                     colour, colourGiven);
        else
            checkedLine(x1, y1, x2, y2, colour, colourGiven);
    }
    void checkedLine(double x1, double y1, double x2, double y2, Colour colour, bool colourGiven);
};

// Text of a box as a number; the error names the box.
double numberIn(Canvas& canvas, Box box);

} // namespace lumetra
