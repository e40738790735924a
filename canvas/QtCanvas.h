#pragma once

#include "Canvas.h"
#include "Picture.h"
#include "Rng.h"

#include <QElapsedTimer>
#include <QPointer>

#include <array>
#include <functional>

class QLineEdit;
class QWidget;

namespace lumetra {

// The 3-D light colour of our scheme: the window's background, lighter than the glass grey.
constexpr QRgb threeDLightRgb = 0xFFE6E6E6u;

// The canvas on a real window: lines go into the window's Picture, text boxes are the
// window's line edits found by their object names, questions are modal message boxes.
//
// While a run draws, the window is brought up to date about once a frame: it repaints
// and answers the window manager, but user input waits until the run has ended.
class QtCanvas : public Canvas {
public:
    QtCanvas(QWidget* window, Picture& picture);

    void ScaleMode(Scale scale) override;
    void DrawWidth(int pixels) override;
    std::string Text(Box box) override;
    void Text(Box box, const std::string& text) override;
    void Visible(Box box, bool shown) override;
    int MsgBox(const std::string& prompt) override;
    void Randomize(double seed) override;
    float Rnd() override;

    // Shows what was drawn since the last frame and lets non-input events through.
    void frame();
    // Off-screen use (benchmarks): draw only, never run the event loop.
    void setLive(bool live) { live_ = live; }
    // Lets tests answer questions without a modal box.
    void setQuestionHandler(std::function<int(const std::string&)> handler) { askHook_ = std::move(handler); }

    static QRgb toRgb(Colour colour);

    // Time spent waiting for answers to questions, in nanoseconds, since the start.
    qint64 askingNanoseconds() const { return askingNs_; }

protected:
    void drawLine(const Segment& s) override;

private:
    QLineEdit* box(Box b);
    void maybeFrame();

    QPointer<QWidget> window_;
    Picture& picture_;
    std::array<QPointer<QLineEdit>, boxCount> boxes_{};
    Rng rng_;
    QElapsedTimer sinceFrame_;
    unsigned callsSinceCheck_ = 0;
    bool live_ = true;
    qint64 askingNs_ = 0;
    std::function<int(const std::string&)> askHook_;
};

} // namespace lumetra
