// The browser page's side of Lumetra: the shell of the window model, whose controls,
// dialogs and canvas are the page's. The page's script calls the exports.
#include "Bridge.h"
#include "LayoutJson.h"
#include "Rehearsal.h"
#include "Sweep.h"
#include "Tone.h"
#include "Window.h"

#include <emscripten.h>
#include <wasm_simd128.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace lumetra::web {

namespace {

// 0xFFRRGGBB to the bytes R, G, B, A that a canvas's image data holds, and back
constexpr Pixel canvasOrder(Pixel px)
{
    return (px & 0xFF00FF00u) | ((px >> 16) & 0xFFu) | ((px & 0xFFu) << 16);
}

// Four pixels turned either way at once: a frame turns up to a whole picture.
v128_t canvasOrder4(const Pixel* in)
{
    const v128_t v = wasm_v128_load(in);
    return wasm_i8x16_shuffle(v, v, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
}

void toCanvasOrder(const Pixel* in, Pixel* out, int count)
{
    int x = 0;
    for (; x + 4 <= count; x += 4)
        wasm_v128_store(out + x, canvasOrder4(in + x));
    for (; x < count; ++x)
        out[x] = canvasOrder(in[x]);
}

// Turns `count` pixels into `out`; true when `out` held other pixels before.
bool turnOver(const Pixel* in, Pixel* out, int count)
{
    v128_t differ = wasm_i32x4_splat(0);
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        const v128_t turned = canvasOrder4(in + x);
        differ = wasm_v128_or(differ, wasm_v128_xor(turned, wasm_v128_load(out + x)));
        wasm_v128_store(out + x, turned);
    }
    Pixel rest = 0;
    for (; x < count; ++x) {
        const Pixel turned = canvasOrder(in[x]);
        rest |= turned ^ out[x];
        out[x] = turned;
    }
    return wasm_v128_any_true(differ) || rest != 0;
}

class Page final : public window::Shell {
public:
    Page(double width, double height, double devicePixelRatio)
        : viewport_{width, height, devicePixelRatio},
          model_(*this, width, height, devicePixelRatio, smallestPageFactor)
    {
        placeControls();
    }

    window::Window& model() { return model_; }

    // The viewport changed while no handler ran.
    void fit(double width, double height, double devicePixelRatio)
    {
        viewport_ = {width, height, devicePixelRatio};
        model_.fit(width, height, devicePixelRatio);
        model_.canvas().present();
    }

    std::optional<std::string> text(std::string_view box) override { return js::text(std::string(box)); }
    bool setText(std::string_view box, const std::string& text) override { return js::setText(std::string(box), text); }
    bool setVisible(std::string_view control, bool shown) override { return js::setVisible(std::string(control), shown); }
    std::optional<bool> check(std::string_view option) override { return js::select(std::string(option)); }
    int scrollValue() override { return js::scrollValue(); }
    void unload() override { js::unload(); }
    int ask(const std::string& prompt) override { return js::ask(prompt); }
    void report(const std::string& message) override { js::report(message); }

    void placeControls() override
    {
        rects_.clear();
        for (const auto& c : window::controls) {
            const window::Rect r = model_.rectOf(c);
            rects_.insert(rects_.end(), {r.x, r.y, r.width, r.height});
        }
        const Placement& at = model_.placement();
        js::place(at.factor, at.left, at.top, model_.devicePixelRatio(), rects_.data(), static_cast<int>(rects_.size()));
        // the inspector's panel and mark follow the factor
        if (model_.inspector().point())
            showInspector(false);
    }

    // Nothing shows until the page reveals the window whole (see reveal).
    void showPicture(const PixelRect& d) override
    {
        if (revealed_)
            showRows(d);
    }

    // The picture handed to the canvas for the first time, a few bands of rows a call:
    // the page makes each call a task of its own. False once the last band is shown.
    bool reveal(int band)
    {
        const Picture& p = model_.picture();
        const int rows = std::max(1, bandPixels / std::max(1, p.width()));
        const int y0 = band * rows;
        if (y0 < p.height())
            showRows({0, y0, p.width() - 1, std::min(p.height(), y0 + rows) - 1});
        revealed_ = y0 + rows >= p.height();
        return !revealed_;
    }

    void breathe() override { js::nextFrame(); }
    void announce(const std::string& words) override { js::announce(words); }

