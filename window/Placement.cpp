#include "Placement.h"

#include <algorithm>
#include <cmath>

namespace lumetra {

Placement placeDesign(double clientWidth, double clientHeight, double floor)
{
    Placement p;
    const double w = designWidthTwips / twipsPerPixel, h = designHeightTwips / twipsPerPixel;
    const double fits = std::min(clientWidth / w, clientHeight / h);
    p.factor = std::isfinite(fits) ? std::max(floor, fits) : floor;
    const auto centre = [](double room, double used) {
        // the tolerance keeps a whole margin whole despite the rounding of the product
        return room > used ? static_cast<int>(std::floor((room - used) / 2 + 1e-6)) : 0;
    };
    p.left = centre(clientWidth, p.width());
    p.top = centre(clientHeight, p.height());
    return p;
}

} // namespace lumetra
