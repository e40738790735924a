#pragma once

namespace lumetra::app {

// Gives assistive technology the window's controls in the model's reading order, without
// those the model leaves out, and the picture as an image. Once for the program.
void installAccessibleTree();

} // namespace lumetra::app
