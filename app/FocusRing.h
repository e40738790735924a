#pragma once

#include <QWidget>

#include <functional>

namespace lumetra::app {

// A ring around an area of a widget while that widget has the focus, painted over it
// and under the controls; the mouse goes through it. It is hidden when the window is
// grabbed for copying, so no picture ever carries it.
class FocusRing : public QWidget {
public:
    // `area` gives the ring's rectangle in the parent's coordinates.
    FocusRing(QWidget* watched, std::function<QRect()> area, QWidget* parent);

    // Follows the area after a move or a resize.
    void follow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* watched_;
    std::function<QRect()> area_;
};

} // namespace lumetra::app
