#include "Sweep.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace lumetra::sim {

double halfPi()
{
    return 3.14 / 2;
}

double tiltFor(double angleDegrees)
{
    return (halfPi() * (90 - angleDegrees)) / 90;
}

SweepConstants::SweepConstants(const Geometry& geometry, const RunParameters& parameters, double tilt)
    : g(geometry), p(parameters), sinTilt(std::sin(tilt)), cosTilt(std::cos(tilt)),
      lastPoint(geometry.bottomY - geometry.topY)
{
    wavefrontDelay.reserve(static_cast<std::size_t>(g.slitWidth / slitStep) + 1);
    for (int s = 0; s <= g.slitWidth; s += slitStep)
        wavefrontDelay.push_back(sinTilt * (g.slitWidth - s));

    // (slitTopY + s) − (topY + d) over every s and d of the run
    const int lo = g.slitTopY - (g.topY + lastPoint);
    const int hi = g.slitTopY + g.slitWidth - g.topY;
    distanceOffset = -lo;
    const long long across = g.screenX - g.apertureX;
    opticalDistance.reserve(static_cast<std::size_t>(std::max(0, hi - lo + 1)));
    for (int k = lo; k <= hi; ++k) {
        const long long squares = across * across + static_cast<long long>(k) * k;
        opticalDistance.push_back(std::sqrt(static_cast<double>(squares)) * p.refrFactor);
    }

    for (int s = 0; s <= g.slitWidth; s += rayEvery) {
        const double L = wavefrontDelay[static_cast<std::size_t>(s / slitStep)] + 1500;
        rays.push_back({static_cast<double>(g.apertureX), static_cast<double>(g.slitTopY + s),
                        g.apertureX - L * cosTilt, g.slitTopY + s + L * sinTilt});
    }
}

namespace {

// Some libraries (loaded with the toolkit) leave the upper halves of the AVX registers
// dirty; the maths library's SSE code then runs about ten times slower until they are
// cleared. Clearing them changes no value.
inline void clearUpperRegisters()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        asm volatile("vzeroupper");
#endif
}

} // namespace

namespace {

// One arrow: the head it leads to from `head`, turned by the path's angle.
inline Head nextHead(const SweepConstants& c, Head head, double pathLength)
{
    const double length = c.p.arrowLength;
    const double a = pathLength * c.p.phaseRate;
    return {head.x + length * std::cos(a), head.y + length * std::sin(a)};
}

inline const double* distancesTo(const SweepConstants& c, int d)
{
    return c.opticalDistance.data() + c.distanceOffset + (c.g.slitTopY - (c.g.topY + d));
}

} // namespace

std::vector<Head> chain(const SweepConstants& c, int d)
{
    clearUpperRegisters();
    const double* distance = distancesTo(c, d);
    std::vector<Head> heads{{static_cast<double>(c.g.spiralX), static_cast<double>(c.g.topY + d)}};
    heads.reserve(static_cast<std::size_t>(c.g.slitWidth / slitStep) + 2);
    for (int s = 0, i = 0; s <= c.g.slitWidth; s += slitStep, ++i)
        heads.push_back(nextHead(c, heads.back(), distance[s] + c.wavefrontDelay[static_cast<std::size_t>(i)]));
    return heads;
}

double sweepPoint(const SweepConstants& c, int d, Canvas* draw)
{
    clearUpperRegisters();
    const Geometry& g = c.g;
    const bool drawPaths = draw && d % pathLineEvery == 0;
    const bool drawArrows = draw && d % chainEvery == 0;
    const double* distance = distancesTo(c, d);

    Head head{static_cast<double>(g.spiralX), static_cast<double>(g.topY + d)};
    const int tailX = g.spiralX;
    const int tailY = g.topY + d;
    for (int s = 0, i = 0; s <= g.slitWidth; s += slitStep, ++i) {
        if (draw && s % rayEvery == 0) {
            const auto& ray = c.rays[static_cast<std::size_t>(s / rayEvery)];
            draw->DrawWidth(1);
            draw->Line(ray.x1, ray.y1, ray.x2, ray.y2);
        }
        const double pathLength = distance[s] + c.wavefrontDelay[static_cast<std::size_t>(i)];
        if (drawPaths && s % rayEvery == 0)
            draw->Line(g.apertureX, g.slitTopY + s, g.screenX, g.topY + d);
        const Head next = nextHead(c, head, pathLength);
        if (drawArrows)
            draw->Line(head.x, head.y, next.x, next.y);
        head = next;
    }
    return (head.x - tailX) * (head.x - tailX) + (head.y - tailY) * (head.y - tailY);
}

