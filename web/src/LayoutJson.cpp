#include "LayoutJson.h"

#include "Accessibility.h"
#include "Layout.h"
#include "Placement.h"
#include "Picture.h"
#include "PictureCanvas.h"
#include "Units.h"

#include <cstdio>
#include <string_view>

namespace lumetra::web {

namespace {

using window::Kind;

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
    field(out, "minimumFactor");
    out += std::to_string(minimumFactor);
    field(out, "windowBackground");
    quoted(out, cssColour(threeDLightPixel));
    field(out, "foreground");
    quoted(out, cssColour(PictureCanvas::toPixel(Canvas::foreground)));
    field(out, "scrollMinimum");
    out += std::to_string(window::scrollMinimum);
    field(out, "scrollMaximum");
    out += std::to_string(window::scrollMaximum);
    field(out, "controls");
    out += '[';
    for (const auto& c : window::controls) {
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
        if (const auto bg = window::backgroundOf(c))
            quoted(out, cssColour(*bg));
        else
            out += "null";
        const window::Face face = window::faceOf(c);
        field(out, "font");
        out += '{';
        field(out, "family");
        quoted(out, face.family);
        field(out, "pointSize");
        char size[32];
        std::snprintf(size, sizeof size, "%g", face.pointSize);
        out += size;
        field(out, "bold");
        out += face.bold ? "true" : "false";
        out += '}';
        field(out, "shown");
        out += c.shown ? "true" : "false";
        field(out, "tab");
        out += std::to_string(c.tab);
        field(out, "centred");
        out += (c.flags & window::Centred) ? "true" : "false";
        field(out, "rightAligned");
        out += (c.flags & window::RightAligned) ? "true" : "false";
        field(out, "border");
        out += (c.flags & window::NoBorder) ? "false" : "true";
        const window::Accessible access = window::accessibleOf(c);
        field(out, "role");
        quoted(out, window::roleName(access.role));
        field(out, "accessibleName");
        quoted(out, access.name);
        field(out, "tabStop");
        out += window::tabStop(c) ? "true" : "false";
        out += '}';
    }
    out += ']';
    field(out, "readingOrder");
    out += '[';
    for (const window::ControlRow* c : window::readingOrder()) {
        if (out.back() != '[')
            out += ',';
        quoted(out, c->name);
    }
    out += ']';
    field(out, "picture");
    out += '{';
    field(out, "role");
    quoted(out, window::roleName(window::Role::Image));
    field(out, "accessibleName");
    quoted(out, window::pictureName);
    out += '}';
    field(out, "stackingTopDown");
    out += '[';
    for (const auto name : window::stackingTopDown) {
        if (out.back() != '[')
            out += ',';
        quoted(out, name);
    }
    out += "]}";
    return out;
}

} // namespace lumetra::web
