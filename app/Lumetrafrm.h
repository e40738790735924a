#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class QRadioButton;

namespace lumetra {
class Picture;
class QtCanvas;
} // namespace lumetra

// The program's only window. All settings live in its controls; a Start run draws on
// its picture through the canvas.
class Lumetrafrm : public QWidget {
    Q_OBJECT

public:
    static constexpr double twipsPerPixel = 15.0;

    explicit Lumetrafrm(QWidget* parent = nullptr);
    ~Lumetrafrm() override;

    lumetra::Picture& picture() { return *picture_; }
    lumetra::QtCanvas& canvas() { return *canvas_; }
    bool isRunning() const { return running_; }

    // Where the error report of a failed handler goes (a modal box by default).
    void setErrorReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }
    static void showErrorReport(QWidget* parent, const QString& message);

    void Form_Load();
    void cmdStart_Click();
    void cmdKonec_Click();
    void HScroll1_Change();
    void opUhel45_Click();
    void opUhel90_Click();
    void opVzduch_Click();
    void opSklo_Click();
    void opČervená_Click();
    void opZelená_Click();
    void opModrá_Click();
    void opRychlá_Click();
    void opPomalejší_Click();
    void opPomalá_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void paintSurfaceControls();
    void wireHandlers();
    void setTabOrder();
    void select(const char* optionName);
    // Runs a handler; a failure ends it and shows the error report, and the program goes on.
    void handle(void (Lumetrafrm::*handler)());

    std::unique_ptr<lumetra::Picture> picture_;
    std::unique_ptr<lumetra::QtCanvas> canvas_;
    std::function<void(const QString&)> report_;
    int handlerDepth_ = 0;
    bool running_ = false;
    bool closeAfterRun_ = false;
};
