#pragma once

#include "Picture.h"

#include <QWidget>

namespace lumetra::window {
class Window;
}

namespace lumetra::app {

// Shows the model's picture, under every control, over the whole client area; the
// margins around the design area show only the window's background.
class PictureView : public QWidget {
public:
    PictureView(window::Window& model, QWidget* parent);

    // The part of the picture that changed, in device pixels, is painted at the next paint.
    void showChanged(const PixelRect& changed);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    window::Window& model_;
};

} // namespace lumetra::app
