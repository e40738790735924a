#include "Bridge.h"

#include <emscripten.h>

#include <cstdlib>
#include <memory>

// clang-format off
EM_JS(char*, lumetra_js_text, (const char* control), {
    const text = Module.page.text(UTF8ToString(control));
    if (text === null)
        return 0;
    const size = lengthBytesUTF8(text) + 1;
    const out = _malloc(size);
    stringToUTF8(text, out, size);
    return out;
});
EM_JS(int, lumetra_js_set_text, (const char* control, const char* text), {
    return Module.page.setText(UTF8ToString(control), UTF8ToString(text)) ? 1 : 0;
});
EM_JS(int, lumetra_js_set_visible, (const char* control, int shown), {
    return Module.page.setVisible(UTF8ToString(control), shown !== 0) ? 1 : 0;
});
EM_JS(int, lumetra_js_select, (const char* option), {
    return Module.page.select(UTF8ToString(option));
});
EM_JS(int, lumetra_js_scroll_value, (), { return Module.page.scrollValue(); });
EM_JS(void, lumetra_js_unload, (), { Module.page.unload(); });
EM_JS(void, lumetra_js_report, (const char* message), { Module.page.report(UTF8ToString(message)); });
EM_JS(void, lumetra_js_viewport, (double* out), {
    const v = Module.page.viewport();
    HEAPF64[out >> 3] = v.width;
    HEAPF64[(out >> 3) + 1] = v.height;
    HEAPF64[(out >> 3) + 2] = v.devicePixelRatio;
});
EM_JS(void, lumetra_js_place, (double factor, int left, int top, double ratio, const int* rects, int count), {
    Module.page.place(factor, left, top, ratio, new Int32Array(HEAPU8.buffer, rects, count));
});
EM_JS(void, lumetra_js_show, (const unsigned char* rgba, int pw, int ph, int x, int y, int w, int h), {
    Module.page.show(HEAPU8.buffer, rgba, pw, ph, x, y, w, h);
});
EM_JS(void, lumetra_js_paint_label, (unsigned char* rgba, int w, int h, unsigned background, const char* text,
                                     const char* family, int bold, double size), {
    Module.page.paintLabel(new Uint8Array(HEAPU8.buffer, rgba, w * h * 4), w, h, background, UTF8ToString(text),
                           UTF8ToString(family), bold !== 0, size);
});
EM_ASYNC_JS(int, lumetra_js_ask, (const char* prompt), {
    return await Module.page.ask(UTF8ToString(prompt));
});
EM_ASYNC_JS(void, lumetra_js_next_frame, (), {
    await Module.page.nextFrame();
});
EM_JS(void, lumetra_js_show_inspector, (const unsigned char* rgba, int w, int h, const int* rects, double font,
                                        int pinned, int announce, const char* title, const char* readout), {
    Module.page.showInspector({
        rgba: new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4), width: w, height: h,
        rects: Array.from(new Int32Array(HEAPU8.buffer, rects, 16)), fontPixels: font,
        pinned: pinned !== 0, announce: announce !== 0, title: UTF8ToString(title), readout: UTF8ToString(readout),
    });
});
EM_JS(void, lumetra_js_hide_inspector, (), { Module.page.hideInspector(); });
EM_JS(void, lumetra_js_announce, (const char* words), { Module.page.announce(UTF8ToString(words)); });
EM_JS(void, lumetra_js_show_panel, (const unsigned char* rgba, int w, int h), {
    Module.page.showPanel(new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4), w, h);
});
// clang-format on

namespace lumetra::web::js {

std::optional<std::string> text(const std::string& control)
{
    const std::unique_ptr<char, decltype(&std::free)> got(lumetra_js_text(control.c_str()), &std::free);
    if (!got)
        return std::nullopt;
    return std::string(got.get());
}

bool setText(const std::string& control, const std::string& text)
{
    return lumetra_js_set_text(control.c_str(), text.c_str()) != 0;
}

bool setVisible(const std::string& control, bool shown)
{
    return lumetra_js_set_visible(control.c_str(), shown ? 1 : 0) != 0;
}

std::optional<bool> select(const std::string& option)
{
    const int was = lumetra_js_select(option.c_str());
    if (was < 0)
        return std::nullopt;
    return was != 0;
}

int scrollValue() { return lumetra_js_scroll_value(); }
void unload() { lumetra_js_unload(); }
void report(const std::string& message) { lumetra_js_report(message.c_str()); }

Viewport viewport()
{
    double v[3] = {0, 0, 1};
    lumetra_js_viewport(v);
    return {v[0], v[1], v[2]};
}

void place(double factor, int left, int top, double devicePixelRatio, const int* rects, int count)
{
    lumetra_js_place(factor, left, top, devicePixelRatio, rects, count);
}

void show(const unsigned char* rgba, int pictureWidth, int pictureHeight, int x, int y, int w, int h)
{
    lumetra_js_show(rgba, pictureWidth, pictureHeight, x, y, w, h);
}

void paintLabel(unsigned char* rgba, int w, int h, Pixel background, const std::string& text, const std::string& family,
                bool bold, double pixelSize)
{
    lumetra_js_paint_label(rgba, w, h, background, text.c_str(), family.c_str(), bold ? 1 : 0, pixelSize);
}

void showInspector(const InspectorView& v, const std::string& title, const std::string& readout)
{
    lumetra_js_show_inspector(v.rgba, v.width, v.height, v.rects, v.fontPixels, v.pinned ? 1 : 0, v.announce ? 1 : 0,
                              title.c_str(), readout.c_str());
}
void hideInspector() { lumetra_js_hide_inspector(); }
void announce(const std::string& words) { lumetra_js_announce(words.c_str()); }
void showPanel(const unsigned char* rgba, int width, int height) { lumetra_js_show_panel(rgba, width, height); }

int ask(const std::string& prompt) { return lumetra_js_ask(prompt.c_str()); }
void nextFrame() { lumetra_js_next_frame(); }

} // namespace lumetra::web::js
