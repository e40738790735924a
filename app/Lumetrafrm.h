#pragma once

#include "Shell.h"
#include "Window.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QAction;

namespace lumetra::app {
class Controls;
class InspectorPanel;
class PictureExport;
class PictureView;
class ScaledStyle;
class TonePlayer;
} // namespace lumetra::app

// The program's only window: the Qt shell of the window model. It forwards the
// controls' events to the model by name and shows what the model gives it; the whole
// design area, controls and picture, is shown at the model's factor.
class Lumetrafrm : public QWidget, private lumetra::window::Shell {
    Q_OBJECT

public:
    explicit Lumetrafrm(QWidget* parent = nullptr);
    ~Lumetrafrm() override;

    lumetra::window::Window& model() { return *model_; }
    lumetra::Picture& picture() { return model_->picture(); }
    lumetra::window::WindowCanvas& canvas() { return model_->canvas(); }
    const lumetra::Placement& placement() const { return model_->placement(); }
    bool isRunning() const { return model_->running(); }
    // The design area in the window's coordinates.
    QRect designRect() const;

    // Runs a control's handler as its event would.
    void handle(std::string_view control);

    // Where the error report of a failed handler goes (a modal box by default).
    void setErrorReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }
    // Who answers the question (a modal box by default).
    void setQuestionHandler(std::function<int(const std::string&)> ask) { ask_ = std::move(ask); }
    // Who picks the file a picture is saved to (the platform's dialog by default).
    void setSaveFileChooser(std::function<QString(const QString& proposed)> choose);

    // The design area as shown, controls included, at the screen's resolution.
    QImage shownImage();
    void copyPicture();
    void savePicture();
    void toggleFullScreen();

    // "Přehrát průběh": the last run's tone; Escape stops it. Nothing plays before a run.
    void playTone();
    void stopTone();
    bool tonePlaying() const { return tonePlaying_; }
    // Who plays the tone (the default audio output by default); false when nothing plays.
    void setTonePlayer(std::function<bool(const std::vector<float>& samples, int sampleRate)> play)
    {
        playTone_ = std::move(play);
    }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // the model's services
    std::optional<std::string> text(std::string_view box) override;
    bool setText(std::string_view box, const std::string& text) override;
    bool setVisible(std::string_view control, bool shown) override;
    std::optional<bool> check(std::string_view option) override;
    int scrollValue() override;
    void unload() override;
    int ask(const std::string& prompt) override;
    void report(const std::string& message) override;
    void placeControls() override;
    void showPicture(const lumetra::PixelRect& changed) override;
    void breathe() override;
    void showInspector(bool announce) override;
    void paintText(lumetra::Picture& picture, const lumetra::window::Rect& at, lumetra::Pixel background,
                   std::string_view text, const lumetra::window::Face& face, double scale) override;
    void announce(const std::string& words) override;

    void wireHandlers();
    // The model's idle work, a piece in each turn of the event loop.
    void tidySoon();
    void buildActions();
    // The picture's menu, from the mouse or the keyboard.
    void openPictureMenu(const QPoint& globalPos);
    // Runs an action; a failure shows the error report, and the program goes on.
    void act(const std::function<void()>& action);

    std::unique_ptr<lumetra::window::Window> model_;
    std::unique_ptr<lumetra::app::ScaledStyle> style_;
    std::unique_ptr<lumetra::app::Controls> controls_;
    lumetra::app::PictureView* view_ = nullptr;
    lumetra::app::InspectorPanel* panel_ = nullptr;
    std::unique_ptr<lumetra::app::PictureExport> export_;
    std::function<void(const QString&)> report_;
    std::function<int(const std::string&)> ask_;
    QAction* copyAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* fullScreenAction_ = nullptr;
    QAction* playAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    lumetra::app::TonePlayer* player_ = nullptr;
    std::function<bool(const std::vector<float>&, int)> playTone_;
    bool tonePlaying_ = false;
    bool closeAfterRun_ = false;
    bool maximizedBeforeFullScreen_ = false;
};
