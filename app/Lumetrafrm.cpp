#include "Lumetrafrm.h"

#include "Canvas.h"
#include "Errors.h"
#include "Layout.h"
#include "Picture.h"
#include "QtCanvas.h"
#include "ScaledStyle.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

using namespace lumetra;
using lumetra::app::ControlRow;
using lumetra::app::Kind;

namespace {

QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The label and the line are painted on the window's surface under every control,
// so a run's drawing covers them; these objects only carry their names and layout.
class SurfaceControl : public QObject {
public:
    SurfaceControl(const ControlRow& c, QObject* parent) : QObject(parent), layout(c) { setObjectName(qs(c.name)); }
    const ControlRow& layout;
};

std::optional<QColor> backgroundOf(const ControlRow& c)
{
    switch (c.background) {
    case app::Background::Grey: return QColor(192, 192, 192);
    case app::Background::Light: return QColor::fromRgb(threeDLightPixel);
    case app::Background::Rgb: return QColor::fromRgb(PictureCanvas::toPixel(c.rgb));
    default: return std::nullopt;
    }
}

const bool logRuns = qEnvironmentVariableIsSet("LUMETRA_RUN_LOG");

// A control's font, grown by the factor.
QFont fontOf(const ControlRow& c, double factor)
{
    if (c.font == 0) {
        // set explicitly, or a control would take its bold frame's font
        const QFont windowFont = QApplication::font();
        QFont font(windowFont.family());
        font.setPointSizeF(windowFont.pointSizeF() * factor);
        font.setBold(false);
        return font;
    }
    const auto face = app::fontFor(c.font);
    QFont font(qs(face.family));
    font.setPointSizeF(face.pointSize * factor);
    font.setBold(true);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

} // namespace

Lumetrafrm::Lumetrafrm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Lumetrafrm"));
    setWindowTitle(QStringLiteral("Lumetra - https://lumetra.example.org"));

    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(threeDLightPixel));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);

    const QSize designed(qRound(10035 / twipsPerPixel), qRound(8535 / twipsPerPixel));
    placement_ = placeDesign(designed.width(), designed.height());
    picture_ = std::make_unique<Picture>(placement_.pixelsPerTwip() * devicePixelRatioF(), threeDLightPixel);
    canvas_ = std::make_unique<QtCanvas>(this, *picture_, [this](const PixelRect& r) { showChanged(r); });
    report_ = [this](const QString& message) { showErrorReport(this, message); };
    style_ = std::make_unique<app::ScaledStyle>(nullptr);

    buildControls();
    setTabOrder();
    wireHandlers();
    buildActions();
    resize(designed);
    picture_->setUnderlay([this](Picture& p) { paintUnderlay(p); });

    handle([this] { Form_Load(); });
    if (auto* start = findChild<QPushButton*>(QStringLiteral("cmdStart")))
        start->setFocus(Qt::OtherFocusReason);
}

Lumetrafrm::~Lumetrafrm()
{
    // the controls use the style; they go first
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

QRect Lumetrafrm::designRect() const
{
    return QRect(placement_.left, placement_.top, qRound(placement_.width()), qRound(placement_.height()));
}

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
        w->setStyle(style_.get());
        placeControl(w, c);
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

void Lumetrafrm::placeControls()
{
    style_->setFactor(placement_.factor);
    for (const auto& c : app::controls)
        if (auto* w = findChild<QWidget*>(qs(c.name)))
            placeControl(w, c);
}

void Lumetrafrm::placeControl(QWidget* w, const ControlRow& c) const
{
    const double f = placement_.factor;
    const auto px = [f](int twips) { return qRound(twips * f / twipsPerPixel); };
    // option buttons sit in their frames, which are placed with the window
    const QPoint origin = c.container.empty() ? QPoint(placement_.left, placement_.top) : QPoint();
    w->setGeometry(QRect(origin + QPoint(px(c.left), px(c.top)), QSize(px(c.width), px(c.height))));
    w->setFont(fontOf(c, f));
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // A text whose cursor does not quite fit keeps the scroll of the box's last size.
        // Painted once (aside, shown or not) with the cursor at its start, the box starts
        // from no scroll, as at its first showing.
        const int cursor = edit->cursorPosition();
        edit->home(false);
        QImage aside(1, 1, QImage::Format_RGB32);
        edit->render(&aside);
        edit->setCursorPosition(cursor);
    }
}

