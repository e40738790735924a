#pragma once

namespace lumetra::app {

// Style, fonts and names that the window expects; call after QApplication exists.
void prepareApplication();

} // namespace lumetra::app
