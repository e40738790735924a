#include "QtCanvas.h"

#include "Errors.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace lumetra {

namespace {
constexpr qint64 frameMs = 16;
constexpr unsigned callsPerClockCheck = 8;
} // namespace

QtCanvas::QtCanvas(QWidget* window, Picture& picture) : window_(window), picture_(picture)
{
    sinceFrame_.start();
}

QRgb QtCanvas::toRgb(Colour colour)
{
    if (isSystemColour(colour)) {
        if (colour == vb3DLight)
            return threeDLightRgb;
        throw Failure("Neplatná hodnota barvy: systémová barva č. " + std::to_string(colour & 0xFFu) + " není známa.");
    }
    if (colour > 0xFFFFFFu)
        throw Failure("Neplatná hodnota barvy: " + std::to_string(colour) + ".");
    return qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

void QtCanvas::ScaleMode(Scale)
{
    // the picture is always measured in twips
}

void QtCanvas::DrawWidth(int pixels)
{
    if (pixels < 1 || pixels > 32767)
        throw Failure("Neplatná tloušťka čáry: " + std::to_string(pixels) + ".");
    picture_.setWidth(pixels);
}

void QtCanvas::drawLine(const Segment& s)
{
    picture_.drawLine(s.x1, s.y1, s.x2, s.y2, toRgb(s.colour));
    maybeFrame();
}

void QtCanvas::maybeFrame()
{
    if (!live_ || ++callsSinceCheck_ < callsPerClockCheck)
        return;
    callsSinceCheck_ = 0;
    if (sinceFrame_.elapsed() >= frameMs)
        frame();
}

void QtCanvas::frame()
{
    sinceFrame_.restart();
    callsSinceCheck_ = 0;
    if (!window_)
        return;
    const QRect dirty = picture_.takeDirty();
    if (!dirty.isEmpty())
        window_->update(dirty);
    if (live_)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QLineEdit* QtCanvas::box(Box b)
{
    auto& slot = boxes_[static_cast<std::size_t>(b)];
    if (!slot && window_)
        slot = window_->findChild<QLineEdit*>(QString::fromUtf8(boxName(b).data(), static_cast<qsizetype>(boxName(b).size())));
    if (!slot)
        throw Failure("Ovládací prvek " + std::string(boxName(b)) + " v okně chybí.");
    return slot.data();
}

std::string QtCanvas::Text(Box b)
{
    return box(b)->text().toStdString();
}

void QtCanvas::Text(Box b, const std::string& text)
{
    box(b)->setText(QString::fromStdString(text));
}

void QtCanvas::Visible(Box b, bool shown)
{
    box(b)->setVisible(shown);
}

int QtCanvas::MsgBox(const std::string& prompt)
{
    frame(); // the question should not hide what was drawn before it
    QElapsedTimer asking;
    asking.start();
    struct Asked {
        QElapsedTimer& asking;
        qint64& total;
        ~Asked() { total += asking.nsecsElapsed(); }
    } asked{asking, askingNs_};
    if (askHook_)
        return askHook_(prompt);
    QMessageBox question(window_);
    question.setWindowTitle(QStringLiteral("Lumetra"));
    question.setText(QString::fromStdString(prompt));
    question.setIcon(QMessageBox::NoIcon);
    QPushButton* yes = question.addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
    QPushButton* no = question.addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("Ano"));
    no->setObjectName(QStringLiteral("Ne"));
    question.setDefaultButton(yes);
    question.setEscapeButton(no);
    question.exec();
    sinceFrame_.restart();
    return question.clickedButton() == yes ? vbYes : vbNo;
}

void QtCanvas::Randomize(double seed)
{
    rng_.Randomize(seed);
}

float QtCanvas::Rnd()
{
    return rng_.Rnd();
}

} // namespace lumetra
