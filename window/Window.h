#pragma once

#include "Form.h"
#include "Inspector.h"
#include "Layout.h"
#include "Picture.h"
#include "Placement.h"
#include "Shell.h"
#include "WindowCanvas.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace lumetra::window {

// The window as both shells show it, with no toolkit in it: the handlers, the design
// area's placement at the window's size, the picture and its underlay. A shell forwards
// its events here by the controls' names and shows what the model gives it.
class Window final : public Form {
public:
    // The shell must outlive the window. The client area is given as to fit(); nothing
    // runs until open().
    Window(Shell& shell, double width, double height, double devicePixelRatio, double floor = minimumFactor);

    // Paints the labels under the picture (see paintLabels) and runs the window's load handler.
    void open();
    // Runs the window's load handler alone, for a shell that paints the labels first.
    void load() { handle("Lumetrafrm"); }
    // The labels are painted under the picture as the window opens, not when it is made:
    // a shell can make the window and open it in separate steps.
    void paintLabels();
    // Runs the handler of a control's event, by the control's name; a failure ends it
    // and shows the error report, and the window goes on. False for a control with no
    // handler. Input that arrives while a handler runs waits in the shell until its end.
    bool handle(std::string_view control);
    bool running() const { return depth_ > 0; }
    // Work that can wait for the window to be idle, in pieces: a shell calls it once no
    // handler runs and its input has been taken, and again, each time in a task of its
    // own, while it returns true, so that input that comes meanwhile is taken between the
    // pieces. The picture makes room for a run like the last, and the delay's step is
    // timed again (the first time before the first run needs it); then the sums of a run
    // with the settings shown are made ready, and last the room of what the picture keeps
    // is written once.
    bool tidy();
    // The sums of a Start with the settings shown made ready now, as tidy() makes them in
    // their turn: for a window that rehearses and is never idle.
    using Form::prepareStart;
    // Runs a shell's own action (copying the picture, say) as a handler runs: a failure
    // shows the error report, and the window goes on.
    void guarded(const std::function<void()>& action);

    // The client area's size in device-independent pixels and its device pixel ratio;
    // when the design area moves or grows, the shell places its controls again. The
    // factor stays at `floor` or above, as the window was made.
    void fit(double width, double height, double devicePixelRatio);
    // The picture follows the placement; a shell may leave this until it paints.
    void fitPicture();
    const Placement& placement() const { return placement_; }
    double devicePixelRatio() const { return ratio_; }
    // Where a control stands in its container, in device-independent pixels; a control
    // of the window itself is placed in the client area.
    Rect rectOf(const ControlRow& c) const;
    // An area of the design area in the client area, in device-independent pixels.
    Rect rectOf(const Inspector::Area& a) const;

    // The arrows of a screen point of the last run. Pointer places are in the client
    // area's device-independent pixels; each call tells the shell when the panel changed.
    Inspector& inspector() { return inspector_; }
    void pointerMoved(double x, double y);
    void pointerLeft();
    // A click: on the screen it pins the point, elsewhere it lets the panel go.
    void pointerClicked(double x, double y);
    // A touch held on the screen and dragged along it; on release the panel stays.
    void touchMoved(double x, double y, bool started);
    void touchReleased();
    // Keys while the picture has the focus; false for a key the inspector leaves alone.
    bool inspectorKey(Inspector::Key key);
    // The picture took the keyboard's focus: the brightest point shows, if none does.
    void pictureFocused();
    bool pinInspector();
    bool hideInspector();
    // The design area's twips under a place of the client area.
    std::pair<double, double> twipsAt(double x, double y) const;

    Picture& picture() { return *picture_; }

    // The last Start run that ended well; null before one has, and during a run.
    const LastRun* lastRun() const { return inspector_.run(); }
    // What the picture shows, in words: the last run, or before one what the label asks.
    std::string pictureDescription() const;
    WindowCanvas& canvas() override { return *canvas_; }

protected:
    std::optional<bool> check(std::string_view option) override { return shell_.check(option); }
    int scrollValue() override { return shell_.scrollValue(); }
    sim::RunObserver* runObserver() override;
    void unload() override { shell_.unload(); }

private:
    double wantedScale() const { return placement_.pixelsPerTwip() * ratio_; }
    // The label and the line lie on the window's surface, under everything a run draws.
    void paintUnderlay(Picture& picture);
    void changed(bool changedPoint);
    void ended();

    Shell& shell_;
    double floor_;
    Placement placement_;
    double ratio_ = 1;
    std::unique_ptr<Picture> picture_;
    std::unique_ptr<WindowCanvas> canvas_;
    int depth_ = 0;
    std::uint64_t keptBefore_ = 0;   // the picture's lines kept when the handler began
    std::size_t lastHandlerLines_ = 0;
    int tidyPiece_ = 0; // the next piece of tidy(); a handler's end starts them afresh
    Inspector inspector_;
    std::unique_ptr<RunRecorder> recorder_;
    bool touching_ = false;
};

} // namespace lumetra::window
