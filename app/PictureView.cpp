#include "PictureView.h"

#include "Accessibility.h"
#include "Controls.h"
#include "PictureCanvas.h"
#include "Window.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTouchEvent>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <optional>

namespace lumetra::app {

PictureView::PictureView(window::Window& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setObjectName(QStringLiteral("picture"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AcceptTouchEvents);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(Controls::qs(window::pictureName));
}

QRect PictureView::markRect() const
{
    if (!overlay_ || !model_.inspector().point())
        return {};
    const window::Rect r = model_.rectOf(model_.inspector().markArea());
    return QRect(r.x, r.y, r.width, std::max(2, r.height));
}

QRect PictureView::focusRect() const
{
    using window::Inspector;
    const window::Rect r = model_.rectOf(Inspector::Area{static_cast<int>(Inspector::areaLeft) - 60,
                                                           static_cast<int>(Inspector::areaTop) - 60,
                                                           static_cast<int>(Inspector::areaRight - Inspector::areaLeft) + 120,
                                                           static_cast<int>(Inspector::areaBottom - Inspector::areaTop) + 120});
    return QRect(r.x, r.y, r.width, r.height);
}

void PictureView::refreshOverlay(bool shown)
{
    overlay_ = shown;
    const QRect now = markRect();
    if (now != mark_) {
        update(mark_);
        update(now);
        mark_ = now;
    }
    update(focusRect().adjusted(-3, -3, 3, 3));
}

void PictureView::mouseMoveEvent(QMouseEvent* event)
{
    model_.pointerMoved(event->position().x(), event->position().y());
}

void PictureView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        model_.pointerClicked(event->position().x(), event->position().y());
    QWidget::mousePressEvent(event);
}

void PictureView::leaveEvent(QEvent* event)
{
    model_.pointerLeft();
    QWidget::leaveEvent(event);
}

bool PictureView::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: {
        auto* touch = static_cast<QTouchEvent*>(event);
        if (touch->points().isEmpty())
            break;
        const QPointF at = touch->points().first().position();
        if (event->type() == QEvent::TouchEnd)
            model_.touchReleased();
        else
            model_.touchMoved(at.x(), at.y(), event->type() == QEvent::TouchBegin);
        event->accept();
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

void PictureView::keyPressEvent(QKeyEvent* event)
{
    using Key = window::Inspector::Key;
    std::optional<Key> key;
    switch (event->key()) {
    case Qt::Key_Up: key = Key::Up; break;
    case Qt::Key_Down: key = Key::Down; break;
    case Qt::Key_PageUp: key = Key::PageUp; break;
    case Qt::Key_PageDown: key = Key::PageDown; break;
    case Qt::Key_Home: key = Key::Home; break;
    case Qt::Key_End: key = Key::End; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        model_.pinInspector();
        return;
    case Qt::Key_Escape:
        model_.hideInspector();
        focusNextPrevChild(false); // and leaves the picture
        return;
    default:
        break;
    }
    if (!key || !model_.inspectorKey(*key))
        QWidget::keyPressEvent(event);
}

void PictureView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    model_.pictureFocused();
    refreshOverlay(overlay_);
}

void PictureView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    refreshOverlay(overlay_);
}

void PictureView::showChanged(const PixelRect& d)
{
    const double dpr = devicePixelRatioF();
    const int x0 = static_cast<int>(std::floor(d.x0 / dpr)) - 1, y0 = static_cast<int>(std::floor(d.y0 / dpr)) - 1;
    const int x1 = static_cast<int>(std::ceil((d.x1 + 1) / dpr)) + 1, y1 = static_cast<int>(std::ceil((d.y1 + 1) / dpr)) + 1;
    const Placement& at = model_.placement();
    update(QRect(QPoint(x0, y0), QPoint(x1, y1)).translated(at.left, at.top));
}

void PictureView::paintEvent(QPaintEvent* event)
{
    static bool firstPaint = true;
    if (firstPaint && qEnvironmentVariableIsSet("LUMETRA_RUN_LOG")) {
        // wall-clock time, to compare with the moment the program was started
        std::fprintf(stderr, "lumetra: window first painted at %lld ms\n",
                     static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    }
    firstPaint = false;
    // the picture follows the window's size lazily, once per paint however many resizes came first
    const double dpr = devicePixelRatioF();
    // the window's screen may have changed its pixel ratio since the last resize
    model_.fit(parentWidget()->width(), parentWidget()->height(), dpr);
    model_.fitPicture();
    const Picture& picture = model_.picture();
    QImage image(reinterpret_cast<const uchar*>(picture.pixels()), picture.width(), picture.height(),
                 picture.width() * 4, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    const Placement& at = model_.placement();
    const QRect covered(QPoint(at.left, at.top), image.deviceIndependentSize().toSize());
    QPainter p(this);
    for (const QRect& r : event->region()) {
        const QRect inside = r & covered;
        if (!inside.isEmpty()) {
            const QRect source = inside.translated(-covered.topLeft());
            p.drawImage(inside, image,
                        QRectF(source.x() * dpr, source.y() * dpr, source.width() * dpr, source.height() * dpr));
        }
        for (const QRect& rest : QRegion(r).subtracted(covered))
            p.fillRect(rest, QColor::fromRgb(threeDLightPixel));
    }
    // over the picture, never in it
    if (const QRect mark = markRect(); !mark.isEmpty())
        p.fillRect(mark, Qt::black);
    if (overlay_ && hasFocus()) {
        QPen pen(QColor(0x1a, 0x5f, 0xb4), 2, Qt::DashLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(focusRect());
    }
}

} // namespace lumetra::app
