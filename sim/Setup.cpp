#include "Setup.h"

#include "Convert.h"


namespace lumetra::sim {

namespace {

// Air is wiped in the window's background, anything else in glass grey.
Colour mediumColour(Canvas& canvas)
{
    return numberIn(canvas, Box::nIndex) == 1.0 ? vb3DLight : glassGrey;
}

// The medium is read where a row first needs it, so a bad index text fails at the
// same point as it would when read for every row; it cannot change within a wipe.
class MediumColour {
public:
    explicit MediumColour(Canvas& canvas) : canvas_(canvas) {}
    Colour operator()()
    {
        if (!known_) {
            colour_ = mediumColour(canvas_);
            known_ = true;
        }
        return colour_;
    }

private:
    Canvas& canvas_;
    Colour colour_ = 0;
    bool known_ = false;
};

} // namespace

Clearing chooseClearing(Canvas& canvas)
{
    if (numberIn(canvas, Box::nMaže) == 0.0)
        return Clearing::FirstRun;
    const int answer = canvas.MsgBox(std::string(clearQuestion));
    const double mediumChanged = numberIn(canvas, Box::nKlepnuto);
    return (answer == vbYes || mediumChanged == 1.0) ? Clearing::Full : Clearing::Partial;
}

// Out of line, so that its thousands of lines are plain calls: inlined into a caller
// that holds a string, each would need a landing pad, which in the browser's build is a
// round trip through JavaScript.
[[gnu::noinline]] void clearPicture(Canvas& canvas, const Geometry& g, Clearing clearing)
{
    const int right = Geometry::wipeRight;
    const int stripRight = g.stripX + Geometry::stripWidth;
    MediumColour medium(canvas);
    switch (clearing) {
    case Clearing::FirstRun:
        for (int y = 1; y <= Geometry::wipeBottom; y += 3)
            canvas.Line(g.apertureX, y, right, y, medium());
        for (int y = g.topY; y <= g.bottomY; y += 3)
            canvas.Line(g.stripX, y, stripRight, y);
        break;
    case Clearing::Full:
        for (int y = 1; y <= Geometry::wipeBottom; ++y) {
            canvas.Line(1, y, right, y, vb3DLight);
            canvas.Line(g.apertureX, y, right, y, medium());
            if (y > g.topY && y < g.bottomY)
                canvas.Line(g.stripX, y, stripRight, y);
        }
        break;
    case Clearing::Partial:
        for (int y = 1; y <= Geometry::wipeBottom; ++y) {
            canvas.Line(1, y, g.apertureX, y, vb3DLight);
            canvas.Line(stripRight, y, right, y, medium());
        }
        break;
    }
}

double phaseRateOf(const std::string& frequencyText)
{
    return toNumber(frequencyText, boxDescription(Box::nKmitočet)) * 0.2;
}

double setUpRun(Canvas& canvas, Geometry& g, std::string* frequencyText, Clearing* chosen)
{
    canvas.ScaleMode(Scale::Twips);
    g = Geometry{};

    canvas.DrawWidth(4);
    canvas.Line(g.apertureX, g.topY, g.apertureX, g.slitTopY);
    canvas.Line(g.apertureX, g.slitTopY + 100 + g.slitWidth, g.apertureX, g.bottomY);
    canvas.DrawWidth(1);

    const std::string frequency = canvas.Text(Box::nKmitočet);
    const double phaseRate = phaseRateOf(frequency);
    if (frequencyText)
        *frequencyText = frequency;

    const Clearing clearing = chooseClearing(canvas);
    if (chosen)
        *chosen = clearing;
    clearPicture(canvas, g, clearing);
    canvas.Text(Box::nMaže, toText(1));

    canvas.DrawWidth(1);
    canvas.Line(g.apertureX, g.topY, g.apertureX, g.bottomY);
    canvas.DrawWidth(1);
    canvas.Line(g.apertureX, g.topY, g.apertureX, g.slitTopY);
    canvas.Line(g.apertureX, g.slitTopY + g.slitWidth, g.apertureX, g.bottomY);
    canvas.Line(g.screenX, g.topY, g.screenX, g.bottomY);
    canvas.Line(g.spiralX, g.topY, g.spiralX, g.bottomY);
    return phaseRate;
}

} // namespace lumetra::sim
