#include "PictureCanvas.h"

#include "Errors.h"

#include <string>

namespace lumetra {

namespace {
// the clock is read only every thousand lines or so: a line costs far less than reading
// it (in a browser, half a microsecond), and a frame comes at most that many lines late
constexpr unsigned linesPerClockCheck = 1024;
} // namespace

Pixel PictureCanvas::otherPixel(Colour colour)
{
    if (isSystemColour(colour)) {
        if (colour == vb3DLight)
            return threeDLightPixel;
        throw Failure("Neplatná hodnota barvy: systémová barva č. " + std::to_string(colour & 0xFFu) + " není známa.");
    }
    throw Failure("Neplatná hodnota barvy: " + std::to_string(colour) + ".");
}

void PictureCanvas::ScaleMode(Scale)
{
    // the picture is always measured in twips
}

void PictureCanvas::DrawWidth(int pixels)
{
    if (pixels == picture_.lineWidth()) // as a run sets it before every ray
        return;
    if (pixels < 1 || pixels > 32767)
        throw Failure("Neplatná tloušťka čáry: " + std::to_string(pixels) + ".");
    picture_.setWidth(pixels);
}

inline void PictureCanvas::linesDrawn(unsigned count)
{
    if (!live_ || (linesSinceCheck_ += count) < linesPerClockCheck)
        return;
    linesSinceCheck_ = 0;
    if (steadyNow() - lastFrame_ >= frameInterval) {
        frameShown();
        frame();
    }
}

void PictureCanvas::drawLine(float x1, float y1, float x2, float y2, Colour colour, bool)
{
    picture_.drawLine(x1, y1, x2, y2, toPixel(colour));
    linesDrawn(1);
}

// The rays of most screen points: one look for all of them, not one for each.
void PictureCanvas::drawLines(std::span<const Segment> lines)
{
    DrawWidth(1);
    const Pixel colour = toPixel(foreground);
    if (picture_.skipsGroup(lines, colour)) {
        linesDrawn(static_cast<unsigned>(lines.size()));
        return;
    }
    Canvas::drawLines(lines);
    picture_.noteGroup(lines, colour);
}

void PictureCanvas::frameShown()
{
    lastFrame_ = steadyNow();
    linesSinceCheck_ = 0;
}

void PictureCanvas::Randomize(double seed)
{
    rng_.Randomize(seed);
}

float PictureCanvas::Rnd()
{
    return rng_.Rnd();
}

} // namespace lumetra
