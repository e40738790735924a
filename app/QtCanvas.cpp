#include "QtCanvas.h"

#include "Errors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace lumetra {

QtCanvas::QtCanvas(QWidget* window, Picture& picture, std::function<void(const PixelRect&)> showPicture)
    : PictureCanvas(picture), window_(window), showPicture_(std::move(showPicture))
{
}

void QtCanvas::frame()
{
    frameShown();
    if (!window_)
        return;
    const PixelRect dirty = picture().takeDirty();
    if (!dirty.empty() && showPicture_)
        showPicture_(dirty);
    if (isLive())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QLineEdit* QtCanvas::box(Box b)
{
    auto& slot = boxes_[static_cast<std::size_t>(b)];
    if (!slot && window_) {
        slot = window_->findChild<QLineEdit*>(QString::fromUtf8(boxName(b).data(), static_cast<qsizetype>(boxName(b).size())));
        if (slot) {
            Cached& cached = texts_[static_cast<std::size_t>(b)];
            cached.valid = false;
            QObject::connect(slot.data(), &QLineEdit::textChanged, slot.data(), [&cached] { cached.valid = false; });
        }
    }
    if (!slot)
        throw Failure("Ovládací prvek " + std::string(boxName(b)) + " v okně chybí.");
    return slot.data();
}

std::string QtCanvas::Text(Box b)
{
    QLineEdit* edit = box(b);
    Cached& cached = texts_[static_cast<std::size_t>(b)];
    if (!cached.valid) {
        cached.text = edit->text().toStdString();
        cached.valid = true;
    }
    return cached.text;
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
        QtCanvas& canvas;
        QElapsedTimer& asking;
        ~Asked()
        {
            canvas.askingNs_ += asking.nsecsElapsed();
            canvas.frameShown();
        }
    } asked{*this, asking};
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
    return question.clickedButton() == yes ? vbYes : vbNo;
}

} // namespace lumetra
