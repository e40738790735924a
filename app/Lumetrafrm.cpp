#include "Lumetrafrm.h"

#include "Canvas.h"
#include "Convert.h"
#include "Errors.h"
#include "Layout.h"
#include "Picture.h"
#include "QtCanvas.h"
#include "Start.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace lumetra;
using lumetra::app::ControlSpec;
using lumetra::app::Kind;

namespace {

QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

int px(int twips)
{
    return qRound(twips / Lumetrafrm::twipsPerPixel);
}

QRect rectOf(const ControlSpec& c)
{
    return QRect(px(c.left), px(c.top), px(c.width), px(c.height));
}

QFont fontOf(const ControlSpec& c, const QFont& fallback)
{
    if (c.font == 0) {
        // set explicitly, or a control would take its bold frame's font
        QFont font(fallback.family());
        font.setPointSizeF(fallback.pointSizeF());
        font.setBold(false);
        return font;
    }
    const auto f = app::fontFor(c.font);
    QFont font(qs(f.family));
    font.setPointSizeF(f.pointSize);
    font.setBold(true);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

std::optional<QColor> backgroundOf(const ControlSpec& c)
{
    switch (c.background) {
    case app::Background::Grey: return QColor(192, 192, 192);
    case app::Background::Light: return QColor::fromRgb(threeDLightRgb);
    case app::Background::Rgb: return QColor::fromRgb(QtCanvas::toRgb(c.rgb));
    default: return std::nullopt;
    }
}

// The label and the line are painted on the window's surface under every control,
// so a run's drawing covers them; these objects only carry their names and layout.
class SurfaceControl : public QObject {
public:
    SurfaceControl(const ControlSpec& c, QObject* parent) : QObject(parent), layout(c) { setObjectName(qs(c.name)); }
    const ControlSpec& layout;
};

} // namespace

Lumetrafrm::Lumetrafrm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Lumetrafrm"));
    setWindowTitle(QStringLiteral("Lumetra - https://lumetra.example.org"));

    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(threeDLightRgb));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The picture covers everything a run draws and the whole screen, so nothing that
    // a maximized window shows is lost.
    QSize logical(px(13000) + 2, px(9000) + 2);
    if (const QScreen* s = screen())
        logical = logical.expandedTo(s->geometry().size());
    picture_ = std::make_unique<Picture>(logical, devicePixelRatioF(), threeDLightRgb);
    canvas_ = std::make_unique<QtCanvas>(this, *picture_);
    report_ = [this](const QString& message) { showErrorReport(this, message); };

    buildControls();
    paintSurfaceControls();
    setTabOrder();
    wireHandlers();
    resize(px(10035), px(8535));

    handle(&Lumetrafrm::Form_Load);
    if (auto* start = findChild<QPushButton*>(QStringLiteral("cmdStart")))
        start->setFocus(Qt::OtherFocusReason);
}

Lumetrafrm::~Lumetrafrm() = default;

void Lumetrafrm::buildControls()
{
    for (const auto& c : app::controls) {
        QWidget* container = this;
        if (!c.container.empty())
            container = findChild<QGroupBox*>(qs(c.container));
        QWidget* w = nullptr;
        switch (c.kind) {
        case Kind::TextBox: {
            auto* edit = new QLineEdit(qs(c.text), container);
            edit->setFrame(!(c.flags & app::NoBorder));
            if (c.flags & app::Centred)
                edit->setAlignment(Qt::AlignCenter);
            else if (c.flags & app::RightAligned)
                edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            edit->setTextMargins(0, 0, 0, 0);
            edit->setContentsMargins(0, 0, 0, 0);
            w = edit;
            break;
        }
        case Kind::Frame: {
            auto* frame = new QGroupBox(qs(c.text), container);
            frame->setFlat(false);
            w = frame;
            break;
        }
        case Kind::OptionButton:
            w = new QRadioButton(qs(c.text), container);
            break;
        case Kind::CommandButton:
            w = new QPushButton(qs(c.text), container);
            break;
        case Kind::HScrollBar: {
            auto* bar = new QScrollBar(Qt::Horizontal, container);
            bar->setRange(1, 20000);
            bar->setSingleStep(1);
            bar->setPageStep(1);
            bar->setValue(1);
            // a drag is one change, made when the thumb is let go
            bar->setTracking(false);
            bar->setFocusPolicy(Qt::StrongFocus);
            w = bar;
            break;
        }
        case Kind::Label:
        case Kind::Line:
            new SurfaceControl(c, this);
            continue;
        }
        w->setObjectName(qs(c.name));
        w->setGeometry(rectOf(c));
        w->setFont(fontOf(c, font()));
        if (const auto bg = backgroundOf(c)) {
            QPalette p = w->palette();
            p.setColor(QPalette::Window, *bg);
            p.setColor(QPalette::Base, *bg);
            p.setColor(QPalette::Button, *bg);
            w->setPalette(p);
            w->setAutoFillBackground(true);
        }
        w->setVisible(c.shown);
    }
    // raise from the bottom of the stack to its top
    for (auto it = app::stackingTopDown.rbegin(); it != app::stackingTopDown.rend(); ++it)
        if (auto* w = findChild<QWidget*>(qs(*it)))
            w->raise();
}

