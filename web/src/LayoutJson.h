#pragma once

#include <string>

namespace lumetra::web {

// The window's layout table as the page builds itself from it: every control with its
// geometry, texts, colours, fonts (under the names of the faces the page ships),
// visibility and tab index, and the stacking order.
std::string layoutJson();

} // namespace lumetra::web
