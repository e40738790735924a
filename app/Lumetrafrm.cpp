#include "Lumetrafrm.h"

#include "AccessibleTree.h"
#include "Accessibility.h"
#include "Controls.h"
#include "Dialogs.h"
#include "InspectorPanel.h"
#include "PictureExport.h"
#include "PictureView.h"
#include "ScaledStyle.h"
#include "TonePlayer.h"
#include "Tone.h"

#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <cstdio>

using namespace lumetra;
using lumetra::app::Controls;

namespace {
// With LUMETRA_RUN_LOG set, runs and resizes are logged to stderr, for measuring speed.
const bool logRuns = qEnvironmentVariableIsSet("LUMETRA_RUN_LOG");
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
    model_ = std::make_unique<window::Window>(static_cast<window::Shell&>(*this), designed.width(), designed.height(), devicePixelRatioF());
    style_ = std::make_unique<app::ScaledStyle>(nullptr);
    app::installAccessibleTree();
    view_ = new app::PictureView(*model_, this);
    controls_ = std::make_unique<Controls>(this, style_.get());
    panel_ = new app::InspectorPanel(*model_, this);
    // the picture is a stop of its own, after the last of the controls
    if (QWidget* last = controls_->lastTabStop())
        QWidget::setTabOrder(last, view_);
    player_ = new app::TonePlayer(this);
    connect(player_, &app::TonePlayer::stopped, this, [this] { stopTone(); });
    export_ = std::make_unique<app::PictureExport>(this, [this] { return shownImage(); });
    report_ = [this](const QString& message) { app::showErrorReport(this, message); };
    placeControls();
    wireHandlers();
    buildActions();
    resize(designed);
    view_->setGeometry(rect());

    model_->paintLabels();
    handle("Lumetrafrm");
    view_->setAccessibleDescription(QString::fromStdString(model_->pictureDescription()));
    if (auto* start = controls_->named("cmdStart"))
        start->setFocus(Qt::OtherFocusReason);
}

Lumetrafrm::~Lumetrafrm()
{
    // the controls use the style; they go first
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

QRect Lumetrafrm::designRect() const
{
    const Placement& at = model_->placement();
    return QRect(at.left, at.top, qRound(at.width()), qRound(at.height()));
}

void Lumetrafrm::handle(std::string_view control)
{
    QElapsedTimer clock;
    clock.start();
    const auto askedBefore = model_->canvas().asking();
    model_->handle(control);
    // input held back during a run waits in Qt's queue until the loop is woken
    if (auto* loop = QAbstractEventDispatcher::instance())
        loop->wakeUp();
    if (logRuns && control == "cmdStart") {
        const auto asking = model_->canvas().asking() - askedBefore;
        std::fprintf(stderr, "lumetra: run ended after %.1f ms, %.1f ms of them waiting for an answer (delay count %s)\n",
                     clock.nsecsElapsed() / 1e6, asking.count() / 1e6,
                     qPrintable(controls_->named<QLineEdit>("nSpomalení")->text()));
    }
    // a close asked for during a run takes effect when the run has ended
    if (closeAfterRun_ && !model_->running()) {
        closeAfterRun_ = false;
        close();
        return;
    }
    if (!model_->running())
        tidySoon();
}

void Lumetrafrm::tidySoon()
{
    QTimer::singleShot(0, this, [this] {
        if (!model_->running() && model_->tidy())
            tidySoon();
    });
}

void Lumetrafrm::wireHandlers()
{
    for (const auto& c : window::controls) {
        QWidget* w = controls_->named(c.name);
        const std::string name(c.name);
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            connect(button, &QPushButton::clicked, this, [this, name] { handle(name); });
        } else if (auto* bar = qobject_cast<QScrollBar*>(w)) {
            connect(bar, &QScrollBar::valueChanged, this, [this, name] { handle(name); });
        } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
            // a user's selection; the model's own go through check()
            connect(option, &QRadioButton::toggled, this, [this, option, name](bool selected) {
                option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
                if (selected)
                    handle(name);
            });
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            // typed between handlers: the run reads it afresh
            connect(edit, &QLineEdit::textChanged, this, [this] { model_->canvas().forgetTexts(); });
        }
    }
}

