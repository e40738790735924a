#include "Display.h"

#include "Convert.h"
#include "Pacing.h"

#include <algorithm>
#include <cmath>

namespace lumetra::sim {

std::optional<Hue> hueOf(const std::string& name)
{
    if (name == "Červená")
        return Hue{RGB(255, 0, 0), RGB(255, 0, 0), 0};
    if (name == "Zelená")
        return Hue{49152, RGB(0, 255, 0), -15};
    if (name == "Modrá")
        return Hue{RGB(0, 0, 255), RGB(0, 0, 255), -30};
    return std::nullopt;
}

namespace {

// The bar of a point, and its dots on a dot row. Out of line, apart from the delay: a run
// pauses only there, so the browser's build need not prepare this code, some 60 000
// lines a run, for a pause.
[[gnu::noinline]] int drawPoint(Canvas& canvas, const Geometry& g, const Hue& hue, double barScale, int d,
                                double probability, int tailY)
{
    const double bar = barScale * probability;
    canvas.DrawWidth(3);
    canvas.Line(g.screenX, tailY, g.screenX + bar, tailY, hue.bar);
    const double dotCount = bar;
    canvas.DrawWidth(1);
    if (d % dotRowEvery != 0)
        return 0;
    const int y = g.topY + hue.dotRowOffset + d;
    const double dots = dotCount >= 1.0 ? std::floor(std::min(dotCount, maxDotsPerRow)) : 0.0;
    for (double k = 1; k <= dots; k += 1) {
        const double r = canvas.Rnd();
        const float dotOffset = static_cast<float>(std::floor(1500.0 * r + 1.0));
        canvas.Line(g.stripX + dotOffset, y, g.stripX + dotLength + dotOffset, y, hue.dot);
    }
    return static_cast<int>(dots);
}

} // namespace

int showPoint(Canvas& canvas, const Geometry& g, double barScale, int d, double probability, int tailY)
{
    int drawn = 0;
    canvas.Randomize(100);
    if (const auto hue = hueOf(canvas.Text(Box::nBarva)))
        drawn = drawPoint(canvas, g, *hue, barScale, d, probability, tailY);
    pace(numberIn(canvas, Box::nSpomalení));
    return drawn;
}

void endRun(Canvas& canvas)
{
    for (Box legend : {Box::nClona, Box::nStínítko, Box::nSpektrum, Box::nSoučet, Box::nVzduch, Box::nSklo})
        canvas.Visible(legend, true);
    canvas.Text(Box::nKlepnuto, toText(0));
}

} // namespace lumetra::sim
