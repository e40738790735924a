#pragma once

#include <cstdint>

namespace lumetra::sim {

// Where things stand on the window, in twips. Fixed at the start of every run.
struct Geometry {
    std::int16_t apertureX = 2500;
    std::int16_t topY = 1000;
    std::int16_t bottomY = 8000;
    std::int16_t slitTopY = 4000; // topY + 3000
    std::int16_t slitWidth = 2500;
    std::int16_t screenX = 5000; // apertureX + 2500
    std::int16_t stripX = 7000;  // screenX + 2000; the photon strip is 1500 wide
    std::int16_t spiralX = 10200; // apertureX + 7700

    static constexpr int stripWidth = 1500;
    static constexpr int wipeRight = 13000;
    static constexpr int wipeBottom = 9000;

    bool operator==(const Geometry&) const = default;
};

// The run's parameters; all zero at the start of every run.
struct RunParameters {
    double phaseRate = 0.0;
    double refrFactor = 0.0;
    double barScale = 0.0;
    int arrowLength = 0;
};

} // namespace lumetra::sim
