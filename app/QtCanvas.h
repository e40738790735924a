#pragma once

#include "PictureCanvas.h"

#include <QPointer>

#include <array>
#include <functional>

class QLineEdit;
class QWidget;

namespace lumetra {

// The canvas on the desktop window: lines go into the window's picture, text boxes are
// the window's line edits found by their object names, questions are modal message boxes.
//
// While a run draws, the window is brought up to date about once a frame: it repaints
// and answers the window manager, but user input waits until the run has ended.
class QtCanvas : public PictureCanvas {
public:
    // `showPicture` asks the window to repaint the part of the picture that changed.
    QtCanvas(QWidget* window, Picture& picture, std::function<void(const PixelRect&)> showPicture = {});

    std::string Text(Box box) override;
    void Text(Box box, const std::string& text) override;
    void Visible(Box box, bool shown) override;
    int MsgBox(const std::string& prompt) override;

    void frame() override;
    // Lets tests answer questions without a modal box.
    void setQuestionHandler(std::function<int(const std::string&)> handler) { askHook_ = std::move(handler); }

    // Time spent waiting for answers to questions, in nanoseconds, since the start.
    qint64 askingNanoseconds() const { return askingNs_; }

private:
    QLineEdit* box(Box b);

    // The texts as last read, until their boxes change: a run reads some at every point.
    struct Cached {
        std::string text;
        bool valid = false;
    };

    QPointer<QWidget> window_;
    std::function<void(const PixelRect&)> showPicture_;
    std::array<QPointer<QLineEdit>, boxCount> boxes_{};
    std::array<Cached, boxCount> texts_{};
    qint64 askingNs_ = 0;
    std::function<int(const std::string&)> askHook_;
};

} // namespace lumetra
