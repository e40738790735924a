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
    // The inspector's mark and focus frame follow the model; false hides them (a grab).
    void refreshOverlay(bool shown = true);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QRect markRect() const;
    QRect focusRect() const;

    window::Window& model_;
    QRect mark_; // where the mark was last painted
    bool overlay_ = true;
};

} // namespace lumetra::app
