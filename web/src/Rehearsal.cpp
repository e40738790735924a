// The page's warm-up worker runs the window here, with nothing to show: the browser
// compiles the module's code on its first calls, and the worker makes those calls
// before the page's thread does (the compiled code is the module's, shared by both).
#include "Rehearsal.h"

#include "Window.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace lumetra::web {

namespace {

// A window's services with no page: texts kept as the table gives them, Ne to the question.
class QuietShell final : public window::Shell {
public:
    QuietShell()
    {
        for (const auto& c : window::controls)
            if (c.kind == window::Kind::TextBox)
                texts_[std::string(c.name)] = std::string(c.text);
    }

    std::optional<std::string> text(std::string_view box) override
    {
        const auto it = texts_.find(box);
        return it == texts_.end() ? std::nullopt : std::optional(it->second);
    }
    bool setText(std::string_view box, const std::string& text) override
    {
        const auto it = texts_.find(box);
        if (it == texts_.end())
            return false;
        it->second = text;
        return true;
    }
    bool setVisible(std::string_view control, bool) override { return window::controlNamed(control) != nullptr; }
    std::optional<bool> check(std::string_view option) override
    {
        const window::ControlRow* row = window::controlNamed(option);
        if (!row)
            return std::nullopt;
        std::string& in = selected_[std::string(row->container)];
        const bool was = in == option;
        in = std::string(option);
        return was;
    }
    int scrollValue() override { return window::scrollMinimum; }
    void unload() override {}
    int ask(const std::string&) override { return vbNo; }
    void report(const std::string&) override {}
    void placeControls() override {}
    void showPicture(const PixelRect&) override {}
    void breathe() override {}
    void paintText(Picture&, const window::Rect&, Pixel, std::string_view, const window::Face&, double) override {}
    void showInspector(bool) override {}

private:
    std::map<std::string, std::string, std::less<>> texts_;
    std::map<std::string, std::string> selected_;
};

} // namespace

double rehearse(int part)
{
    static QuietShell shell;
    static std::unique_ptr<window::Window> model;
    const auto t0 = std::chrono::steady_clock::now();
    if (part == 0 || !model) {
        model = std::make_unique<window::Window>(shell, 1280, 720, 1, smallestPageFactor);
        model->canvas().setLive(false);
        model->open();
    }
    if (part == 1) {
        model->handle("cmdStart");
        model->handle("cmdStart");
        model->tidy();
        model.reset(); // the worker ends here: its memory goes back
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace lumetra::web
