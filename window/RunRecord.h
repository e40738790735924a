#pragma once

#include <string>
#include <vector>

namespace lumetra::window {

// The last Start run that ended well, as the run saw it: its description in words, its
// tone and a look at one screen point are made from this.
struct RunRecord {
    // the settings as the run read them
    std::string colour;    // nBarva: "Červená", "Zelená", "Modrá"
    std::string index;     // nIndex: "1.7" glass, "1" air
    std::string angle;     // nUhel: "45", "90"
    std::string frequency; // nKmitočet
    // by screen point, d = 0 at the top to lastPoint at the bottom, as its bar took it
    std::vector<double> probability;
    long long dots = 0;       // photon dots drawn
    bool keptEarlier = false; // answered "Ne" with the medium unchanged: earlier bars and dots stayed

    static constexpr int lastPoint = 7000;

    // The screen point of the highest probability, the topmost of equals; 0 when empty.
    int brightest() const;
};

// How many bright bands the bars form.
int brightBands(const std::vector<double>& probability);

// What the run showed, in a few Czech sentences for assistive technology.
std::string describe(const RunRecord& run);

} // namespace lumetra::window