    void showInspector(bool announce) override
    {
        window::Inspector& in = model_.inspector();
        if (!in.point()) {
            pinned_ = false;
            js::hideInspector();
            return;
        }
        const bool grows = in.pinned() && !pinned_;
        pinned_ = in.pinned();
        const Raster& panel = renderPanel(grows ? 0 : sim::SweepConstants::slitPoints);
        js::InspectorView view{reinterpret_cast<const unsigned char*>(panelRgba_.data()), panel.width(), panel.height(),
                               {}, 0, grows, announce};
        const double factor = model_.placement().factor;
        const window::Rect rects[] = {model_.rectOf(in.panelArea()), window::Inspector::titleArea.at(factor),
                                      window::Inspector::readoutArea.at(factor), model_.rectOf(in.markArea())};
        for (int i = 0; i < 4; ++i) {
            view.rects[4 * i] = rects[i].x;
            view.rects[4 * i + 1] = rects[i].y;
            view.rects[4 * i + 2] = rects[i].width;
            view.rects[4 * i + 3] = rects[i].height;
        }
        // points to pixels at 96 per inch
        view.fontPixels = window::Inspector::textFace.pointSize * 96.0 / 72.0 * factor;
        js::showInspector(view, in.title(), in.readout());
    }

    // The panel `ms` after it was pinned; true once its chain is whole.
    bool grow(double ms)
    {
        const int arrows = window::Inspector::arrowsAfter(ms);
        if (!model_.inspector().point())
            return true;
        const Raster& panel = renderPanel(arrows);
        js::showPanel(reinterpret_cast<const unsigned char*>(panelRgba_.data()), panel.width(), panel.height());
        return arrows >= sim::SweepConstants::slitPoints;
    }

    void paintText(Picture& p, const window::Rect& at, Pixel background, std::string_view text,
                   const window::Face& face, double scale) override
    {
        const int x0 = std::max(0, at.x), y0 = std::max(0, at.y);
        const int x1 = std::min(at.x + at.width, p.width()), y1 = std::min(at.y + at.height, p.height());
        if (x1 <= x0 || y1 <= y0)
            return;
        // the browser draws the text (opaque: its canvas has no alpha); the byte order is
        // turned here, not in script
        std::vector<Pixel> rgba(static_cast<std::size_t>(at.width) * static_cast<std::size_t>(at.height));
        // points to pixels at 96 per inch
        js::paintLabel(reinterpret_cast<unsigned char*>(rgba.data()), at.width, at.height, background,
                       std::string(text), std::string(face.family), face.bold, face.pointSize * 96.0 / 72.0 * scale);
        Pixel* pixels = p.mutablePixels();
        for (int y = y0; y < y1; ++y)
            toCanvasOrder(rgba.data() + static_cast<std::size_t>(y - at.y) * static_cast<std::size_t>(at.width) + (x0 - at.x),
                          pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width()) + x0, x1 - x0);
    }

    // During a handler the page cannot call in: the model asks at each frame.
    std::optional<Viewport> viewport() override
    {
        if (model_.running()) {
            const js::Viewport v = js::viewport();
            viewport_ = {v.width, v.height, v.devicePixelRatio};
        }
        return viewport_;
    }

private:
    // Pixels of the picture handed to the canvas at its first showing, in each call: a few
    // milliseconds' worth on a slow laptop.
    static constexpr int bandPixels = 1 << 16;
    // the model's tiles: a changed area is made of whole ones
    static constexpr int tileSize = Raster::tileSize;