void Lumetrafrm::paintUnderlay(Picture& picture)
{
    const double dpr = devicePixelRatioF();
    const double deviceFactor = placement_.factor * dpr;
    QImage image(reinterpret_cast<uchar*>(picture.mutablePixels()), picture.width(), picture.height(),
                 picture.width() * 4, QImage::Format_RGB32);
    QPainter p(&image);
    for (QObject* child : children()) {
        const auto* item = dynamic_cast<const SurfaceControl*>(child);
        if (!item)
            continue;
        const ControlRow& c = item->layout;
        const app::SurfaceRect at = app::surfaceRect(c, deviceFactor);
        const QRect r(at.x, at.y, at.width, at.height);
        if (c.kind == Kind::Line) {
            p.fillRect(r, Qt::black);
        } else {
            if (const auto bg = backgroundOf(c))
                p.fillRect(r, *bg);
            p.setFont(fontOf(c, deviceFactor));
            p.setPen(Qt::black);
            p.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, qs(c.text));
        }
    }
}

void Lumetrafrm::fitPicture()
{
    const double wanted = placement_.pixelsPerTwip() * devicePixelRatioF();
    if (picture_->scale() != wanted)
        picture_->setScale(wanted);
}

void Lumetrafrm::showChanged(const PixelRect& d)
{
    const double dpr = devicePixelRatioF();
    const int x0 = static_cast<int>(std::floor(d.x0 / dpr)) - 1, y0 = static_cast<int>(std::floor(d.y0 / dpr)) - 1;
    const int x1 = static_cast<int>(std::ceil((d.x1 + 1) / dpr)) + 1, y1 = static_cast<int>(std::ceil((d.y1 + 1) / dpr)) + 1;
    update(QRect(QPoint(x0, y0), QPoint(x1, y1)).translated(placement_.left, placement_.top));
}

void Lumetrafrm::setTabOrder()
{
    std::vector<const ControlRow*> order;
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
    auto onClick = [this](const char* name, std::function<void()> handler) {
        connect(findChild<QPushButton*>(QString::fromUtf8(name)), &QPushButton::clicked, this,
                [this, handler] {
                    handle(handler);
                    if (closeAfterRun_ && !running_) {
                        closeAfterRun_ = false;
                        close();
                    }
                });
    };
    onClick("cmdStart", [this] { cmdStart_Click(); });
    onClick("cmdKonec", [this] { cmdKonec_Click(); });

    connect(findChild<QScrollBar*>(QStringLiteral("HScroll1")), &QScrollBar::valueChanged, this,
            [this] { handle([this] { HScroll1_Change(); }); });

    // an option's handler runs when it becomes selected, by a click or from the program
    for (const auto& c : app::controls) {
        if (c.kind != Kind::OptionButton)
            continue;
        auto* option = findChild<QRadioButton*>(qs(c.name));
        const Form::Handler handler = Form::optionHandler(c.name);
        // the tab key stops at a group once, on its selected button; arrows move within it
        option->setFocusPolicy(Qt::ClickFocus);
        connect(option, &QRadioButton::toggled, this, [this, option, handler](bool selected) {
            option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
            if (selected && handler)
                handle([this, handler] { (static_cast<Form*>(this)->*handler)(); });
        });
    }
}

void Lumetrafrm::buildActions()
{
    auto add = [this](const QString& text, const QKeySequence& keys, void (Lumetrafrm::*handler)()) {
        auto* action = new QAction(text, this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, handler] { handle([this, handler] { (this->*handler)(); }); });
        addAction(action);
        return action;
    };
    copyAction_ = add(QStringLiteral("Kopírovat obrázek"), QKeySequence(Qt::CTRL | Qt::Key_C), &Lumetrafrm::copyPicture);
    saveAction_ = add(QStringLiteral("Uložit obrázek…"), QKeySequence(Qt::CTRL | Qt::Key_S), &Lumetrafrm::savePicture);
    fullScreenAction_ = add(QStringLiteral("Celá obrazovka"), QKeySequence(Qt::Key_F11), &Lumetrafrm::toggleFullScreen);
    fullScreenAction_->setCheckable(true);
}

void Lumetrafrm::handle(const std::function<void()>& handler)
{
    // a handler run from inside another (an option selected by start-up) fails with it
    if (handlerDepth_ > 0) {
        handler();
        return;
    }
    ++handlerDepth_;
    try {
        handler();
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

void Lumetrafrm::select(std::string_view optionName)
{
    auto* option = findChild<QRadioButton*>(qs(optionName));
    if (!option)
        throw Failure("Ovládací prvek " + std::string(optionName) + " v okně chybí.");
    option->setChecked(true);
}

int Lumetrafrm::scrollValue()
{
    return findChild<QScrollBar*>(QStringLiteral("HScroll1"))->value();
}

void Lumetrafrm::unload()
{
    close();
}

void Lumetrafrm::cmdStart_Click()
{
    running_ = true;
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
            // With LUMETRA_RUN_LOG set, each run's duration goes to stderr, for measuring speed.
            if (logRuns) {
                const qint64 asking = w->canvas_->askingNanoseconds() - askedBefore;
                std::fprintf(stderr, "lumetra: run ended after %.1f ms, %.1f ms of them waiting for an answer (delay count %s)\n",
                             clock.nsecsElapsed() / 1e6, asking / 1e6,
                             qPrintable(w->findChild<QLineEdit*>(QStringLiteral("nSpomalení"))->text()));
            }
        }
    } endOfRun{this, clock, canvas_->askingNanoseconds()};
    Form::cmdStart_Click();
}

