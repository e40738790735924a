#pragma once

#include "Canvas.h"
#include "Geometry.h"

#include <functional>
#include <optional>
#include <vector>

namespace lumetra::sim {

// What stays the same for every screen point of one run. Tables hold values that the
// sweep would otherwise compute again and again with the very same result.
struct SweepConstants {
    SweepConstants(const Geometry& g, const RunParameters& p, double tilt);

    // the slit points of a path each, so the arrows of a chain
    static constexpr int slitPoints = 501;

    Geometry g;
    RunParameters p;
    double sinTilt;
    double cosTilt;
    int lastPoint;                          // d runs 0 … lastPoint
    std::vector<double> wavefrontDelay;     // by slit index s / 5
    std::vector<double> opticalDistance;    // by (slitTopY + s) − (topY + d) + distanceOffset
    int distanceOffset;
    std::vector<Segment> rays;              // s = 0, 100, … 2500
};

constexpr int slitStep = 5;
constexpr int rayEvery = 100;
constexpr int pathLineEvery = 500;
constexpr int chainEvery = 200;

double halfPi();
double tiltFor(double angleDegrees);

// The squared length of the resultant arrow of screen point d. When `draw` is given it
// also draws the incoming rays, the path fan and the arrow chain of the point, in the
// order of the slit points.
double sweepPoint(const SweepConstants& c, int d, Canvas* draw);

// The heads of the arrow chain of screen point d, from its tail on: 502 points, as the
// run adds the arrows, arrow by arrow.
struct Head {
    double x, y;
};
std::vector<Head> chain(const SweepConstants& c, int d);

// The squared length of the resultant arrow of every screen point 0 … lastPoint: what
// sweepPoint gives, to rounding, from a sum that takes no angle function per arrow.
std::vector<double> probabilities(const SweepConstants& c);

// The probabilities of the last sweep, for the next one: a run again with the same
// settings (as after answering a question) would sum the same 3.5 million arrows to
// the very same values.
class SweepMemory {
public:
    // probabilities(c), from the last call when its constants were bit for bit these.
    const std::vector<double>& probabilities(const SweepConstants& c);
    // Whether it has the sums of these constants.
    bool holds(const SweepConstants& c) const;

private:
    struct Inputs {
        Geometry g;
        RunParameters p;
        double sinTilt, cosTilt;
    };

    std::optional<Inputs> inputs_;
    std::vector<double> values_;
};

// The whole sweep: every screen point in turn, each followed by `eachPoint(d, probability, tailY)`.
// The drawn chains are summed arrow by arrow, and their points take their probability
// from their own chain. With a memory, a sweep like the last takes its sums from it.
void sweep(Canvas& canvas, const SweepConstants& c,
           const std::function<void(int d, double probability, int tailY)>& eachPoint,
           SweepMemory* memory = nullptr);

} // namespace lumetra::sim
