#include "Layout.h"

#include "PictureCanvas.h"
#include "Units.h"

#include <algorithm>
#include <cmath>

namespace lumetra::window {

using enum Kind;
using enum Background;

// clang-format off
const std::array<ControlRow, 35> controls{{
    {"nIndex",      TextBox,       "", "Index",     1320, 2640,  375,  285, Grey,    0, 'A', true,  31, Centred | NoBorder},
    {"frmAnimace",  Frame,         "", "Animace",    240, 5160, 1215, 1095, Grey,    0, 'A', false, 27, NoFlags},
    {"opPomalá",    OptionButton,  "frmAnimace", "Pomalá",     120, 720, 975, 255, Grey, 0, 0, true, 30, NoFlags},
    {"opPomalejší", OptionButton,  "frmAnimace", "Pomalejší",  120, 480, 975, 255, Grey, 0, 0, true, 29, NoFlags},
    {"opRychlá",    OptionButton,  "frmAnimace", "Rychlá",     120, 240, 975, 255, Grey, 0, 0, true, 28, NoFlags},
    {"nSpomalení",  TextBox,       "", "Spomalení", 6600, 1080,  735,  375, Default, 0, 0,   false, 26, NoFlags},
    {"nKlepnuto",   TextBox,       "", "klepnuto",  1680, 3840,  495,  285, Default, 0, 0,   false, 25, NoFlags},
    {"nVzduchSklo", TextBox,       "", "Vzduch",    2880,  960,  975,  375, Light,   0, 'D', false, 24, NoBorder},
    {"nSpektrum",   TextBox,       "", "Spektrum",  7200,  600, 1095,  375, Grey,    0, 'C', false, 23, NoBorder},
    {"nKmitočet",   TextBox,       "", "Kmitočet",  1200, 3480,  495,  165, Grey,    0, 'B', true,  22, Centred | NoBorder},
    {"cmdKonec",    CommandButton, "", "Konec",     9720,  120, 1095,  375, Grey,    0, 'D', true,  20, NoFlags},
    {"nVzduch",     TextBox,       "", "Vzduch",    1320,  960,  975,  375, Light,   0, 'D', true,  19, RightAligned | NoBorder},
    {"nSklo",       TextBox,       "", "Sklo",      2880,  960,  975,  375, Grey,    0, 'D', false, 18, NoBorder},
    {"nSoučet",     TextBox,       "", "Cornuovy spirály", 8400, 600, 2535, 405, Grey, 0, 'C', false, 17, RightAligned | NoBorder},
    {"nStínítko",   TextBox,       "", "Stinítko, pravděpodobnost", 4200, 600, 2775, 375, Grey, 0, 'C', false, 16, NoBorder},
    {"nClona",      TextBox,       "", "Clona se štěrbinou", 480, 7680, 1935, 375, Light, 0, 'C', false, 15, NoBorder},
    {"nMaže",       TextBox,       "", "Maže",      1560, 4800,  735,  375, Default, 0, 0,   false, 14, NoFlags},
    {"nBarva",      TextBox,       "", "Barva",     1560, 4440,  615,  285, Default, 0, 0,   false, 13, NoFlags},
    {"frmKmitočet", Frame,         "", "Kmitočet",   240, 3480, 1575,  975, Grey,    0, 'A', true,  9,  NoFlags},
    {"opModrá",     OptionButton,  "frmKmitočet", "Modrá",    600, 720,  855, 195, Rgb, RGB(128, 128, 255), 0, true, 12, NoFlags},
    {"opZelená",    OptionButton,  "frmKmitočet", "Zelená",   360, 480,  975, 255, Rgb, RGB(255, 255, 0),   0, true, 11, NoFlags},
    {"opČervená",   OptionButton,  "frmKmitočet", "Červená",  120, 240, 1095, 255, Rgb, RGB(255, 128, 128), 0, true, 10, NoFlags},
    {"frmIndex",    Frame,         "", "Index lomu", 240, 2640, 1575,  735, Grey,    0, 'A', true,  6,  NoFlags},
    {"opSklo",      OptionButton,  "frmIndex", "Sklo",     240, 480,  735, 195, Grey, 0, 0, true, 8, NoFlags},
    {"opVzduch",    OptionButton,  "frmIndex", "Vzduch",   240, 240, 1095, 255, Grey, 0, 0, true, 7, NoFlags},
    {"frmUhel",     Frame,         "", "Úhel dopadu", 240, 1680, 1575, 855, Grey,    0, 'A', true,  3,  NoFlags},
    {"opUhel90",    OptionButton,  "frmUhel", "90",        240, 480,  615, 255, Grey, 0, 0, true, 5, NoFlags},
    {"opUhel45",    OptionButton,  "frmUhel", "45",        240, 240,  615, 255, Grey, 0, 0, true, 4, NoFlags},
    {"nUhel",       TextBox,       "", "Uhel",      1680,  240,  615,  375, Default, 0, 0,   false, 2,  NoFlags},
    {"nLumetra",    TextBox,       "", "Lumetra",   4560,  120, 1335,  375, Grey,    0, 'E', true,  1,  NoBorder},
    {"cmdStart",    CommandButton, "", "Start",     8280,  120, 1095,  375, Grey,    0, 'D', true,  0,  NoFlags},
    {"Line1",       Line,          "", "",          2520,  840, 2520, 8520, None,    0, 0,   true,  -1, NoFlags},
    {"labKlepnete", Label,         "", "Klepněte na tlačítko Start", 4200, 3600, 4575, 1335, Light, 0, 'F', true, 21, Centred | Opaque},
    {"nPlonk",      TextBox,       "", "",          6000,  120, 2175,  495, Grey,    0, 0,   true,  32, NoBorder},
    {"HScroll1",    HScrollBar,    "", "",          6120,  240, 1935,  255, None,    0, 0,   true,  33, NoFlags},
}};
// clang-format on

const std::array<std::string_view, 23> stackingTopDown{
    "HScroll1", "nPlonk",  "nIndex",    "frmAnimace", "nSpomalení", "nKlepnuto", "nVzduchSklo", "nSpektrum",
    "nKmitočet", "cmdKonec", "nVzduch",  "nSklo",      "nSoučet",    "nStínítko", "nClona",      "nMaže",
    "nBarva",   "frmKmitočet", "frmIndex", "frmUhel",  "nUhel",      "nLumetra",  "cmdStart",
};

Face faceOf(const ControlRow& c)
{
    switch (c.font) {
    case 'A': return {"Liberation Sans", 8.25, true}; // for "MS Sans Serif"
    case 'B': return {"Liberation Serif", 8.25, true}; // for "Times New Roman", as the rest
    case 'C': return {"Liberation Serif", 12, true};
    case 'D': return {"Liberation Serif", 14.25, true};
    case 'E': return {"Liberation Serif", 15.75, true};
    case 'F': return {"Liberation Serif", 24, true};
    default: return defaultFace;
    }
}

std::optional<Pixel> backgroundOf(const ControlRow& c)
{
    switch (c.background) {
    case Background::Grey: return PictureCanvas::toPixel(grey);
    case Background::Light: return threeDLightPixel;
    case Background::Rgb: return PictureCanvas::toPixel(c.rgb);
    default: return std::nullopt;
    }
}

Rect rectAt(const ControlRow& c, double scale)
{
    const auto px = [scale](int twips) { return static_cast<int>(std::lround(twips * scale / twipsPerPixel)); };
    if (c.kind == Kind::Line) // from (left, top) down to (width, height)
        return {px(c.left), px(c.top), std::max(1, static_cast<int>(std::lround(scale))), px(c.height) - px(c.top) + 1};
    return scaledRect(c.left, c.top, c.width, c.height, scale);
}

Rect scaledRect(int left, int top, int width, int height, double scale)
{
    const auto px = [scale](int twips) { return static_cast<int>(std::lround(twips * scale / twipsPerPixel)); };
    return {px(left), px(top), px(width), px(height)};
}

const ControlRow* controlNamed(std::string_view name)
{
    for (const auto& c : controls)
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace lumetra::window
