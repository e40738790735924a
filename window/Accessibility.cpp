#include "Accessibility.h"

#include <algorithm>
#include <utility>

namespace lumetra::window {

namespace {

bool inside(const ControlRow& inner, const ControlRow& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.left + inner.width <= outer.left + outer.width
           && inner.top + inner.height <= outer.top + outer.height;
}

// A value box standing on a frame shows that frame's setting ("Index lomu" 1.7): it is
// named by the frame's caption, not by its text, which is the value.
const ControlRow* frameUnder(const ControlRow& box)
{
    for (const auto& c : controls)
        if (c.kind == Kind::Frame && c.container.empty() && box.container.empty() && inside(box, c))
            return &c;
    return nullptr;
}

} // namespace

Accessible accessibleOf(const ControlRow& c)
{
    switch (c.kind) {
    case Kind::TextBox:
        if (const ControlRow* frame = frameUnder(c))
            return {Role::TextBox, frame->text};
        if (c.text.empty()) // the blank panel behind the scroll bar
            return {Role::None, {}};
        return {Role::TextBox, c.text}; // the legends and the title, by what they say
    case Kind::Frame: return {Role::RadioGroup, c.text};
    case Kind::OptionButton: return {Role::RadioButton, c.text};
    case Kind::CommandButton: return {Role::Button, c.text};
    case Kind::HScrollBar: return {Role::ScrollBar, "Zpomalení animace"}; // it writes nSpomalení
    case Kind::Label: // painted on the picture, whose description says it
    case Kind::Line: return {Role::None, {}};
    }
    return {Role::None, {}};
}

std::string_view roleName(Role role)
{
    switch (role) {
    case Role::None: return "none";
    case Role::TextBox: return "textbox";
    case Role::RadioGroup: return "radiogroup";
    case Role::RadioButton: return "radio";
    case Role::Button: return "button";
    case Role::ScrollBar: return "scrollbar";
    case Role::Image: return "img";
    }
    return "none";
}

bool tabStop(const ControlRow& c)
{
    return c.tab >= 0 && accessibleOf(c).role != Role::None;
}

std::vector<const ControlRow*> readingOrder()
{
    std::vector<const ControlRow*> order;
    for (const auto& c : controls)
        if (accessibleOf(c).role != Role::None)
            order.push_back(&c);
    // a frame's buttons follow it at once, from the top down, whatever their own indexes
    const auto key = [](const ControlRow* c) {
        if (c->container.empty())
            return std::pair(c->tab, -1);
        return std::pair(controlNamed(c->container)->tab, c->top);
    };
    std::stable_sort(order.begin(), order.end(), [&](const ControlRow* a, const ControlRow* b) { return key(a) < key(b); });
    return order;
}

} // namespace lumetra::window
