#include "Tone.h"

#include "RunRecord.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumetra::window {

namespace {

double pitch(const std::vector<double>& p, double top, double along)
{
    // between two points the probability is taken on a straight line, so the pitch glides
    const double at = std::clamp(along, 0.0, 1.0) * static_cast<double>(p.size() - 1);
    const auto i = static_cast<std::size_t>(at);
    const double next = i + 1 < p.size() ? p[i + 1] : p[i];
    double v = p[i] + (next - p[i]) * (at - static_cast<double>(i));
    if (!std::isfinite(v) || top <= 0)
        v = 0;
    return toneLowest * std::exp2(toneOctaves * std::clamp(v / (top > 0 ? top : 1), 0.0, 1.0));
}

} // namespace

double pitchAt(const std::vector<double>& probability, double along)
{
    return probability.empty() ? toneLowest : pitch(probability, highestOf(probability), along);
}

std::vector<float> toneOf(const std::vector<double>& probability, int sampleRate)
{
    if (probability.empty() || sampleRate <= 0)
        return {};
    const double top = highestOf(probability);
    const auto count = static_cast<std::size_t>(std::lround(toneSeconds * sampleRate));
    const auto fade = static_cast<std::size_t>(std::lround(toneFadeSeconds * sampleRate));
    std::vector<float> samples(count);
    double phase = 0; // in turns
    for (std::size_t k = 0; k < count; ++k) {
        const double along = count > 1 ? static_cast<double>(k) / static_cast<double>(count - 1) : 0;
        const double edge = static_cast<double>(std::min(k, count - 1 - k));
        const double gain = edge < static_cast<double>(fade) ? edge / static_cast<double>(fade) : 1.0;
        samples[k] = static_cast<float>(toneLoudness * gain * std::sin(2 * std::numbers::pi * phase));
        phase += pitch(probability, top, along) / sampleRate;
        phase -= std::floor(phase);
    }
    return samples;
}

} // namespace lumetra::window
