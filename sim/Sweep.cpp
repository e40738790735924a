#include "Sweep.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

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
    for (int s = 0; s <= g.slitWidth; s += slitStep)
        wavefrontDelay.push_back(sinTilt * (g.slitWidth - s));

    // (slitTopY + s) − (topY + d) over every s and d of the run
    const int lo = g.slitTopY - (g.topY + lastPoint);
    const int hi = g.slitTopY + g.slitWidth - g.topY;
    distanceOffset = -lo;
    const long long across = g.screenX - g.apertureX;
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

double sweepPoint(const SweepConstants& c, int d, Canvas* draw)
{
    clearUpperRegisters();
    const Geometry& g = c.g;
    const bool drawPaths = draw && d % pathLineEvery == 0;
    const bool drawArrows = draw && d % chainEvery == 0;
    const double length = c.p.arrowLength;
    const double rate = c.p.phaseRate;
    const double* distance = c.opticalDistance.data() + c.distanceOffset + (g.slitTopY - (g.topY + d));

    double headX = g.spiralX;
    double headY = g.topY + d;
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
        const double a = pathLength * rate;
        const double nextX = headX + length * std::cos(a);
        const double nextY = headY + length * std::sin(a);
        if (drawArrows)
            draw->Line(headX, headY, nextX, nextY);
        headX = nextX;
        headY = nextY;
    }
    return (headX - tailX) * (headX - tailX) + (headY - tailY) * (headY - tailY);
}

namespace {

// Works out the probabilities of later screen points on the other cores while the
// user-interface thread draws; it takes its share of the work whenever it waits.
class ProbabilitiesAhead {
public:
    explicit ProbabilitiesAhead(const SweepConstants& c)
        : c_(c), value_(static_cast<std::size_t>(c.lastPoint) + 1),
          ready_(std::make_unique<std::atomic<bool>[]>(static_cast<std::size_t>(c.lastPoint) + 1))
    {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned helpers = cores > 1 ? std::min(cores - 1, 3u) : 0u;
        for (unsigned i = 0; i < helpers; ++i)
            workers_.emplace_back([this] { work(); });
    }

    ~ProbabilitiesAhead()
    {
        stop_.store(true);
        for (auto& w : workers_)
            w.join();
    }

    double at(int d)
    {
        while (!ready_[static_cast<std::size_t>(d)].load(std::memory_order_acquire)) {
            if (!takeOne())
                std::this_thread::yield();
        }
        return value_[static_cast<std::size_t>(d)];
    }

private:
    bool takeOne()
    {
        const int d = next_.fetch_add(1);
        if (d > c_.lastPoint)
            return false;
        value_[static_cast<std::size_t>(d)] = sweepPoint(c_, d, nullptr);
        ready_[static_cast<std::size_t>(d)].store(true, std::memory_order_release);
        return true;
    }

    void work()
    {
        while (!stop_.load(std::memory_order_relaxed) && takeOne()) {
        }
    }

    const SweepConstants& c_;
    std::vector<double> value_;
    std::unique_ptr<std::atomic<bool>[]> ready_;
    std::atomic<int> next_{0};
    std::atomic<bool> stop_{false};
    std::vector<std::thread> workers_;
};

} // namespace

void sweep(Canvas& canvas, const SweepConstants& c,
           const std::function<void(int d, double probability, int tailY)>& eachPoint)
{
    ProbabilitiesAhead ahead(c);
    const Geometry& g = c.g;
    for (int d = 0; d <= c.lastPoint; ++d) {
        double probability;
        if (d % chainEvery == 0) {
            probability = sweepPoint(c, d, &canvas);
        } else {
            for (int s = 0; s <= g.slitWidth; s += rayEvery) {
                const auto& ray = c.rays[static_cast<std::size_t>(s / rayEvery)];
                canvas.DrawWidth(1);
                canvas.Line(ray.x1, ray.y1, ray.x2, ray.y2);
                if (d % pathLineEvery == 0)
                    canvas.Line(g.apertureX, g.slitTopY + s, g.screenX, g.topY + d);
            }
            probability = ahead.at(d);
        }
        eachPoint(d, probability, g.topY + d);
    }
}

} // namespace lumetra::sim
