#include "WindowCanvas.h"

#include "Clock.h"
#include "Convert.h"
#include "Errors.h"
#include "Pacing.h"

namespace lumetra::window {

namespace {

[[noreturn]] void missing(std::string_view control)
{
    throw Failure("Ovládací prvek " + std::string(control) + " v okně chybí.");
}

} // namespace

WindowCanvas::WindowCanvas(Picture& picture, Shell& shell, std::function<void()> refit)
    : PictureCanvas(picture), shell_(shell), refit_(std::move(refit))
{
}

std::string WindowCanvas::Text(Box box)
{
    auto& known = texts_[static_cast<std::size_t>(box)];
    if (!known) {
        known = shell_.text(boxName(box));
        if (!known)
            missing(boxName(box));
        if (box == Box::nSpomalení)
            delay_.reset();
    }
    if (box == Box::nSpomalení && isLive())
        beforeDelay(*known);
    return *known;
}

// The delay count is read just before each screen point's delay, which draws nothing:
// when the next frame would fall due inside it, it is shown now, so that a slow run
// still paints at the screen's pace and not at every second delay.
void WindowCanvas::beforeDelay(const std::string& count)
{
    if (!delay_) {
        // worked out once for each text, not at every point
        try {
            const auto steps = static_cast<double>(sim::pacingSteps(toNumber(count)));
            delay_ = std::chrono::duration<double, std::milli>(steps * sim::delayStepNanoseconds / 1e6);
        } catch (const Failure&) {
            return; // the run reports it itself
        }
    }
    const auto delay = *delay_;
    // a short one (under a quarter of a millisecond) leaves the frames to the lines, which
    // look at the clock every thousand or so: reading it at every point would cost more
    // than the delay lasts
    if (delay >= frameInterval / 64 && steadyNow() - lastFrame() + delay > frameInterval)
        frame();
    if (breatheDue_) {
        breatheDue_ = false;
        shell_.breathe();
    }
}

void WindowCanvas::Text(Box box, const std::string& text)
{
    if (!shell_.setText(boxName(box), text))
        missing(boxName(box));
    texts_[static_cast<std::size_t>(box)] = text;
    if (box == Box::nSpomalení)
        delay_.reset();
}

void WindowCanvas::Visible(Box box, bool shown)
{
    if (!shell_.setVisible(boxName(box), shown))
        missing(boxName(box));
}

void WindowCanvas::forgetTexts()
{
    texts_ = {};
    delay_.reset();
}

int WindowCanvas::MsgBox(const std::string& prompt)
{
    present(); // the question should not hide what was drawn before it
    const auto asked = steadyNow();
    struct Answered { // also when the question fails
        WindowCanvas& canvas;
        std::chrono::steady_clock::time_point asked;
        ~Answered()
        {
            canvas.asking_ += steadyNow() - asked;
            canvas.breatheDue_ = false; // the question let the screen paint
            canvas.frameShown();
        }
    } answered{*this, asked};
    return shell_.ask(prompt);
}

void WindowCanvas::present()
{
    if (refit_)
        refit_();
    for (const PixelRect& changed : picture().takeDirty())
        shell_.showPicture(changed);
}

// The shell gets control back only where a screen point's delay begins, never from
// inside a line: the browser's build can then pause a run at that one place, and the
// code that draws lines needs no way to pause (which would slow every line).
void WindowCanvas::frame()
{
    present();
    breatheDue_ = isLive();
    frameShown();
}

} // namespace lumetra::window
