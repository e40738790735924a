#pragma once

#include "PictureCanvas.h"

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumetra::web {

// The canvas of the browser page: lines go into the picture, which the page shows in an
// HTML canvas; text boxes and questions are the page's own elements.
//
// While a run draws, the page is brought up to date about once a frame and the browser
// gets control back to paint it; input meanwhile waits on the page's side.
class WebCanvas : public PictureCanvas {
public:
    // `refit` brings the picture's scale up to the viewport's before a frame is shown.
    WebCanvas(Picture& picture, std::function<void()> refit);

    std::string Text(Box box) override;
    void Text(Box box, const std::string& text) override;
    void Visible(Box box, bool shown) override;
    int MsgBox(const std::string& prompt) override;
    void frame() override;

    // Shows what changed since the last time, without handing control to the browser.
    void present();
    // The page's texts may have changed (typing, between two handlers).
    void forgetTexts();

private:
    void beforeDelay(const std::string& count);

    // a frame of a 60 Hz screen
    static constexpr std::chrono::duration<double, std::milli> frameDue{16.7};

    std::array<std::optional<std::string>, boxCount> texts_;
    std::optional<std::chrono::duration<double, std::milli>> delay_; // of the text of nSpomalení
    std::chrono::steady_clock::time_point lastShown_ = std::chrono::steady_clock::now();
    std::vector<Pixel> staging_; // RGBA, as the page's canvas takes it
    std::function<void()> refit_;
};

} // namespace lumetra::web