void Lumetrafrm::paintSurfaceControls()
{
    QPainter p(&picture_->imageForPainting());
    for (QObject* child : children()) {
        const auto* item = dynamic_cast<const SurfaceControl*>(child);
        if (!item)
            continue;
        const ControlSpec& c = item->layout;
        if (c.kind == Kind::Line) {
            p.setPen(QPen(Qt::black, 1));
            p.drawLine(QPointF(c.left / twipsPerPixel, c.top / twipsPerPixel),
                       QPointF(c.width / twipsPerPixel, c.height / twipsPerPixel));
        } else {
            const QRect r = rectOf(c);
            if (const auto bg = backgroundOf(c))
                p.fillRect(r, *bg);
            p.setPen(Qt::black);
            p.setFont(fontOf(c, font()));
            p.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, qs(c.text));
        }
    }
}

void Lumetrafrm::setTabOrder()
{
    std::vector<const ControlSpec*> order;
    for (const auto& c : app::controls)
        if (c.tab >= 0 && c.kind != Kind::Frame && c.kind != Kind::Label && c.kind != Kind::Line)
            order.push_back(&c);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tab < b->tab; });
    QWidget* previous = nullptr;
    for (const auto* c : order) {
        auto* w = findChild<QWidget*>(qs(c->name));
        if (previous && w)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void Lumetrafrm::wireHandlers()
{
    auto onClick = [this](const char* name, void (Lumetrafrm::*handler)()) {
        connect(findChild<QPushButton*>(QString::fromUtf8(name)), &QPushButton::clicked, this,
                [this, handler] {
                    handle(handler);
                    if (closeAfterRun_ && !running_) {
                        closeAfterRun_ = false;
                        close();
                    }
                });
    };
    onClick("cmdStart", &Lumetrafrm::cmdStart_Click);
    onClick("cmdKonec", &Lumetrafrm::cmdKonec_Click);

    connect(findChild<QScrollBar*>(QStringLiteral("HScroll1")), &QScrollBar::valueChanged, this,
            [this] { handle(&Lumetrafrm::HScroll1_Change); });

    // an option's handler runs when it becomes selected, by a click or from the program
    const std::pair<const char*, void (Lumetrafrm::*)()> options[] = {
        {"opUhel45", &Lumetrafrm::opUhel45_Click},   {"opUhel90", &Lumetrafrm::opUhel90_Click},
        {"opVzduch", &Lumetrafrm::opVzduch_Click},   {"opSklo", &Lumetrafrm::opSklo_Click},
        {"opČervená", &Lumetrafrm::opČervená_Click}, {"opZelená", &Lumetrafrm::opZelená_Click},
        {"opModrá", &Lumetrafrm::opModrá_Click},     {"opRychlá", &Lumetrafrm::opRychlá_Click},
        {"opPomalejší", &Lumetrafrm::opPomalejší_Click}, {"opPomalá", &Lumetrafrm::opPomalá_Click},
    };
    for (const auto& [name, handler] : options) {
        auto* option = findChild<QRadioButton*>(QString::fromUtf8(name));
        // the tab key stops at a group once, on its selected button; arrows move within it
        option->setFocusPolicy(Qt::ClickFocus);
        connect(option, &QRadioButton::toggled, this, [this, option, handler = handler](bool selected) {
            option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
            if (selected)
                handle(handler);
        });
    }
}

void Lumetrafrm::handle(void (Lumetrafrm::*handler)())
{
    // a handler run from inside another (an option selected by start-up) fails with it
    if (handlerDepth_ > 0) {
        (this->*handler)();
        return;
    }
    ++handlerDepth_;
    try {
        (this->*handler)();
    } catch (const std::exception& e) {
        --handlerDepth_;
        report_(QString::fromUtf8(e.what()));
        return;
    }
    --handlerDepth_;
}

void Lumetrafrm::showErrorReport(QWidget* parent, const QString& message)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("errorReport"));
    box.setWindowTitle(QStringLiteral("Lumetra"));
    box.setIcon(QMessageBox::Critical);
    box.setText(QStringLiteral("Akci nelze dokončit."));
    box.setInformativeText(message);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void Lumetrafrm::select(const char* optionName)
{
    auto* option = findChild<QRadioButton*>(QString::fromUtf8(optionName));
    if (!option)
        throw Failure(std::string("Ovládací prvek ") + optionName + " v okně chybí.");
    option->setChecked(true);
}

