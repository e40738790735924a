#include "FocusRing.h"

#include <QEvent>
#include <QPainter>

namespace lumetra::app {

namespace {
constexpr int band = 3; // a dark line inside a light one: seen on every colour a run draws
} // namespace

FocusRing::FocusRing(QWidget* watched, std::function<QRect()> area, QWidget* parent)
    : QWidget(parent), watched_(watched), area_(std::move(area))
{
    setObjectName(QStringLiteral("focusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    watched_->installEventFilter(this);
    hide();
}

void FocusRing::follow()
{
    setGeometry(area_());
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watched_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        follow();
        setVisible(watched_->hasFocus());
    }
    return false;
}

void FocusRing::paintEvent(QPaintEvent*)
{
    // only the edges: everything inside shows through
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r.x(), r.y(), r.width(), band, Qt::white);
    p.fillRect(r.x(), r.bottom() - band + 1, r.width(), band, Qt::white);
    p.fillRect(r.x(), r.y(), band, r.height(), Qt::white);
    p.fillRect(r.right() - band + 1, r.y(), band, r.height(), Qt::white);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(1, 1, -2, -2));
}

} // namespace lumetra::app
