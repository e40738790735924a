#pragma once

#include "Layout.h"
#include "Picture.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumetra::window {

// What a shell does for the window model: it owns the toolkit's controls, dialogs and
// screen. Controls are named as in the layout table.
class Shell {
public:
    virtual ~Shell() = default;

    // A text box's text; nullopt when the window has no such box.
    virtual std::optional<std::string> text(std::string_view box) = 0;
    // False when the window has no such control.
    virtual bool setText(std::string_view box, const std::string& text) = 0;
    virtual bool setVisible(std::string_view control, bool shown) = 0;
    // Selects an option button and runs nothing (the model runs its handler); nullopt
    // when there is no such button, else whether it was selected already.
    virtual std::optional<bool> check(std::string_view option) = 0;
    virtual int scrollValue() = 0;
    // Closes the window, and with it the program.
    virtual void unload() = 0;

    // The modal Yes/No question titled "Lumetra": vbYes or vbNo.
    virtual int ask(const std::string& prompt) = 0;
    // The error report of a failed handler; the program goes on after it.
    virtual void report(const std::string& message) = 0;

    // The design area moved or grew: every control goes where the model's rectOf puts it.
    virtual void placeControls() = 0;
    // The picture changed within this device rectangle since it was last shown (a frame
    // may bring a few, apart).
    virtual void showPicture(const PixelRect& changed) = 0;
    // During a run, once a frame: lets the screen paint what was shown. User input
    // waits until the handler has ended.
    virtual void breathe() = 0;
    // Draws a label's text into the picture, centred and broken between words, in the
    // face at `scale` device pixels to a pixel of factor 1. Text is the shell's to draw.
    virtual void paintText(Picture& picture, const Rect& at, Pixel background, std::string_view text,
                           const Face& face, double scale) = 0;

    // The inspector's point, pin or run changed: show its panel and mark again, or hide
    // them, and tell assistive technology the readout when `announce` is set.
    virtual void showInspector(bool announce) = 0;

    // The client area, for a shell that learns of resizes only when it asks (the page,
    // during a run); nullopt for one that tells the model of each itself.
    struct Viewport {
        double width, height, devicePixelRatio;
    };
    virtual std::optional<Viewport> viewport() { return std::nullopt; }

    // Tells assistive technology what a run showed, in words; a shell that cannot says nothing.
    virtual void announce(const std::string& /*words*/) {}
};

} // namespace lumetra::window