void Lumetrafrm::Form_Load()
{
    canvas_->Text(Box::nUhel, "45");
    canvas_->Text(Box::nIndex, toText(1.7));
    canvas_->Text(Box::nKmitočet, toText(0.75));
    canvas_->Text(Box::nMaže, toText(0));
    canvas_->Text(Box::nBarva, "Zelená");
    select("opUhel45");
    select("opSklo");
    select("opZelená");
    canvas_->Text(Box::nKlepnuto, toText(0));
    select("opRychlá");
    canvas_->Text(Box::nSpomalení, toText(1));
}

void Lumetrafrm::cmdStart_Click()
{
    running_ = true;
    // With LUMETRA_RUN_LOG set, each run's duration goes to stderr, for measuring speed.
    static const bool logRuns = qEnvironmentVariableIsSet("LUMETRA_RUN_LOG");
    QElapsedTimer clock;
    clock.start();
    struct EndOfRun {
        Lumetrafrm* w;
        QElapsedTimer& clock;
        qint64 askedBefore;
        ~EndOfRun()
        {
            w->canvas_->frame();
            w->running_ = false;
            // input held back during the run waits in Qt's queue until the loop is woken
            if (auto* loop = QAbstractEventDispatcher::instance())
                loop->wakeUp();
            if (logRuns) {
                const qint64 asking = w->canvas_->askingNanoseconds() - askedBefore;
                std::fprintf(stderr, "lumetra: run ended after %.1f ms, %.1f ms of them waiting for an answer (delay count %s)\n",
                             clock.nsecsElapsed() / 1e6, asking / 1e6,
                             qPrintable(w->findChild<QLineEdit*>(QStringLiteral("nSpomalení"))->text()));
            }
        }
    } endOfRun{this, clock, canvas_->askingNanoseconds()};
    sim::startRun(*canvas_);
}

void Lumetrafrm::cmdKonec_Click()
{
    close();
}

void Lumetrafrm::HScroll1_Change()
{
    canvas_->Text(Box::nSpomalení, toText(findChild<QScrollBar*>(QStringLiteral("HScroll1"))->value()));
}

void Lumetrafrm::opUhel45_Click() { canvas_->Text(Box::nUhel, "45"); }
void Lumetrafrm::opUhel90_Click() { canvas_->Text(Box::nUhel, "90"); }

void Lumetrafrm::opVzduch_Click()
{
    canvas_->Text(Box::nIndex, toText(1));
    canvas_->Visible(Box::nVzduchSklo, true);
    canvas_->Visible(Box::nSklo, false);
    canvas_->Text(Box::nKlepnuto, toText(1));
}

void Lumetrafrm::opSklo_Click()
{
    canvas_->Text(Box::nIndex, toText(1.7));
    canvas_->Visible(Box::nVzduchSklo, false);
    canvas_->Visible(Box::nSklo, true);
    canvas_->Text(Box::nKlepnuto, toText(1));
}

void Lumetrafrm::opČervená_Click()
{
    canvas_->Text(Box::nKmitočet, toText(0.5));
    canvas_->Text(Box::nBarva, "Červená");
}

void Lumetrafrm::opZelená_Click()
{
    canvas_->Text(Box::nKmitočet, toText(0.75));
    canvas_->Text(Box::nBarva, "Zelená");
}

void Lumetrafrm::opModrá_Click()
{
    canvas_->Text(Box::nKmitočet, toText(1));
    canvas_->Text(Box::nBarva, "Modrá");
}

void Lumetrafrm::opRychlá_Click() { canvas_->Text(Box::nSpomalení, toText(1)); }
void Lumetrafrm::opPomalejší_Click() { canvas_->Text(Box::nSpomalení, toText(10000)); }
void Lumetrafrm::opPomalá_Click() { canvas_->Text(Box::nSpomalení, toText(20000)); }

void Lumetrafrm::paintEvent(QPaintEvent* event)
{
    static bool firstPaint = true;
    if (firstPaint && qEnvironmentVariableIsSet("LUMETRA_RUN_LOG")) {
        // wall-clock time, to compare with the moment the program was started
        std::fprintf(stderr, "lumetra: window first painted at %lld ms\n",
                     static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    }
    firstPaint = false;
    QPainter p(this);
    const QImage& image = picture_->image();
    const QRect covered(QPoint(0, 0), image.deviceIndependentSize().toSize());
    for (const QRect& r : event->region()) {
        const QRect inside = r & covered;
        if (!inside.isEmpty()) {
            const qreal dpr = image.devicePixelRatio();
            p.drawImage(inside, image,
                        QRectF(inside.x() * dpr, inside.y() * dpr, inside.width() * dpr, inside.height() * dpr));
        }
        // beyond the picture there is only background
        for (const QRect& rest : QRegion(r).subtracted(covered))
            p.fillRect(rest, QColor::fromRgb(threeDLightRgb));
    }
}

void Lumetrafrm::resizeEvent(QResizeEvent* event)
{
    picture_->ensureSize(size());
    QWidget::resizeEvent(event);
}

void Lumetrafrm::closeEvent(QCloseEvent* event)
{
    // a close asked for during a run takes effect when the run has ended
    if (running_) {
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    event->accept();
}