void Lumetrafrm::buildActions()
{
    auto add = [this](const QString& text, const QKeySequence& keys, void (Lumetrafrm::*action)()) {
        auto* a = new QAction(text, this);
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [this, action] { model_->guarded([this, action] { (this->*action)(); }); });
        addAction(a);
        return a;
    };
    copyAction_ = add(QStringLiteral("Kopírovat obrázek"), QKeySequence(Qt::CTRL | Qt::Key_C), &Lumetrafrm::copyPicture);
    saveAction_ = add(QStringLiteral("Uložit obrázek…"), QKeySequence(Qt::CTRL | Qt::Key_S), &Lumetrafrm::savePicture);
    fullScreenAction_ = add(QStringLiteral("Celá obrazovka"), QKeySequence(Qt::Key_F11), &Lumetrafrm::toggleFullScreen);
    fullScreenAction_->setCheckable(true);

    // P and the menu keys belong to the picture while it has the focus, not to a text box
    playAction_ = new QAction(QStringLiteral("Přehrát průběh"), this);
    playAction_->setShortcut(QKeySequence(Qt::Key_P));
    playAction_->setShortcutContext(Qt::WidgetShortcut);
    playAction_->setEnabled(false); // until a run has ended
    connect(playAction_, &QAction::triggered, this, [this] { model_->guarded([this] { playTone(); }); });
    view_->addAction(playAction_);
    auto* menuKeys = new QAction(this);
    menuKeys->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    menuKeys->setShortcutContext(Qt::WidgetShortcut);
    connect(menuKeys, &QAction::triggered, this, [this] { openPictureMenu(mapToGlobal(designRect().center())); });
    view_->addAction(menuKeys);
    stopAction_ = new QAction(this);
    stopAction_->setShortcut(QKeySequence(Qt::Key_Escape));
    stopAction_->setShortcutContext(Qt::WindowShortcut);
    stopAction_->setEnabled(false); // only while a tone plays, so Escape is free otherwise
    connect(stopAction_, &QAction::triggered, this, [this] { stopTone(); });
    addAction(stopAction_);
}

void Lumetrafrm::playTone()
{
    const window::LastRun* run = model_->lastRun();
    if (!run)
        return;
    stopTone();
    const std::vector<float> samples = window::toneOf(run->probability, window::toneSampleRate);
    tonePlaying_ = playTone_ ? playTone_(samples, window::toneSampleRate) : player_->play(samples, window::toneSampleRate);
    stopAction_->setEnabled(tonePlaying_);
}

void Lumetrafrm::stopTone()
{
    if (!tonePlaying_)
        return;
    tonePlaying_ = false;
    stopAction_->setEnabled(false);
    player_->stop();
}

void Lumetrafrm::setSaveFileChooser(std::function<QString(const QString&)> choose)
{
    export_->setFileChooser(std::move(choose));
}

QImage Lumetrafrm::shownImage()
{
    model_->fitPicture();
    // the picture alone, without the inspector over it
    panel_->setSuppressed(true);
    view_->refreshOverlay(false);
    const QImage image = grab(designRect()).toImage();
    panel_->setSuppressed(false);
    view_->refreshOverlay(true);
    return image;
}

void Lumetrafrm::copyPicture()
{
    export_->copy();
}

void Lumetrafrm::savePicture()
{
    export_->save();
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
    // only on the drawing area: the controls keep their own menus or none; from the
    // keyboard (the menu key, where the platform makes a menu of it), only on the picture
    if (event->reason() == QContextMenuEvent::Keyboard) {
        if (focusWidget() != view_) {
            event->ignore();
            return;
        }
        openPictureMenu(mapToGlobal(designRect().center()));
        return;
    }
    if (QWidget* under = childAt(event->pos()); under && under != this && under != view_) {
        event->ignore();
        return;
    }
    openPictureMenu(event->globalPos());
}