namespace {

// Two doubles in one vector register, where the compiler knows how.
#if defined(__GNUC__)
using Pair = double __attribute__((vector_size(2 * sizeof(double))));
#else
struct Pair {
    double v[2];
    double operator[](int i) const { return v[i]; }
    Pair& operator+=(Pair o) { v[0] += o.v[0]; v[1] += o.v[1]; return *this; }
    friend Pair operator+(Pair a, Pair b) { return a += b; }
    friend Pair operator-(Pair a, Pair b) { return {a.v[0] - b.v[0], a.v[1] - b.v[1]}; }
    friend Pair operator*(Pair a, Pair b) { return {a.v[0] * b.v[0], a.v[1] * b.v[1]}; }
};
#endif

inline Pair pairAt(const double* p)
{
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The arrays are padded to a multiple of this many slit steps, the most that one step
// of either sum takes.
constexpr std::size_t lanes = 8;

struct Resultant {
    double x, y;
};

// Σ (er + i·ei)(fr + i·fi) over n pairs, n a multiple of `lanes`. Two partial sums of
// two: with more, the browser's compiler runs out of its sixteen vector registers and
// moves them through memory at every step.
Resultant sumOfProducts(const double* er, const double* ei, const double* fr, const double* fi, std::size_t n)
{
    Pair x0{}, x1{}, y0{}, y1{};
    for (const double* end = er + n; er != end; er += 4, ei += 4, fr += 4, fi += 4) {
        const Pair a0 = pairAt(er), b0 = pairAt(ei), c0 = pairAt(fr), d0 = pairAt(fi);
        const Pair a1 = pairAt(er + 2), b1 = pairAt(ei + 2), c1 = pairAt(fr + 2), d1 = pairAt(fi + 2);
        x0 += a0 * c0 - b0 * d0;
        y0 += a0 * d0 + b0 * c0;
        x1 += a1 * c1 - b1 * d1;
        y1 += a1 * d1 + b1 * c1;
    }
    const Pair x = x0 + x1, y = y0 + y1;
    return {x[0] + x[1], y[0] + y[1]};
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The same sum four at a time, where the processor has the wider registers; it adds
// the same products in another order, which the margin below allows for.
using Quad = double __attribute__((vector_size(4 * sizeof(double))));

__attribute__((target("avx2"))) inline Quad at(const double* p)
{
    Quad v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

__attribute__((target("avx2"))) Resultant sumOfProductsWide(const double* er, const double* ei, const double* fr,
                                                             const double* fi, std::size_t n)
{
    Quad x0{}, x1{}, y0{}, y1{};
    for (std::size_t i = 0; i < n; i += lanes) {
        const Quad a0 = at(er + i), b0 = at(ei + i), c0 = at(fr + i), d0 = at(fi + i);
        const Quad a1 = at(er + i + 4), b1 = at(ei + i + 4), c1 = at(fr + i + 4), d1 = at(fi + i + 4);
        x0 += a0 * c0 - b0 * d0;
        y0 += a0 * d0 + b0 * c0;
        x1 += a1 * c1 - b1 * d1;
        y1 += a1 * d1 + b1 * c1;
    }
    const Quad x = x0 + x1, y = y0 + y1;
    return {(x[0] + x[1]) + (x[2] + x[3]), (y[0] + y[1]) + (y[2] + y[3])};
}

using Summer = Resultant (*)(const double*, const double*, const double*, const double*, std::size_t);
Summer fastestSum()
{
    static const Summer best = __builtin_cpu_supports("avx2") ? sumOfProductsWide : sumOfProducts;
    return best;
}
#else
using Summer = Resultant (*)(const double*, const double*, const double*, const double*, std::size_t);
Summer fastestSum()
{
    return sumOfProducts;
}
#endif

// The factored sum differs from the arrow-by-arrow one by rounding alone: up to about
// 1e-8 twips of bar for frequencies up to 10, 1e-9 with the program's own. Where even
// this margin could give the bar another end in single precision, or another dot
// count, the point is summed arrow by arrow, so the picture is that of that sum.
constexpr double barMargin = 1e-7;

bool mayRoundOtherwise(const SweepConstants& c, double probability)
{
    const double bar = c.p.barScale * probability;
    const double end = c.g.screenX + bar;
    if (!(std::fabs(end) < 1e30)) // not finite; or far beyond any bar, and beyond a float
        return true;
    const bool otherDots = bar + barMargin >= 1 && std::floor(bar - barMargin) != std::floor(bar + barMargin);
    return otherDots || static_cast<float>(end - barMargin) != static_cast<float>(end + barMargin);
}

double longest(const std::vector<double>& values)
{
    double m = 0;
    for (double v : values)
        m = std::max(m, std::fabs(v));
    return m;
}

} // namespace

std::vector<double> probabilities(const SweepConstants& c)
{
    clearUpperRegisters();
    const Geometry& g = c.g;
    const double rate = c.p.phaseRate;
    const std::size_t arrows = c.wavefrontDelay.size();
    const std::size_t padded = (arrows + lanes - 1) / lanes * lanes; // zero arrows beyond the slit

    // The arrow of slit step i turns by rate × (opticalDistance + wavefrontDelay), so its
    // rotation is the product of one from the distance and one from the delay.
    std::vector<double> delayX(padded), delayY(padded);
    for (std::size_t i = 0; i < arrows; ++i) {
        const double a = c.wavefrontDelay[i] * rate;
        delayX[i] = c.p.arrowLength * std::cos(a);
        delayY[i] = c.p.arrowLength * std::sin(a);
    }
    // Successive slit steps lie slitStep apart in the distance table; split by the
    // remainder of the index, the table has them side by side.
    const std::size_t distances = c.opticalDistance.size();
    const std::size_t perPart = distances / slitStep + 1 + padded;
    std::array<std::vector<double>, slitStep> distanceX, distanceY;
    for (int r = 0; r < slitStep; ++r) {
        distanceX[static_cast<std::size_t>(r)].assign(perPart, 0.0);
        distanceY[static_cast<std::size_t>(r)].assign(perPart, 0.0);
    }
    for (std::size_t k = 0; k < distances; ++k) {
        const double a = c.opticalDistance[k] * rate;
        distanceX[k % slitStep][k / slitStep] = std::cos(a);
        distanceY[k % slitStep][k / slitStep] = std::sin(a);
    }

    std::vector<double> result(static_cast<std::size_t>(c.lastPoint) + 1);
    const Summer sum4 = fastestSum();
    if (!std::isfinite((longest(c.opticalDistance) + longest(c.wavefrontDelay)) * rate)) {
        // An angle may overflow here in one sum and not in the other: the points are summed
        // arrow by arrow, so the run fails, or not, exactly where it did before.
        for (int d = 0; d <= c.lastPoint; ++d)
            result[static_cast<std::size_t>(d)] = sweepPoint(c, d, nullptr);
        return result;
    }
    for (int d = 0; d <= c.lastPoint; ++d) {
        const auto first = static_cast<std::size_t>(c.distanceOffset + (g.slitTopY - (g.topY + d)));
        const std::size_t part = first % slitStep, at = first / slitStep;
        const Resultant sum = sum4(distanceX[part].data() + at, distanceY[part].data() + at,
                                            delayX.data(), delayY.data(), padded);
        double probability = sum.x * sum.x + sum.y * sum.y;
        if (mayRoundOtherwise(c, probability))
            probability = sweepPoint(c, d, nullptr);
        result[static_cast<std::size_t>(d)] = probability;
    }
    return result;
}

namespace {

// The rays (and the path fan) of a screen point whose chain is not drawn. Without the fan
// they are the very same lines at every point, and go to the canvas together. Out of
// line: a run pauses only in `eachPoint`, so the browser's build need not prepare this
// loop, some 180 000 lines a run, for a pause.
[[gnu::noinline]] void drawRays(Canvas& canvas, const SweepConstants& c, int d)
{
    const Geometry& g = c.g;
    if (d % pathLineEvery != 0) {
        canvas.Lines(c.rays);
        return;
    }
    int s = 0;
    for (const auto& ray : c.rays) {
        canvas.DrawWidth(1);
        canvas.Line(ray.x1, ray.y1, ray.x2, ray.y2);
        canvas.Line(g.apertureX, g.slitTopY + s, g.screenX, g.topY + d);
        s += rayEvery;
    }
}

// A point whose chain of arrows is drawn, with its rays and path fan. Out of line, like
// the rays: a run pauses only in `eachPoint`.
[[gnu::noinline]] double drawChain(Canvas& canvas, const SweepConstants& c, int d)
{
    return sweepPoint(c, d, &canvas);
}

// The screen points in turn. Nothing here needs cleaning up when a line fails, so no call
// of the loop needs a landing pad: in the browser's build each would go through JavaScript.
// Kept out of line, or the caller's vector would bring its cleanup into the loop.
[[gnu::noinline]] void sweepPoints(Canvas& canvas, const SweepConstants& c, const double* factored,
                 const std::function<void(int d, double probability, int tailY)>& eachPoint)
{
    for (int d = 0; d <= c.lastPoint; ++d) {
        double probability;
        if (d % chainEvery == 0) {
            probability = drawChain(canvas, c, d);
        } else {
            drawRays(canvas, c, d);
            probability = factored[d];
        }
        eachPoint(d, probability, c.g.topY + d);
    }
}

// By the bits, as the sums see them: -0 is not 0, and a NaN is itself.
bool same(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace

bool SweepMemory::holds(const SweepConstants& c) const
{
    // the tables of the constants follow from these
    return inputs_ && inputs_->g == c.g && same(inputs_->p.phaseRate, c.p.phaseRate)
        && same(inputs_->p.refrFactor, c.p.refrFactor) && same(inputs_->p.barScale, c.p.barScale)
        && inputs_->p.arrowLength == c.p.arrowLength && same(inputs_->sinTilt, c.sinTilt)
        && same(inputs_->cosTilt, c.cosTilt);
}

const std::vector<double>& SweepMemory::probabilities(const SweepConstants& c)
{
    if (!holds(c)) {
        inputs_.reset(); // should the sums fail, nothing half-made is taken later
        values_ = sim::probabilities(c);
        inputs_ = Inputs{c.g, c.p, c.sinTilt, c.cosTilt};
    }
    return values_;
}

void sweep(Canvas& canvas, const SweepConstants& c,
           const std::function<void(int d, double probability, int tailY)>& eachPoint, SweepMemory* memory)
{
    SweepMemory own;
    sweepPoints(canvas, c, (memory ? *memory : own).probabilities(c).data(), eachPoint);
}

} // namespace lumetra::sim