    // The tiles of `d` whose pixels differ from what the canvas holds, put into it: much
    // of what a frame marks changed is as it was shown (a later run draws again the
    // arrows it wiped, bars over bars), and the browser then copies less.
    void showRows(const PixelRect& d)
    {
        const Picture& p = model_.picture();
        const int width = p.width();
        if (width != shownWidth_ || p.height() != shownHeight_) {
            // a canvas of another size starts empty; no pixel of the picture is 0
            shown_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(p.height()), 0);
            shownWidth_ = width;
            shownHeight_ = p.height();
        }
        const Pixel* pixels = p.pixels();
        PixelRect pending; // a run of changed tiles grows down while the rows below change the same
        for (int top = d.y0; top <= d.y1;) {
            const int bottom = std::min(d.y1, top | (tileSize - 1));
            // row by row, through each tile of the row in turn
            changed_.assign(static_cast<std::size_t>((d.x1 / tileSize) - (d.x0 / tileSize) + 1), false);
            for (int y = top; y <= bottom; ++y) {
                const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
                for (int left = d.x0, t = 0; left <= d.x1; ++t) {
                    const int right = std::min(d.x1, left | (tileSize - 1));
                    if (turnOver(pixels + row + left, shown_.data() + row + left, right - left + 1))
                        changed_[static_cast<std::size_t>(t)] = true;
                    left = right + 1;
                }
            }
            runs_.clear();
            for (int left = d.x0, t = 0; left <= d.x1; ++t) {
                const int right = std::min(d.x1, left | (tileSize - 1));
                if (changed_[static_cast<std::size_t>(t)] && !runs_.empty() && runs_.back().x1 + 1 == left)
                    runs_.back().x1 = right;
                else if (changed_[static_cast<std::size_t>(t)])
                    runs_.push_back({left, top, right, bottom});
                left = right + 1;
            }
            if (runs_.size() == 1 && !pending.empty() && pending.x0 == runs_[0].x0 && pending.x1 == runs_[0].x1) {
                pending.y1 = bottom;
            } else {
                if (!pending.empty())
                    put(pending);
                pending = {};
                if (runs_.size() == 1)
                    pending = runs_[0];
                else
                    for (const PixelRect& r : runs_)
                        put(r);
            }
            top = bottom + 1;
        }
        if (!pending.empty())
            put(pending);
    }

    void put(const PixelRect& r)
    {
        js::show(reinterpret_cast<const unsigned char*>(shown_.data()), shownWidth_, shownHeight_, r.x0, r.y0, r.width(),
                 r.height());
    }

    const Raster& renderPanel(int arrows)
    {
        const Raster& panel = model_.inspector().render(model_.placement().pixelsPerTwip() * model_.devicePixelRatio(), arrows);
        panelRgba_.resize(static_cast<std::size_t>(panel.width()) * static_cast<std::size_t>(panel.height()));
        toCanvasOrder(panel.pixels(), panelRgba_.data(), static_cast<int>(panelRgba_.size()));
        return panel;
    }

    Viewport viewport_;
    std::vector<Pixel> panelRgba_;
    bool pinned_ = false;
    window::Window model_;
    std::vector<int> rects_;
    std::vector<Pixel> shown_;    // RGBA, as the page's canvas takes it and holds it now
    std::vector<char> changed_;   // of a row of tiles, each
    std::vector<PixelRect> runs_; // of changed tiles in that row
    int shownWidth_ = 0, shownHeight_ = 0;
    bool revealed_ = false;
};

std::unique_ptr<Page> page;

// The memory that the heap will take next, held while it is written a piece a call, from
// the heap's top up: the order in which the window will take it. As much as a window on
// a laptop's screen takes as it opens, its log's room included, and no more: pages
// written are the system's from then on, and the rest may never be needed.
class Warming {
public:
    // true while pieces remain
    bool step()
    {
        if (done_)
            return false;
        if (!block_) {
            const std::size_t end = __builtin_wasm_memory_size(0) * std::size_t{65536};
            const auto top = reinterpret_cast<std::uintptr_t>(sbrk(0));
            // a margin, so that taking the block never makes the memory grow
            if (end < top + 2 * margin)
                return stop();
            size_ = std::min(end - top - margin, opening);
            block_.reset(new (std::nothrow) char[size_]);
            if (!block_)
                return stop();
        }
        // a byte of each of the system's pages is enough to have it handed over
        volatile char* const bytes = block_.get();
        const std::size_t to = std::min(size_, written_ + piece);
        for (; written_ < to; written_ += systemPage)
            bytes[written_] = 0;
        written_ = to;
        return written_ < size_ || stop();
    }

    // Lets the block go, written or not: the pages written stay so, for whatever the heap
    // puts there next.
    bool stop()
    {
        block_.reset();
        done_ = true;
        return false;
    }

private:
    static constexpr std::size_t piece = std::size_t{1} << 18, margin = std::size_t{1} << 20, systemPage = 4096;
    static constexpr std::size_t opening = std::size_t{16} << 20;
    std::unique_ptr<char[]> block_;
    std::size_t size_ = 0, written_ = 0;
    bool done_ = false;
};

} // namespace

} // namespace lumetra::web

using lumetra::web::page;