QImage Lumetrafrm::shownImage()
{
    fitPicture();
    return grab(designRect()).toImage();
}

void Lumetrafrm::copyPicture()
{
    QApplication::clipboard()->setImage(shownImage());
}

QString Lumetrafrm::proposedFileName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(QDateTime::currentDateTime().toString(QStringLiteral("'lumetra-'yyyy-MM-dd-HHmmss'.png'")));
}

void Lumetrafrm::savePicture()
{
    const QImage image = shownImage();
    const QString proposed = proposedFileName();
    QString path = chooseFile_ ? chooseFile_(proposed)
                               : QFileDialog::getSaveFileName(this, QStringLiteral("Uložit obrázek"), proposed,
                                                              QStringLiteral("Obrázky PNG (*.png)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    writePng(image, path);
}

void Lumetrafrm::writePng(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    const auto fail = [&](const char* what) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw Failure(QStringLiteral("Obrázek nelze uložit do souboru „%1“: %2 (%3).")
                          .arg(QDir::toNativeSeparators(path), QString::fromUtf8(what), reason)
                          .toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail("soubor nelze vytvořit, do složky nejspíš nelze zapisovat");
    if (!image.save(&file, "PNG"))
        fail("zápis se nezdařil, disk je možná plný");
    if (!file.commit())
        fail("soubor se nepodařilo dokončit, disk je možná plný");
}

void Lumetrafrm::toggleFullScreen()
{
    if (isFullScreen()) {
        if (maximizedBeforeFullScreen_)
            showMaximized();
        else
            showNormal();
    } else {
        maximizedBeforeFullScreen_ = isMaximized();
        showFullScreen();
    }
}

void Lumetrafrm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && fullScreenAction_)
        fullScreenAction_->setChecked(isFullScreen());
    QWidget::changeEvent(event);
}

void Lumetrafrm::contextMenuEvent(QContextMenuEvent* event)
{
    // only on the drawing area: the controls keep their own menus or none
    if (QWidget* under = childAt(event->pos()); under && under != this) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.addAction(copyAction_);
    menu.addAction(saveAction_);
    menu.addSeparator();
    menu.addAction(fullScreenAction_);
    menu.exec(event->globalPos());
}

void Lumetrafrm::paintEvent(QPaintEvent* event)
{
    static bool firstPaint = true;
    if (firstPaint && logRuns) {
        // wall-clock time, to compare with the moment the program was started
        std::fprintf(stderr, "lumetra: window first painted at %lld ms\n",
                     static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    }
    firstPaint = false;
    // the picture follows the window's size lazily, once per paint however many resizes came first
    fitPicture();
    const double dpr = devicePixelRatioF();
    QImage image(reinterpret_cast<const uchar*>(picture_->pixels()), picture_->width(), picture_->height(),
                 picture_->width() * 4, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    const QRect covered(QPoint(placement_.left, placement_.top), image.deviceIndependentSize().toSize());
    QPainter p(this);
    for (const QRect& r : event->region()) {
        const QRect inside = r & covered;
        if (!inside.isEmpty()) {
            const QRect source = inside.translated(-covered.topLeft());
            p.drawImage(inside, image,
                        QRectF(source.x() * dpr, source.y() * dpr, source.width() * dpr, source.height() * dpr));
        }
        // the margins show only background
        for (const QRect& rest : QRegion(r).subtracted(covered))
            p.fillRect(rest, QColor::fromRgb(threeDLightPixel));
    }
}

void Lumetrafrm::resizeEvent(QResizeEvent* event)
{
    const Placement now = placeDesign(width(), height());
    if (now.factor != placement_.factor || now.left != placement_.left || now.top != placement_.top) {
        placement_ = now;
        placeControls();
        update();
    }
    if (logRuns)
        std::fprintf(stderr, "lumetra: scale %.17g at %d,%d in %dx%d\n", now.factor, now.left, now.top, width(),
                     height());
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
