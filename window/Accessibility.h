#pragma once

#include "Layout.h"

#include <string_view>
#include <vector>

namespace lumetra::window {

// What assistive technology is told a control is. Each kind keeps its role: a text box
// stays an editable text box, whatever it shows.
enum class Role {
    None, // left out: an empty panel, or painted on the picture
    TextBox,
    RadioGroup,
    RadioButton,
    Button,
    ScrollBar,
    Image,
};

struct Accessible {
    Role role;
    std::string_view name;
};

Accessible accessibleOf(const ControlRow& c);
// The role as the page's markup names it ("textbox", "radiogroup" …; "none" when left out).
std::string_view roleName(Role role);

// Whether the tab key stops at the control: a control left out of the tree is never a
// stop, so the focus never lands where nothing is said.
bool tabStop(const ControlRow& c);

// The controls in the order they are read and tabbed through: by tab index, each frame
// before its buttons, which lie top to bottom. Those left out are not in it.
std::vector<const ControlRow*> readingOrder();

// The picture has no row; it comes after everything else. Its description says what the
// last run showed, or, before one, what the label on it asks.
constexpr std::string_view pictureName = "Obrázek výpočtu";

} // namespace lumetra::window
