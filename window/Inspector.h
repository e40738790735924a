#pragma once

#include "Layout.h"
#include "Raster.h"
#include "RunRecord.h"
#include "Sweep.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumetra::window {

// Numbers as Czech readers write them: a decimal comma, thousands apart by a no-break space.
std::string czechNumber(double value, int decimals);

// The arrows of one screen point of the last run, as the student points at the screen:
// which point is meant, the panel that shows its chain beside the bars, and its readout.
class Inspector {
public:
    static constexpr int lastPoint = 7000;
    // The screen and its bars, in twips of the design area.
    static constexpr double areaLeft = 5000, areaRight = 6600, areaTop = 1000, areaBottom = 8000;
    // The panel stands right of the bars.
    static constexpr int panelLeft = 6700, panelWidth = 4200, panelHeight = 4200;
    // A pinned chain grows arrow by arrow over about a second.
    static constexpr double growthMilliseconds = 1000;

    // The screen point under a place of the design area, in twips; nullopt off the screen.
    static std::optional<int> pointAt(double xTwips, double yTwips);
    // The screen point at a height, wherever the pointer is across (a drag along the screen).
    static int pointAtHeight(double yTwips);

    void setRun(std::shared_ptr<const LastRun> run);
    bool hasRun() const { return run_ != nullptr; }
    const LastRun* run() const { return run_.get(); }

    // The point shown, if any, and whether it stays when the pointer leaves.
    std::optional<int> point() const { return point_; }
    bool pinned() const { return pinned_; }
    // Shows a point (nothing without a run); false when nothing changed.
    bool show(int d);
    bool pin();
    bool hide();
    // A key while the picture has the focus: Up and Down by 1, Page Up and Page Down by
    // 100, Home and End to the ends. False for any other key.
    enum class Key { Up, Down, PageUp, PageDown, Home, End };
    bool step(Key key);
    // The screen point of the run's highest probability.
    int brightest() const;

    // Title and readout of the point shown.
    std::string title() const;
    std::string readout() const;
    // The point's probability and its share of the run's highest, in whole percent.
    double probability() const;
    int percentOfHighest() const;

    // Where the panel stands, in twips of the design area: centred on the point's height,
    // kept inside the design area.
    struct Area {
        int left, top, width, height;
        Rect at(double scale) const { return scaledRect(left, top, width, height, scale); }
    };
    Area panelArea() const;
    // The short mark across the screen line at the point, in twips.
    Area markArea() const;
    // Where the title and the readout go inside the panel, in twips of the panel.
    static constexpr Area titleArea{90, 60, panelWidth - 180, 300};
    static constexpr Area readoutArea{90, panelHeight - 560, panelWidth - 180, 500};
    static constexpr Face textFace{"Liberation Sans", 8.25, true};

    // How many of the 501 arrows show `ms` after the panel was pinned.
    static int arrowsAfter(double ms);
    // The panel's pixels at `scale` device pixels per twip, its chain up to `arrows`
    // arrows; the resulting arrow shows once all are there. The texts are the shell's.
    const Raster& render(double scale, int arrows);

private:
    std::shared_ptr<const LastRun> run_;
    std::optional<int> point_;
    bool pinned_ = false;
    std::vector<sim::Head> chain_; // of point_
    std::unique_ptr<Raster> panel_;
};

} // namespace lumetra::window
