#pragma once

#include "Canvas.h"
#include "Geometry.h"

namespace lumetra::sim {

// Second stage: refraction factor, bar scale and arrow length from the colour, the
// medium and the angle, by a fixed table. Texts that match no row leave them zero.
void chooseOpticalParameters(Canvas& canvas, RunParameters& parameters);

} // namespace lumetra::sim
