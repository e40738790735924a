#pragma once

#include "Canvas.h"
#include "Geometry.h"

#include <optional>
#include <string>

namespace lumetra::sim {

// How a colour name shows: bar, photon dots and the offset of its dot rows.
struct Hue {
    Colour bar;
    Colour dot;
    int dotRowOffset;
};
std::optional<Hue> hueOf(const std::string& colourName);

// A dot row scatters photon dots; every 45th screen point is one.
constexpr int dotRowEvery = 45;
constexpr int dotLength = 10;
// A dot row never takes more dots than this. The program's own settings give at most
// a few thousand; a typed frequency of 0 would ask for hundreds of thousands per row,
// long after every column of the strip is covered.
constexpr double maxDotsPerRow = 15000;

// Per screen point: the bar of its probability, its photon dots on dot rows, then the
// pacing delay. Returns the number of dots drawn.
int showPoint(Canvas& canvas, const Geometry& g, double barScale, int d, double probability, int tailY);

// After the last screen point: the legends, and no medium change pending.
void endRun(Canvas& canvas);

} // namespace lumetra::sim
