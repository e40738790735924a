#pragma once

#include "Canvas.h"
#include "Clock.h"
#include "Picture.h"
#include "Rng.h"

#include <chrono>

namespace lumetra {

// The 3-D light colour of our scheme: the window's background, lighter than the glass grey.
constexpr Pixel threeDLightPixel = 0xFFE6E6E6u;

// A frame of a 60 Hz screen: how often a run brings the screen up to date.
constexpr std::chrono::duration<double, std::milli> frameInterval{1000.0 / 60};

// The canvas of a front end that shows a Picture: lines go into the picture, and about
// once a frame during a run the front end is asked to bring the screen up to date.
// Text boxes, questions and frames are the front end's own.
class PictureCanvas : public Canvas {
public:
    explicit PictureCanvas(Picture& picture) : picture_(picture) {}

    void ScaleMode(Scale scale) override;
    void DrawWidth(int pixels) override;
    void Randomize(double seed) override;
    float Rnd() override;

    // Off-screen use (benchmarks, tests): draw only, never ask for frames.
    void setLive(bool live) { live_ = live; }
    bool isLive() const { return live_; }

    // How a colour shows on the screen; unknown system colours fail.
    static Pixel toPixel(Colour colour)
    {
        if (colour <= 0xFFFFFFu) [[likely]]
            return 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
        return otherPixel(colour);
    }

protected:
    void drawLine(float x1, float y1, float x2, float y2, Colour colour, bool colourGiven) override;
    void drawLines(std::span<const Segment> lines) override;
    // Shows what was drawn since the last frame and lets the front end breathe.
    virtual void frame() = 0;
    // Starts the wait for the next frame afresh (after a question, say).
    void frameShown();
    std::chrono::steady_clock::time_point lastFrame() const { return lastFrame_; }
    Picture& picture() { return picture_; }

private:
    static Pixel otherPixel(Colour colour);
    // About once a frame, by the clock, read only every thousand lines or so.
    void linesDrawn(unsigned count);

    Picture& picture_;
    Rng rng_;
    std::chrono::steady_clock::time_point lastFrame_ = steadyNow();
    unsigned linesSinceCheck_ = 0;
    bool live_ = true;
};

} // namespace lumetra