extern "C" {

// The build writes the site's version over this mark in every file that carries it, so
// the page can tell that its HTML and its module come from one build.
EMSCRIPTEN_KEEPALIVE const char* lumetra_version()
{
    static const char version[] = "0LUMETRAVERSION0";
    return version;
}

EMSCRIPTEN_KEEPALIVE const char* lumetra_layout()
{
    static const std::string json = lumetra::web::layoutJson();
    return json.c_str();
}

// Writes the memory that the window will take as it opens, a piece a call (1 while
// pieces are left), before it opens. Memory written for the first time costs the system
// its pages, in a browser some milliseconds a megabyte: the page pays for them while it
// waits, not in the opening's tasks or in the first run.
EMSCRIPTEN_KEEPALIVE int lumetra_warm()
{
    static lumetra::web::Warming warming;
    return !page && warming.step() ? 1 : warming.stop();
}

// The window opens in steps, each a task of the page's: the window at the viewport's
// size; its labels; its start-up handler; then its picture, band by band (1 while bands
// remain). The page shows none of it until the last band is in.
EMSCRIPTEN_KEEPALIVE void lumetra_open(double width, double height, double devicePixelRatio)
{
    page = std::make_unique<lumetra::web::Page>(width, height, devicePixelRatio);
}

EMSCRIPTEN_KEEPALIVE void lumetra_labels()
{
    if (page)
        page->model().paintLabels();
}

EMSCRIPTEN_KEEPALIVE void lumetra_load()
{
    if (page)
        page->model().load();
}

EMSCRIPTEN_KEEPALIVE int lumetra_reveal(int band)
{
    return page && page->reveal(band) ? 1 : 0;
}

// The handler of a control's event, by the control's name.
EMSCRIPTEN_KEEPALIVE void lumetra_event(const char* control)
{
    if (page)
        page->model().handle(control);
}

// What can wait until no handler runs and the held input has been taken, a piece a
// call; 1 while more is left.
EMSCRIPTEN_KEEPALIVE int lumetra_tidy()
{
    return page && page->model().tidy() ? 1 : 0;
}

// The viewport changed while no handler ran.
EMSCRIPTEN_KEEPALIVE void lumetra_fit(double width, double height, double devicePixelRatio)
{
    if (page)
        page->fit(width, height, devicePixelRatio);
}

// The pointer over the window, at a place of the client area: 0 moved, 1 left, 2 clicked,
// 3 a touch began, 4 it moved, 5 it ended.
EMSCRIPTEN_KEEPALIVE void lumetra_pointer(int kind, double x, double y)
{
    if (!page)
        return;
    auto& m = page->model();
    switch (kind) {
    case 0: m.pointerMoved(x, y); break;
    case 1: m.pointerLeft(); break;
    case 2: m.pointerClicked(x, y); break;
    case 3:
    case 4: m.touchMoved(x, y, kind == 3); break;
    case 5: m.touchReleased(); break;
    default: break;
    }
}

// A key while the picture has the focus: 0–5 Up, Down, Page Up, Page Down, Home, End;
// 6 Enter, 7 Escape, 8 the picture took the focus. 1 when the key was the inspector's.
EMSCRIPTEN_KEEPALIVE int lumetra_inspector_key(int key)
{
    if (!page)
        return 0;
    auto& m = page->model();
    if (key >= 0 && key <= 5)
        return m.inspectorKey(static_cast<lumetra::window::Inspector::Key>(key)) ? 1 : 0;
    if (key == 6)
        return m.pinInspector() ? 1 : 0;
    if (key == 7)
        return m.hideInspector() ? 1 : 0;
    if (key == 8)
        m.pictureFocused();
    return 0;
}

// The pinned panel's chain `ms` after it was pinned; 1 once it is whole.
EMSCRIPTEN_KEEPALIVE int lumetra_inspector_grow(double ms)
{
    return page && !page->grow(ms) ? 0 : 1;
}

// The last run as a tone at the model's rate: how many mono samples (none before a run),
// which lumetra_tone_samples then holds.
std::vector<float> toneSamples;
EMSCRIPTEN_KEEPALIVE int lumetra_tone()
{
    const auto* run = page ? page->model().lastRun() : nullptr;
    toneSamples = run ? lumetra::window::toneOf(run->probability) : std::vector<float>{};
    return static_cast<int>(toneSamples.size());
}
EMSCRIPTEN_KEEPALIVE const float* lumetra_tone_samples() { return toneSamples.data(); }
EMSCRIPTEN_KEEPALIVE int lumetra_tone_rate() { return lumetra::window::toneSampleRate; }

// The window and its runs on a shell of nothing, part by part: the page's worker runs
// them so that the browser compiles the module's code before the page needs it.
EMSCRIPTEN_KEEPALIVE double lumetra_rehearse(int part)
{
    return lumetra::web::rehearse(part);
}

// The picture as the run left it, 0xFFRRGGBB rows: for the tests.
EMSCRIPTEN_KEEPALIVE const lumetra::Pixel* lumetra_pixels()
{
    return page ? page->model().picture().pixels() : nullptr;
}
EMSCRIPTEN_KEEPALIVE int lumetra_picture_width() { return page ? page->model().picture().width() : 0; }
EMSCRIPTEN_KEEPALIVE int lumetra_picture_height() { return page ? page->model().picture().height() : 0; }
EMSCRIPTEN_KEEPALIVE double lumetra_picture_scale() { return page ? page->model().picture().scale() : 0; }

} // extern "C"
