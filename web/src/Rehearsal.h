#pragma once

namespace lumetra::web {

// On a shell with no page behind it: the window opened at a laptop's size, with the sums
// of its first run (part 0), then two Start runs in it, the second answered Ne, and its
// idle pieces (part 1). The part's time, in ms.
double rehearse(int part);

} // namespace lumetra::web
