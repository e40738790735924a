#pragma once

#include "PictureCanvas.h"
#include "Shell.h"

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace lumetra::window {

// The canvas of the window: lines go into the picture; text boxes, the question and
// frames are the shell's. About once a frame during a run the shell is shown what
// changed, and lets the screen paint at the next screen point.
class WindowCanvas final : public PictureCanvas {
public:
    // `refit` brings the picture's scale up to the window's before anything is shown.
    WindowCanvas(Picture& picture, Shell& shell, std::function<void()> refit);

    std::string Text(Box box) override;
    void Text(Box box, const std::string& text) override;
    void Visible(Box box, bool shown) override;
    int MsgBox(const std::string& prompt) override;
    void frame() override;

    // Shows the shell what changed since the last time, without a frame.
    void present();
    // A text may have changed behind the canvas's back (typed, between two handlers).
    void forgetText(Box box) { texts_[static_cast<std::size_t>(box)].reset(); }
    void forgetTexts();

    // Time spent waiting for answers to questions, since the start.
    std::chrono::nanoseconds asking() const { return asking_; }

private:
    void beforeDelay(const std::string& count);

    Shell& shell_;
    std::function<void()> refit_;
    // A run reads some texts at every screen point; each is asked of the shell once.
    std::array<std::optional<std::string>, boxCount> texts_;
    std::optional<std::chrono::duration<double, std::milli>> delay_; // of the text of nSpomalení
    std::chrono::nanoseconds asking_{0};
    bool breatheDue_ = false; // a frame was shown since the shell last breathed
};

} // namespace lumetra::window
