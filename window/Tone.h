#pragma once

#include <vector>

namespace lumetra::window {

// A run's probability along the screen as a tone, the same samples in both shells: the
// screen from d = 0 to its last point in toneSeconds, the pitch rising with the
// probability from toneLowest, for none, by toneOctaves, for the highest.
constexpr int toneSampleRate = 44100;
constexpr double toneSeconds = 3.0;
constexpr double toneLowest = 220.0; // Hz
constexpr double toneOctaves = 2.0;
// the tone fades in and out this long, so it neither starts nor ends with a click
constexpr double toneFadeSeconds = 0.02;
constexpr float toneLoudness = 0.3f;

// The pitch in Hz at a point of the screen given as a fraction of its length, 0 … 1.
double pitchAt(const std::vector<double>& probability, double along);

// Mono samples in -1 … 1, their phase continuous from one to the next; none for no points.
std::vector<float> toneOf(const std::vector<double>& probability, int sampleRate = toneSampleRate);

} // namespace lumetra::window
