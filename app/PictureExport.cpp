#include "PictureExport.h"

#include "Errors.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QSaveFile>
#include <QStandardPaths>

namespace lumetra::app {

PictureExport::PictureExport(QWidget* window, std::function<QImage()> shown)
    : window_(window), shown_(std::move(shown))
{
}

void PictureExport::copy()
{
    QApplication::clipboard()->setImage(shown_());
}

QString PictureExport::proposedFileName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(QDateTime::currentDateTime().toString(QStringLiteral("'lumetra-'yyyy-MM-dd-HHmmss'.png'")));
}

void PictureExport::save()
{
    const QImage image = shown_();
    const QString proposed = proposedFileName();
    QString path = choose_ ? choose_(proposed)
                           : QFileDialog::getSaveFileName(window_, QStringLiteral("Uložit obrázek"), proposed,
                                                          QStringLiteral("Obrázky PNG (*.png)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    writePng(image, path);
}

void PictureExport::writePng(const QImage& image, const QString& path)
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

} // namespace lumetra::app
