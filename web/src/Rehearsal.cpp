// The page's warm-up worker runs the window here, with nothing to show: the browser
// compiles the module's code on its first calls, and the worker makes those calls
// before the page's thread does (the compiled code is the module's, shared by both).
#include "Rehearsal.h"

#include "QuietShell.h"

#include <chrono>
#include <memory>
#include <string>

namespace lumetra::web {

double rehearse(int part)
{
    static QuietShell shell;
    static std::unique_ptr<window::Window> model;
    const auto t0 = std::chrono::steady_clock::now();
    if (part == 0 || !model) {
        model = std::make_unique<window::Window>(shell, 1280, 720, 1, smallestPageFactor);
        model->canvas().setLive(false);
        model->open();
        // and the sums of its first run, which the page's idle pieces make: the page's
        // own then find that code optimised. Not the rest of those pieces: the room they
        // write and the spins they time would serve this worker alone, and take a core
        // and fresh memory while the page opens.
        model->prepareStart();
    }
    if (part == 1) {
        model->handle("cmdStart");
        model->handle("cmdStart");
        while (model->tidy()) {
        }
        model.reset(); // the worker ends here: its memory goes back
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace lumetra::web
