#include "InspectorPanel.h"

#include "Controls.h"
#include "Window.h"

#include <QPainter>

#include <cmath>

namespace lumetra::app {

using window::Inspector;

InspectorPanel::InspectorPanel(window::Window& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setObjectName(QStringLiteral("inspector"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    hide();
    growing_.setInterval(16);
    connect(&growing_, &QTimer::timeout, this, [this] { grow(); });
}

void InspectorPanel::refresh()
{
    const Inspector& inspector = model_.inspector();
    if (!inspector.point() || suppressed_) {
        growing_.stop();
        wasPinned_ = false;
        hide();
        return;
    }
    if (inspector.pinned() && !wasPinned_) {
        since_.start();
        arrows_ = 0;
        growing_.start();
    } else if (!growing_.isActive()) {
        arrows_ = sim::SweepConstants::slitPoints;
    }
    wasPinned_ = inspector.pinned();
    const window::Rect r = model_.rectOf(inspector.panelArea());
    setGeometry(r.x, r.y, r.width, r.height);
    raise();
    show();
    update();
}

void InspectorPanel::setSuppressed(bool suppressed)
{
    suppressed_ = suppressed;
    refresh();
}

void InspectorPanel::grow()
{
    arrows_ = Inspector::arrowsAfter(static_cast<double>(since_.elapsed()));
    if (arrows_ >= sim::SweepConstants::slitPoints)
        growing_.stop();
    update();
}

void InspectorPanel::paintEvent(QPaintEvent*)
{
    Inspector& inspector = model_.inspector();
    if (!inspector.point())
        return;
    const double dpr = devicePixelRatioF();
    const double factor = model_.placement().factor;
    const Raster& panel = inspector.render(factor * dpr / twipsPerPixel, arrows_);
    QImage image(reinterpret_cast<const uchar*>(panel.pixels()), panel.width(), panel.height(), panel.width() * 4,
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    QPainter p(this);
    p.drawImage(QPoint(0, 0), image);
    p.setPen(Qt::black);
    p.setFont(Controls::fontOf(Inspector::textFace, factor));
    const auto rect = [factor](const Inspector::Area& a) {
        const window::Rect r = a.at(factor);
        return QRect(r.x, r.y, r.width, r.height);
    };
    p.drawText(rect(Inspector::titleArea), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(inspector.title()));
    p.drawText(rect(Inspector::readoutArea), Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap,
               QString::fromStdString(inspector.readout()));
}

} // namespace lumetra::app
