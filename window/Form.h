#pragma once

#include "Canvas.h"
#include "Start.h"
#include "Sweep.h"

#include <optional>
#include <string_view>

namespace lumetra::window {

// The window's handlers, with no toolkit in them, so that the desktop window and the
// browser page behave alike. All state lives in the controls that the canvas reaches;
// the last run's sums are kept only to spare a run like it the work.
class Form {
public:
    virtual ~Form() = default;

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

    // A control's handler by the control's name ("Lumetrafrm" for the window's load);
    // null for a control that has none.
    using Handler = void (Form::*)();
    static Handler handlerOf(std::string_view control);

    // Selects the option button; when it was not selected before, its handler runs at
    // once, as after a user's click.
    void select(std::string_view option);

protected:
    virtual Canvas& canvas() = 0;
    // Selects the option button and runs nothing; nullopt when there is none, else
    // whether it was selected already.
    virtual std::optional<bool> check(std::string_view option) = 0;
    virtual int scrollValue() = 0;
    // Closes the window, and with it the program.
    virtual void unload() = 0;
    // Who follows the run that is about to start; none unless a window looks.
    virtual sim::RunObserver* runObserver() { return nullptr; }
    // While the window is idle: the sums of a Start with the settings shown, made ready.
    void prepareStart() { sim::prepareSums(canvas(), lastSweep_); }

private:
    sim::SweepMemory lastSweep_;
};

} // namespace lumetra::window
