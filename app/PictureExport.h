#pragma once

#include <QImage>
#include <QString>

#include <functional>

class QWidget;

namespace lumetra::app {

// Copying and saving what the window shows of the design area.
class PictureExport {
public:
    // `shown` grabs the design area as shown, controls included, at the screen's resolution.
    PictureExport(QWidget* window, std::function<QImage()> shown);

    // Who picks the file a picture is saved to (the platform's dialog by default); an
    // empty name cancels.
    void setFileChooser(std::function<QString(const QString& proposed)> choose) { choose_ = std::move(choose); }

    void copy();
    // Fails with the report's text when the file cannot be written.
    void save();

    // Writes the image as a PNG through a temporary file, so a failure leaves no file.
    static void writePng(const QImage& image, const QString& path);
    static QString proposedFileName();

private:
    QWidget* window_;
    std::function<QImage()> shown_;
    std::function<QString(const QString&)> choose_;
};

} // namespace lumetra::app
