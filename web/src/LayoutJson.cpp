#include "LayoutJson.h"

#include "Layout.h"
#include "Picture.h"
#include "PictureCanvas.h"
#include "Placement.h"

#include <cstdio>
#include <string_view>

namespace lumetra::web {

namespace {

using app::Background;
using app::Kind;

// The desktop's substitutes for the faces the layout names; the page ships these.
std::string_view shippedFamily(std::string_view family)
{
    if (family == "MS Sans Serif")
        return "Liberation Sans";
    if (family == "Times New Roman")
        return "Liberation Serif";
    return family;
}

constexpr std::string_view defaultFamily = "Liberation Sans";
constexpr double defaultPointSize = 8.25;

void quoted(std::string& out, std::string_view s)
{
    out += '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += ch;
        }
    }
    out += '"';
}

std::string_view kindName(Kind k)
{
    switch (k) {
    case Kind::TextBox: return "textBox";
    case Kind::Label: return "label";
    case Kind::OptionButton: return "optionButton";
    case Kind::Frame: return "frame";
    case Kind::CommandButton: return "commandButton";
    case Kind::HScrollBar: return "hScrollBar";
    case Kind::Line: return "line";
    }
    return "?";
}

std::string cssColour(Pixel p)
{
    char s[8];
    std::snprintf(s, sizeof s, "#%06x", static_cast<unsigned>(p & 0xFFFFFFu));
    return s;
}

// null where the control keeps its kind's own colour
std::string backgroundOf(const app::ControlRow& c)
{
    switch (c.background) {
    case Background::Grey: return cssColour(PictureCanvas::toPixel(app::grey));
    case Background::Light: return cssColour(threeDLightPixel);
    case Background::Rgb: return cssColour(PictureCanvas::toPixel(c.rgb));
    default: return "null";
    }
}

void field(std::string& out, std::string_view name)
{
    if (out.back() != '{')
        out += ',';
    quoted(out, name);
    out += ':';
}

} // namespace

std::string layoutJson()
{
    std::string out = "{";
    field(out, "designWidth");
    out += std::to_string(designWidthTwips);
    field(out, "designHeight");
    out += std::to_string(designHeightTwips);
    field(out, "twipsPerPixel");
    out += std::to_string(static_cast<int>(twipsPerPixel));
    field(out, "windowBackground");
    quoted(out, cssColour(threeDLightPixel));
    field(out, "foreground");
    quoted(out, cssColour(PictureCanvas::toPixel(Canvas::foreground)));
    field(out, "controls");
    out += '[';
    for (const auto& c : app::controls) {
        if (out.back() != '[')
            out += ',';
        out += '{';
        field(out, "name");
        quoted(out, c.name);
        field(out, "kind");
        quoted(out, kindName(c.kind));
        field(out, "container");
        quoted(out, c.container);
        field(out, "text");
        quoted(out, c.text);
        field(out, "left");
        out += std::to_string(c.left);
        field(out, "top");
        out += std::to_string(c.top);
        field(out, "width");
        out += std::to_string(c.width);
        field(out, "height");
        out += std::to_string(c.height);
        field(out, "background");
        const std::string bg = backgroundOf(c);
        if (bg == "null")
            out += bg;
        else
            quoted(out, bg);
        const bool own = c.font != 0;
        const auto face = own ? app::fontFor(c.font) : app::Face{defaultFamily, defaultPointSize};
        field(out, "font");
        out += '{';
        field(out, "family");
        quoted(out, shippedFamily(face.family));
        field(out, "pointSize");
        char size[32];
        std::snprintf(size, sizeof size, "%g", face.pointSize);
        out += size;
        field(out, "bold");
        out += own ? "true" : "false";
        out += '}';
        field(out, "shown");
        out += c.shown ? "true" : "false";
        field(out, "tab");
        out += std::to_string(c.tab);
        field(out, "centred");
        out += (c.flags & app::Centred) ? "true" : "false";
        field(out, "rightAligned");
        out += (c.flags & app::RightAligned) ? "true" : "false";
        field(out, "border");
        out += (c.flags & app::NoBorder) ? "false" : "true";
        out += '}';
    }
    out += ']';
    field(out, "stackingTopDown");
    out += '[';
    for (const auto name : app::stackingTopDown) {
        if (out.back() != '[')
            out += ',';
        quoted(out, name);
    }
    out += "]}";
    return out;
}

} // namespace lumetra::web
