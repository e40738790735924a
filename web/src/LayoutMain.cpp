// Prints the layout table as the page's module exports it, and the controls' state once
// the window has started up (texts, shown, selected): the build writes the page's
// controls into its HTML from this, so the window shows before the module has loaded.
#include "LayoutJson.h"
#include "QuietShell.h"

#include <cstdio>
#include <string>

namespace {

using namespace lumetra;

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
    web::QuietShell shell;
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
