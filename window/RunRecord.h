#pragma once

#include "Pixel.h"
#include "Start.h"
#include "Sweep.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumetra::window {

// The last run that ended well, as it ran: what its points share, its probability at
// every screen point, the settings it read, the dots it drew and the clearing it chose.
// Its description in words, its tone and the inspector's chains are made from this.
struct LastRun {
    explicit LastRun(const sim::SweepConstants& c) : constants(c) {}

    static constexpr int lastPoint = 7000;

    sim::SweepConstants constants;
    std::vector<double> probability; // by screen point d, 0 at the top to lastPoint, as its bar took it
    double highest = 0; // highestOf(probability), once the run has ended
    std::string colour, medium, angle, frequency; // nBarva, nIndex, nUhel, nKmitočet
    Pixel light = 0xFF000000u;                      // its bars' colour
    long long dots = 0;                             // photon dots drawn
    bool keptEarlier = false; // answered "Ne" with the medium unchanged: earlier bars and dots stayed

    // The screen point of the highest probability, the topmost of equals.
    int brightest() const;
};

// Keeps a run as it goes, and hands it on only when it has ended well.
class RunRecorder final : public sim::RunObserver {
public:
    // `ended(run)` receives the whole run; the texts are read from the canvas the run used.
    RunRecorder(Canvas& canvas, std::function<void(std::shared_ptr<const LastRun>)> ended);

    void cleared(sim::Clearing clearing) override;
    void swept(const sim::SweepConstants& constants) override;
    void point(int d, double probability, int dots) override;
    void ended() override;

private:
    Canvas& canvas_;
    std::function<void(std::shared_ptr<const LastRun>)> ended_;
    std::shared_ptr<LastRun> running_;
    bool keptEarlier_ = false;
};

// How many bright bands the bars form.
int brightBands(const std::vector<double>& probability);
// The highest finite probability, 0 for none.
double highestOf(const std::vector<double>& probability);

// What the run showed, in a few Czech sentences for assistive technology.
std::string describe(const LastRun& run);

} // namespace lumetra::window
