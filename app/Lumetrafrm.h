#pragma once

#include "Form.h"
#include "Placement.h"
#include "QtCanvas.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QImage;

namespace lumetra::app {
class ScaledStyle;
struct ControlRow;
} // namespace lumetra::app

// The program's only window. All settings live in its controls; a Start run draws on
// its picture through the canvas. The whole design area, controls and picture, is
// shown at one factor that fits the window.
class Lumetrafrm : public QWidget, public lumetra::app::Form {
    Q_OBJECT

public:
    explicit Lumetrafrm(QWidget* parent = nullptr);
    ~Lumetrafrm() override;

    lumetra::Picture& picture() { return *picture_; }
    lumetra::QtCanvas& canvas() override { return *canvas_; }
    bool isRunning() const { return running_; }
    const lumetra::Placement& placement() const { return placement_; }
    // The design area in the window's coordinates.
    QRect designRect() const;

    // Where the error report of a failed handler goes (a modal box by default).
    void setErrorReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }
    static void showErrorReport(QWidget* parent, const QString& message);
    // Who picks the file a picture is saved to (the platform's dialog by default);
    // an empty name cancels.
    void setSaveFileChooser(std::function<QString(const QString& proposed)> choose) { chooseFile_ = std::move(choose); }

    void cmdStart_Click();

    // The design area as shown, controls included, at the screen's resolution.
    QImage shownImage();
    void copyPicture();
    void savePicture();
    void toggleFullScreen();
    // Writes the image as a PNG through a temporary file, so a failure leaves no file.
    static void writePng(const QImage& image, const QString& path);
    static QString proposedFileName();

protected:
    void select(std::string_view optionName) override;
    int scrollValue() override;
    void unload() override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void placeControls();
    void placeControl(QWidget* w, const lumetra::app::ControlRow& c) const;
    void paintUnderlay(lumetra::Picture& picture);
    void fitPicture();
    void showChanged(const lumetra::PixelRect& dirty);
    void buildActions();
    void wireHandlers();
    void setTabOrder();
    // Runs a handler; a failure ends it and shows the error report, and the program goes on.
    void handle(const std::function<void()>& handler);

    lumetra::Placement placement_;
    std::unique_ptr<lumetra::Picture> picture_;
    std::unique_ptr<lumetra::QtCanvas> canvas_;
    std::unique_ptr<lumetra::app::ScaledStyle> style_;
    std::function<void(const QString&)> report_;
    std::function<QString(const QString&)> chooseFile_;
    QAction* copyAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* fullScreenAction_ = nullptr;
    int handlerDepth_ = 0;
    bool running_ = false;
    bool closeAfterRun_ = false;
    bool maximizedBeforeFullScreen_ = false;
};
