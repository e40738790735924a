#include "PictureView.h"

#include "PictureCanvas.h"
#include "Window.h"

#include <QDateTime>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <cstdio>

namespace lumetra::app {

PictureView::PictureView(window::Window& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setObjectName(QStringLiteral("picture"));
    setAttribute(Qt::WA_OpaquePaintEvent);
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
}

} // namespace lumetra::app
