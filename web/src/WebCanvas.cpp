#include "WebCanvas.h"

#include "Bridge.h"
#include "Convert.h"
#include "Errors.h"
#include "Pacing.h"

namespace lumetra::web {

namespace {

std::string nameOf(Box box)
{
    return std::string(boxName(box));
}

[[noreturn]] void missing(Box box)
{
    throw Failure("Ovládací prvek " + nameOf(box) + " na stránce chybí.");
}

} // namespace

WebCanvas::WebCanvas(Picture& picture, std::function<void()> refit)
    : PictureCanvas(picture), refit_(std::move(refit))
{
}

// A run reads some texts at every screen point; while a handler runs nothing else
// writes them, so each is asked of the page once.
std::string WebCanvas::Text(Box box)
{
    auto& known = texts_[static_cast<std::size_t>(box)];
    if (!known) {
        known = js::text(nameOf(box));
        if (!known)
            missing(box);
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
void WebCanvas::beforeDelay(const std::string& count)
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
    // a short one leaves the frames to the lines (and reading the clock costs more than it lasts)
    if (delay >= frameDue / 16 && std::chrono::steady_clock::now() - lastShown_ + delay > frameDue)
        frame();
}

void WebCanvas::Text(Box box, const std::string& text)
{
    if (!js::setText(nameOf(box), text))
        missing(box);
    texts_[static_cast<std::size_t>(box)] = text;
    if (box == Box::nSpomalení)
        delay_.reset();
}

void WebCanvas::Visible(Box box, bool shown)
{
    if (!js::setVisible(nameOf(box), shown))
        missing(box);
}

void WebCanvas::forgetTexts()
{
    texts_ = {};
    delay_.reset();
}

int WebCanvas::MsgBox(const std::string& prompt)
{
    present(); // the question should not hide what was drawn before it
    const int answer = js::ask(prompt);
    frameShown();
    lastShown_ = std::chrono::steady_clock::now();
    return answer;
}

void WebCanvas::present()
{
    if (refit_)
        refit_();
    const PixelRect d = picture().takeDirty();
    if (d.empty())
        return;
    const Picture& p = picture();
    staging_.resize(static_cast<std::size_t>(d.width()) * static_cast<std::size_t>(d.height()));
    Pixel* out = staging_.data();
    for (int y = d.y0; y <= d.y1; ++y) {
        const Pixel* row = p.pixels() + static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width());
        // 0xFFRRGGBB to the bytes R, G, B, A of the canvas
        for (int x = d.x0; x <= d.x1; ++x) {
            const Pixel px = row[x];
            *out++ = (px & 0xFF00FF00u) | ((px >> 16) & 0xFFu) | ((px & 0xFFu) << 16);
        }
    }
    js::show(reinterpret_cast<const unsigned char*>(staging_.data()), p.width(), p.height(), d.x0, d.y0, d.width(), d.height());
}

void WebCanvas::frame()
{
    present();
    if (isLive())
        js::nextFrame();
    frameShown();
    lastShown_ = std::chrono::steady_clock::now();
}

} // namespace lumetra::web
