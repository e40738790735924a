#pragma once

#include "Picture.h"

#include <optional>
#include <string>

// What the page's script does for the module: its controls, dialogs and canvas. Every
// call goes to the object the script hands the module as `page`.
namespace lumetra::web::js {

// nullopt when the page has no such control
std::optional<std::string> text(const std::string& control);
bool setText(const std::string& control, const std::string& text);
bool setVisible(const std::string& control, bool shown);
// Selects the option button; nullopt when there is none, else whether it was selected before.
std::optional<bool> select(const std::string& option);
int scrollValue();
void unload();
void report(const std::string& message);

struct Viewport {
    double width, height, devicePixelRatio;
};
Viewport viewport();
// Places the controls at the design area's factor and corner: x, y, width and height
// of each control of the layout table, in its order, in CSS pixels of its container.
void place(double factor, int left, int top, double devicePixelRatio, const int* rects, int count);

// Shows the w×h pixels at (x, y) of `rgba`, the whole picture as RGBA rows, in the
// picture's canvas, resizing it to the picture first.
void show(const unsigned char* rgba, int pictureWidth, int pictureHeight, int x, int y, int w, int h);
// The label's text on its background, w×h pixels as RGBA rows into `rgba`.
void paintLabel(unsigned char* rgba, int w, int h, Pixel background, const std::string& text, const std::string& family,
                bool bold, double pixelSize);

// The inspector's panel: its pixels (RGBA) at `rects[0..3]` (CSS pixels of the page),
// its title and readout at rects[4..7] and rects[8..11] within it, the mark at
// rects[12..15]; `pinned` starts its growth; `announce` says the readout.
struct InspectorView {
    const unsigned char* rgba;
    int width, height;
    int rects[16];
    double fontPixels;
    bool pinned, announce;
};
void showInspector(const InspectorView& view, const std::string& title, const std::string& readout);
void hideInspector();
// Tells assistive technology what the picture shows now (after a run, say).
void announce(const std::string& words);
// Only the panel's pixels, as its chain grows.
void showPanel(const unsigned char* rgba, int width, int height);

// Both hand control back to the browser until the answer, or the next frame, is there.
int ask(const std::string& prompt);
void nextFrame();

} // namespace lumetra::web::js
