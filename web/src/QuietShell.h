#pragma once

#include "Window.h"

#include <map>
#include <string>

namespace lumetra::web {

// A window's services with nothing behind them: it keeps what the window sets (texts,
// what is shown, which options are selected) and answers Ne. The build reads the window
// after start-up through it; the page's worker rehearses the window on it.
class QuietShell final : public window::Shell {
public:
    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, bool, std::less<>> shown;
    std::map<std::string, bool, std::less<>> checked;

    QuietShell()
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

} // namespace lumetra::web
