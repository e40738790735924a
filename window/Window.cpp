#include "Window.h"

#include "Errors.h"
#include "Pacing.h"

#include <algorithm>

namespace lumetra::window {

Window::Window(Shell& shell, double width, double height, double devicePixelRatio, double floor)
    : shell_(shell), floor_(floor), placement_(placeDesign(width, height, floor)), ratio_(devicePixelRatio)
{
    picture_ = std::make_unique<Picture>(wantedScale(), threeDLightPixel);
    canvas_ = std::make_unique<WindowCanvas>(*picture_, shell_, [this] {
        if (const auto v = shell_.viewport())
            fit(v->width, v->height, v->devicePixelRatio);
        fitPicture();
    });
    // the run's start let the panel go (runObserver), so a new run shows none yet
    recorder_ = std::make_unique<RunRecorder>(*canvas_, [this](std::shared_ptr<const LastRun> run) {
        const std::string words = describe(*run);
        inspector_.setRun(std::move(run));
        shell_.announce(words);
    });
}

void Window::open()
{
    paintLabels();
    load();
}

void Window::paintLabels()
{
    picture_->setUnderlay([this](Picture& p) { paintUnderlay(p); });
}

sim::RunObserver* Window::runObserver()
{
    // from the start of a run until it has ended well there is nothing to inspect
    if (inspector_.hasRun()) {
        const bool shown = inspector_.point().has_value();
        inspector_.setRun(nullptr);
        if (shown)
            shell_.showInspector(false);
    }
    return recorder_.get();
}

void Window::changed(bool changedPoint)
{
    shell_.showInspector(changedPoint && inspector_.point().has_value());
}

std::pair<double, double> Window::twipsAt(double x, double y) const
{
    const double perPixel = twipsPerPixel / placement_.factor;
    return {(x - placement_.left) * perPixel, (y - placement_.top) * perPixel};
}

void Window::pointerMoved(double x, double y)
{
    const auto [tx, ty] = twipsAt(x, y);
    if (inspector_.pinned())
        return;
    if (const auto d = Inspector::pointAt(tx, ty)) {
        if (inspector_.show(*d))
            changed(true);
    } else if (inspector_.hide()) {
        changed(false);
    }
}

void Window::pointerLeft()
{
    if (!inspector_.pinned() && inspector_.hide())
        changed(false);
}

void Window::pointerClicked(double x, double y)
{
    const auto [tx, ty] = twipsAt(x, y);
    if (const auto d = Inspector::pointAt(tx, ty)) {
        const bool moved = inspector_.show(*d);
        const bool pinned = inspector_.pin();
        if (moved || pinned)
            changed(moved);
    } else if (inspector_.hide()) {
        changed(false);
    }
}

void Window::touchMoved(double x, double y, bool started)
{
    const auto [tx, ty] = twipsAt(x, y);
    if (started)
        touching_ = Inspector::pointAt(tx, ty).has_value();
    if (!touching_)
        return;
    const bool wasPinned = inspector_.pinned();
    if (wasPinned)
        inspector_.hide(); // a new touch takes the point anew
    if (inspector_.show(Inspector::pointAtHeight(ty)) || wasPinned)
        changed(true);
}

void Window::touchReleased()
{
    if (touching_ && inspector_.pin())
        changed(false);
    touching_ = false;
}

bool Window::inspectorKey(Inspector::Key key)
{
    if (!inspector_.hasRun())
        return false;
    if (inspector_.step(key))
        changed(true);
    return true;
}

void Window::pictureFocused()
{
    if (inspector_.hasRun() && !inspector_.point() && inspector_.show(inspector_.brightest()))
        changed(true);
}

bool Window::pinInspector()
{
    if (!inspector_.pin())
        return false;
    changed(false);
    return true;
}

bool Window::hideInspector()
{
    if (!inspector_.hide())
        return false;
    changed(false);
    return true;
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
    keptBefore_ = picture_->linesEverKept();
    try {
        action();
    } catch (const std::exception& e) {
        --depth_;
        ended();
        shell_.report(e.what());
        return;
    }
    --depth_;
    ended();
}

void Window::ended()
{
    canvas_->present();
    lastHandlerLines_ = static_cast<std::size_t>(picture_->linesEverKept() - keptBefore_);
    tidyPiece_ = 0;
}

bool Window::tidy()
{
    if (running() || tidyPiece_ > 3)
        return false;
    if (tidyPiece_ == 0) {
        // forgetting covered lines can take a while: a part of it in each piece
        if (!picture_->makeRoom(lastHandlerLines_))
            tidyPiece_ = 1;
        return true;
    }
    if (tidyPiece_ == 1) {
        // once hot, the spins may run faster than when first timed; a try a piece
        if (!sim::measureSpins())
            tidyPiece_ = 2;
        return true;
    }
    if (tidyPiece_ == 2) {
        tidyPiece_ = 3;
        prepareStart();
        canvas_->forgetTexts(); // read outside a handler: the boxes may change before the next
        return true;
    }
    // last, as the next run needs it least: once written, the room stays so
    if (picture_->writeRoom())
        return true;
    tidyPiece_ = 4;
    return false;
}

std::string Window::pictureDescription() const
{
    return lastRun() ? describe(*lastRun()) : std::string(controlNamed("labKlepnete")->text);
}

void Window::fit(double width, double height, double devicePixelRatio)
{
    const Placement now = placeDesign(width, height, floor_);
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

Rect Window::rectOf(const Inspector::Area& a) const
{
    Rect r = a.at(placement_.factor);
    r.x += placement_.left;
    r.y += placement_.top;
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
