#include "Canvas.h"

#include "Convert.h"
#include "Errors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumetra {

std::string_view boxName(Box box)
{
    switch (box) {
    case Box::nUhel: return "nUhel";
    case Box::nIndex: return "nIndex";
    case Box::nKmitočet: return "nKmitočet";
    case Box::nBarva: return "nBarva";
    case Box::nSpomalení: return "nSpomalení";
    case Box::nKlepnuto: return "nKlepnuto";
    case Box::nMaže: return "nMaže";
    case Box::nVzduch: return "nVzduch";
    case Box::nVzduchSklo: return "nVzduchSklo";
    case Box::nSklo: return "nSklo";
    case Box::nStínítko: return "nStínítko";
    case Box::nSpektrum: return "nSpektrum";
    case Box::nSoučet: return "nSoučet";
    case Box::nClona: return "nClona";
    }
    return "?";
}

std::string boxDescription(Box box)
{
    std::string what;
    switch (box) {
    case Box::nUhel: what = "pro úhel dopadu"; break;
    case Box::nIndex: what = "pro index lomu"; break;
    case Box::nKmitočet: what = "pro kmitočet"; break;
    case Box::nBarva: what = "pro barvu světla"; break;
    case Box::nSpomalení: what = "pro zpomalení animace"; break;
    case Box::nKlepnuto: what = "se značkou změny prostředí"; break;
    case Box::nMaže: what = "se značkou proběhlého výpočtu"; break;
    default: what = "s popiskem"; break;
    }
    return "v poli " + what + " (" + std::string(boxName(box)) + ")";
}

namespace {

float toSingle(double v)
{
    constexpr double maxSingle = std::numeric_limits<float>::max();
    if (std::fabs(v) <= maxSingle)
        return static_cast<float>(v);
    if (std::isnan(v))
        throw Overflow("Přetečení: čáru nelze nakreslit, její souřadnice není číslo (výpočet přesáhl rozsah čísel).");
    if (!std::isfinite(v) || std::fabs(v) > maxSingle)
        throw Overflow("Přetečení: čáru nelze nakreslit, její souřadnice " + toText(v) + " je mimo rozsah.");
    return static_cast<float>(v);
}

} // namespace

// The end point that no float holds is found here, and reported.
void Canvas::checkedLine(double x1, double y1, double x2, double y2, Colour colour, bool colourGiven)
{
    // in order: the first end point that fails is the one reported
    const float a = toSingle(x1), b = toSingle(y1), c = toSingle(x2), d = toSingle(y2);
    drawLine(a, b, c, d, colour, colourGiven);
}

void Canvas::drawLines(std::span<const Segment> lines)
{
    for (const Segment& l : lines) {
        DrawWidth(1);
        Line(l.x1, l.y1, l.x2, l.y2);
    }
}

double numberIn(Canvas& canvas, Box box)
{
    const std::string text = canvas.Text(box);
    // A run reads a whole number at every screen point: that case has no handler around
    // it, which in the browser's build would send both calls through JavaScript.
    if (const auto whole = wholeNumber(text))
        return *whole;
    // the box is described only for the report, which a run rarely needs
    try {
        return toNumber(text);
    } catch (const NotANumber& e) {
        throw NotANumber(e.text(), boxDescription(box));
    }
}

} // namespace lumetra
