#pragma once

#include <cstdint>

namespace lumetra {

// red + 256·green + 65536·blue, or a system-scheme colour when the top bit is set.
using Colour = std::uint32_t;

constexpr Colour RGB(int r, int g, int b)
{
    return static_cast<Colour>(r) + 256u * static_cast<Colour>(g) + 65536u * static_cast<Colour>(b);
}

constexpr Colour systemColourFlag = 0x80000000u;
// The 3-D light colour of the system scheme; it is also the window's background.
constexpr Colour vb3DLight = 0x80000016u;

constexpr bool isSystemColour(Colour c) { return (c & systemColourFlag) != 0; }

} // namespace lumetra
