#include "Window.h"

#include "Errors.h"

#include <algorithm>

namespace lumetra::window {

Window::Window(Shell& shell, double width, double height, double devicePixelRatio)
    : shell_(shell), placement_(placeDesign(width, height)), ratio_(devicePixelRatio)
{
    picture_ = std::make_unique<Picture>(wantedScale(), threeDLightPixel);
    canvas_ = std::make_unique<WindowCanvas>(*picture_, shell_, [this] {
        if (const auto v = shell_.viewport())
            fit(v->width, v->height, v->devicePixelRatio);
        fitPicture();
    });
    picture_->setUnderlay([this](Picture& p) { paintUnderlay(p); });
}

bool Window::handle(std::string_view control)
{
    const Handler handler = handlerOf(control);
    if (!handler)
        return false;
    guarded([this, handler] { (this->*handler)(); });
    return true;
}

void Window::guarded(const std::function<void()>& action)
{
    // a handler run from inside another (an option selected by start-up) fails with it
    if (depth_ > 0) {
        action();
        return;
    }
    ++depth_;
    canvas_->forgetTexts();
    try {
        action();
    } catch (const std::exception& e) {
        --depth_;
        canvas_->present();
        shell_.report(e.what());
        return;
    }
    --depth_;
    canvas_->present();
}

void Window::runEnded(sim::RunShown&& shown)
{
    RunRecord run;
    // no input reaches the boxes during a run: they hold what it read
    run.colour = canvas_->Text(Box::nBarva);
    run.index = canvas_->Text(Box::nIndex);
    run.angle = canvas_->Text(Box::nUhel);
    run.frequency = canvas_->Text(Box::nKmitočet);
    run.probability = std::move(shown.probability);
    run.dots = shown.dots;
    run.keptEarlier = shown.clearing == sim::Clearing::Partial;
    lastRun_ = std::move(run);
    shell_.announce(describe(*lastRun_));
}

std::string Window::pictureDescription() const
{
    return lastRun_ ? describe(*lastRun_) : std::string(controlNamed("labKlepnete")->text);
}

void Window::fit(double width, double height, double devicePixelRatio)
{
    const Placement now = placeDesign(width, height);
    const bool moved = now.factor != placement_.factor || now.left != placement_.left || now.top != placement_.top
                       || devicePixelRatio != ratio_;
    placement_ = now;
    ratio_ = devicePixelRatio;
    if (moved)
        shell_.placeControls();
}

void Window::fitPicture()
{
    if (picture_->scale() != wantedScale())
        picture_->setScale(wantedScale());
}

Rect Window::rectOf(const ControlRow& c) const
{
    Rect r = rectAt(c, placement_.factor);
    // option buttons sit in their frames, which are placed with the window
    if (c.container.empty()) {
        r.x += placement_.left;
        r.y += placement_.top;
    }
    return r;
}

void Window::paintUnderlay(Picture& p)
{
    const double scale = placement_.factor * ratio_;
    for (const auto& c : controls) {
        if (c.kind != Kind::Line && c.kind != Kind::Label)
            continue;
        const Rect at = rectAt(c, scale);
        const int x0 = std::max(0, at.x), y0 = std::max(0, at.y);
        const int x1 = std::min(at.x + at.width, p.width()), y1 = std::min(at.y + at.height, p.height());
        if (x1 <= x0 || y1 <= y0)
            continue;
        if (c.kind == Kind::Line) {
            const Pixel ink = PictureCanvas::toPixel(Canvas::foreground);
            for (int y = y0; y < y1; ++y)
                std::fill_n(p.mutablePixels() + static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width()) + x0,
                            x1 - x0, ink);
        } else {
            shell_.paintText(p, {at.x, at.y, x1 - at.x, y1 - at.y}, backgroundOf(c).value_or(p.background()), c.text,
                             faceOf(c), scale);
        }
    }
}

} // namespace lumetra::window