void Lumetrafrm::openPictureMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("pictureMenu"));
    menu.addAction(copyAction_);
    menu.addAction(saveAction_);
    menu.addSeparator();
    menu.addAction(playAction_);
    menu.addSeparator();
    menu.addAction(fullScreenAction_);
    menu.exec(globalPos);
}

void Lumetrafrm::resizeEvent(QResizeEvent* event)
{
    view_->setGeometry(rect());
    model_->fit(width(), height(), devicePixelRatioF());
    if (logRuns) {
        const Placement& now = model_->placement();
        std::fprintf(stderr, "lumetra: scale %.17g at %d,%d in %dx%d\n", now.factor, now.left, now.top, width(),
                     height());
    }
    QWidget::resizeEvent(event);
}

void Lumetrafrm::closeEvent(QCloseEvent* event)
{
    if (model_->running()) {
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

// ---- what the model asks of the window ----

std::optional<std::string> Lumetrafrm::text(std::string_view box)
{
    auto* edit = controls_->named<QLineEdit>(box);
    if (!edit)
        return std::nullopt;
    return edit->text().toStdString();
}

bool Lumetrafrm::setText(std::string_view box, const std::string& text)
{
    auto* edit = controls_->named<QLineEdit>(box);
    if (edit)
        edit->setText(QString::fromStdString(text));
    return edit;
}

bool Lumetrafrm::setVisible(std::string_view control, bool shown)
{
    QWidget* w = controls_->named(control);
    if (w)
        w->setVisible(shown);
    return w;
}

std::optional<bool> Lumetrafrm::check(std::string_view option)
{
    auto* button = controls_->named<QRadioButton>(option);
    if (!button)
        return std::nullopt;
    const bool was = button->isChecked();
    {
        const QSignalBlocker quiet(button);
        button->setChecked(true);
    }
    button->setFocusPolicy(Qt::StrongFocus);
    return was;
}

int Lumetrafrm::scrollValue()
{
    return controls_->named<QScrollBar>("HScroll1")->value();
}

void Lumetrafrm::unload()
{
    close();
}

int Lumetrafrm::ask(const std::string& prompt)
{
    return ask_ ? ask_(prompt) : app::askYesNo(this, QString::fromStdString(prompt));
}

void Lumetrafrm::report(const std::string& message)
{
    report_(QString::fromStdString(message));
}

void Lumetrafrm::placeControls()
{
    if (!controls_)
        return;
    controls_->place(*model_);
    // the inspector's panel and mark follow the factor
    showInspector(false);
    update();
}

void Lumetrafrm::showPicture(const PixelRect& changed)
{
    view_->showChanged(changed);
}

void Lumetrafrm::showInspector(bool announce)
{
    if (!panel_)
        return;
    panel_->refresh();
    view_->refreshOverlay();
    if (announce) {
        view_->setAccessibleDescription(QString::fromStdString(model_->inspector().readout()));
        QAccessibleEvent changed(view_, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void Lumetrafrm::breathe()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Lumetrafrm::paintText(Picture& picture, const window::Rect& at, Pixel background, std::string_view text,
                           const window::Face& face, double scale)
{
    QImage image(reinterpret_cast<uchar*>(picture.mutablePixels()), picture.width(), picture.height(),
                 picture.width() * 4, QImage::Format_RGB32);
    QPainter p(&image);
    const QRect r(at.x, at.y, at.width, at.height);
    p.fillRect(r, QColor::fromRgb(background));
    p.setFont(Controls::fontOf(face, scale));
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, Controls::qs(text));
}

void Lumetrafrm::announce(const std::string& words)
{
    const QString said = QString::fromStdString(words);
    view_->setAccessibleDescription(said); // tells assistive technology of the change itself
    playAction_->setEnabled(true);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent news(view_, said);
    QAccessible::updateAccessibility(&news);
#endif
}
