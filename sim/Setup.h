#pragma once

#include "Canvas.h"
#include "Geometry.h"

#include <string>
#include <string_view>

namespace lumetra::sim {

inline constexpr std::string_view clearQuestion = "Vyčistit celou obrazovku (Ano), jinak jen radiusvektory (Ne)?";

constexpr Colour glassGrey = RGB(192, 192, 192);

enum class Clearing { FirstRun, Full, Partial };

// First stage of a run: twips, geometry, the thick wall, the phase rate, the clearing
// (asking first on every run but the first), the run-before flag and the apparatus.
// Returns the phase rate; `frequencyText` receives the text it came from, `chosen` the clearing.
double setUpRun(Canvas& canvas, Geometry& geometry, std::string* frequencyText = nullptr, Clearing* chosen = nullptr);

// The phase rate of the frequency's text; a text that is no number fails, naming the box.
double phaseRateOf(const std::string& frequencyText);

// The clearing as the flags and the answer decide it; asks the question when needed.
Clearing chooseClearing(Canvas& canvas);
void clearPicture(Canvas& canvas, const Geometry& geometry, Clearing clearing);

} // namespace lumetra::sim
