// Prints the layout table as the page's module exports it, and the controls' state once
// the window has started up (texts, shown, selected): the build writes the page's
// controls into its HTML from this, so the window shows before the module has loaded.
#include "LayoutJson.h"
#include "Window.h"

#include <cstdio>
#include <map>
#include <string>

namespace {

using namespace lumetra;

// A shell that only keeps what start-up sets.
class StartUp final : public window::Shell {
public:
    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, bool, std::less<>> shown;
    std::map<std::string, bool, std::less<>> checked;

    StartUp()
    {
        for (const auto& c : window::controls) {
            if (c.kind == window::Kind::TextBox)
                texts[std::string(c.name)] = c.text;
            if (c.kind == window::Kind::OptionButton)
                checked[std::string(c.name)] = false;
        }
    }
    std::optional<std::string> text(std::string_view box) override
    {
        const auto it = texts.find(box);
        return it == texts.end() ? std::nullopt : std::optional(it->second);
    }
    bool setText(std::string_view box, const std::string& text) override
    {
        const auto it = texts.find(box);
        return it != texts.end() && (it->second = text, true);
    }
    bool setVisible(std::string_view control, bool on) override { return shown[std::string(control)] = on, true; }
    std::optional<bool> check(std::string_view option) override
    {
        const auto it = checked.find(option);
        if (it == checked.end())
            return std::nullopt;
        const bool was = it->second;
        for (const auto& c : window::controls) // one selected in its frame
            if (c.kind == window::Kind::OptionButton && c.container == window::controlNamed(option)->container)
                checked[std::string(c.name)] = false;
        it->second = true;
        return was;
    }
    int scrollValue() override { return window::scrollMinimum; }
    void unload() override {}
    int ask(const std::string&) override { return vbNo; }
    void report(const std::string&) override {}
    void placeControls() override {}
    void showPicture(const PixelRect&) override {}
    void breathe() override {}
    void showInspector(bool) override {}
    void paintText(Picture&, const window::Rect&, Pixel, std::string_view, const window::Face&, double) override {}
};

std::string quoted(std::string_view s)
{
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

} // namespace

int main()
{
    StartUp shell;
    window::Window model(shell, 1280, 720, 1);
    model.open();
    std::string out = "{\"layout\":" + lumetra::web::layoutJson() + ",\"texts\":{";
    const auto fields = [&out](const auto& map, auto value) {
        bool first = true;
        for (const auto& [name, v] : map) {
            out += (first ? "" : ",") + quoted(name) + ":" + value(v);
            first = false;
        }
    };
    fields(shell.texts, [](const std::string& v) { return quoted(v); });
    out += "},\"shown\":{";
    fields(shell.shown, [](bool v) { return std::string(v ? "true" : "false"); });
    out += "},\"checked\":{";
    fields(shell.checked, [](bool v) { return std::string(v ? "true" : "false"); });
    out += "}}";
    std::puts(out.c_str()); // a line: the runtime writes out whole lines
    return 0;
}
