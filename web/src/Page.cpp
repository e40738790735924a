// The browser page's side of Lumetra: the window's handlers on the page's controls,
// with the picture shown in the page's canvas. The page's script calls the exports.
#include "Bridge.h"
#include "Errors.h"
#include "Form.h"
#include "Layout.h"
#include "LayoutJson.h"
#include "PaintedCanvas.h"
#include "Start.h"
#include "Placement.h"
#include "WebCanvas.h"

#include <emscripten.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>

namespace lumetra::web {

namespace {

class Page final : public app::Form {
public:
    Page()
    {
        const js::Viewport v = js::viewport();
        placement_ = placeDesign(v.width, v.height);
        ratio_ = v.devicePixelRatio;
        picture_ = std::make_unique<Picture>(wantedScale(), threeDLightPixel);
        canvas_ = std::make_unique<WebCanvas>(*picture_, [this] { fit(); });
        js::place(placement_.factor, placement_.left, placement_.top, ratio_);
        picture_->setUnderlay([this](Picture& p) { paintUnderlay(p); });
    }

    WebCanvas& canvas() override { return *canvas_; }

    // Runs the handler of a control's event; a failure ends it and shows the error
    // report, and the page goes on.
    void handle(const std::string& control)
    {
        Handler handler = optionHandler(control);
        if (control == "Lumetrafrm")
            handler = &Form::Form_Load;
        else if (control == "cmdStart")
            handler = &Form::cmdStart_Click;
        else if (control == "cmdKonec")
            handler = &Form::cmdKonec_Click;
        else if (control == "HScroll1")
            handler = &Form::HScroll1_Change;
        if (!handler)
            return;
        canvas_->forgetTexts();
        try {
            (this->*handler)();
        } catch (const std::exception& e) {
            canvas_->present();
            js::report(e.what());
        }
        canvas_->present();
    }

    // Follows the viewport: the controls at once, the picture at its new scale.
    void fit()
    {
        const js::Viewport v = js::viewport();
        const Placement now = placeDesign(v.width, v.height);
        if (now.factor != placement_.factor || now.left != placement_.left || now.top != placement_.top
            || v.devicePixelRatio != ratio_) {
            placement_ = now;
            ratio_ = v.devicePixelRatio;
            js::place(placement_.factor, placement_.left, placement_.top, ratio_);
        }
        if (picture_->scale() != wantedScale())
            picture_->setScale(wantedScale());
    }

    const Picture& picture() const { return *picture_; }

protected:
    void select(std::string_view optionName) override
    {
        const auto was = js::select(std::string(optionName));
        if (!was)
            throw Failure("Ovládací prvek " + std::string(optionName) + " na stránce chybí.");
        if (!*was)
            if (const Handler handler = optionHandler(optionName))
                (this->*handler)();
    }

    int scrollValue() override { return js::scrollValue(); }
    void unload() override { js::unload(); }

private:
    double wantedScale() const { return placement_.pixelsPerTwip() * ratio_; }

    // As on the desktop: the label and the line lie on the window's surface, under
    // everything a run draws.
    void paintUnderlay(Picture& p)
    {
        const double deviceFactor = placement_.factor * ratio_;
        for (const auto& c : app::controls) {
            if (c.kind != app::Kind::Line && c.kind != app::Kind::Label)
                continue;
            const app::SurfaceRect at = app::surfaceRect(c, deviceFactor);
            if (c.kind == app::Kind::Line) {
                Pixel* px = p.mutablePixels();
                for (int y = std::max(0, at.y); y < std::min(at.y + at.height, p.height()); ++y)
                    for (int x = std::max(0, at.x); x < std::min(at.x + at.width, p.width()); ++x)
                        px[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width()) + static_cast<std::size_t>(x)] =
                            0xFF000000u;
            } else {
                const auto face = app::fontFor(c.font);
                // points to pixels at 96 per inch, grown with the factor
                const double size = face.pointSize * 96.0 / 72.0 * deviceFactor;
                const int x = at.x, y = at.y;
                const int w = std::min(at.width, p.width() - x), h = std::min(at.height, p.height() - y);
                if (w > 0 && h > 0)
                    js::paintLabel(p.mutablePixels(), p.width(), x, y, w, h, threeDLightPixel, std::string(c.text),
                                   "Liberation Serif", size);
            }
        }
    }

    Placement placement_;
    double ratio_ = 1;
    std::unique_ptr<Picture> picture_;
    std::unique_ptr<WebCanvas> canvas_;
};

std::unique_ptr<Page> page;

} // namespace

} // namespace lumetra::web

using lumetra::web::page;

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* lumetra_layout()
{
    static const std::string json = lumetra::web::layoutJson();
    return json.c_str();
}

// Builds the picture at the viewport's scale and runs the start-up handler.
EMSCRIPTEN_KEEPALIVE void lumetra_open()
{
    page = std::make_unique<lumetra::web::Page>();
    page->handle("Lumetrafrm");
}

// The handler of a control's event, by the control's name.
EMSCRIPTEN_KEEPALIVE void lumetra_event(const char* control)
{
    if (page)
        page->handle(control);
}

// The viewport changed while no handler ran.
EMSCRIPTEN_KEEPALIVE void lumetra_fit()
{
    if (page) {
        page->fit();
        page->canvas().present();
    }
}

// A whole run on a scratch picture, drawn off-screen: the page's worker runs it to have
// the browser compile the module's code before the first real run. Its time, in ms.
EMSCRIPTEN_KEEPALIVE double lumetra_rehearse()
{
    const auto t0 = std::chrono::steady_clock::now();
    lumetra::Picture scratch(1.0 / 60, lumetra::threeDLightPixel);
    lumetra::PaintedCanvas canvas(scratch);
    try {
        lumetra::sim::startRun(canvas);
    } catch (const std::exception&) {
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The picture as the run left it, 0xFFRRGGBB rows: for the tests.
EMSCRIPTEN_KEEPALIVE const lumetra::Pixel* lumetra_pixels()
{
    return page ? page->picture().pixels() : nullptr;
}
EMSCRIPTEN_KEEPALIVE int lumetra_picture_width() { return page ? page->picture().width() : 0; }
EMSCRIPTEN_KEEPALIVE int lumetra_picture_height() { return page ? page->picture().height() : 0; }
EMSCRIPTEN_KEEPALIVE double lumetra_picture_scale() { return page ? page->picture().scale() : 0; }

} // extern "C"
