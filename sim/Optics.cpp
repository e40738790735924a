#include "Optics.h"

#include "Convert.h"

#include <array>
#include <string>

namespace lumetra::sim {

namespace {

struct Row {
    double refrFactor;
    double barScale;
    double factorAt90; // 0: the angle is not read
    int arrowLength;
};

// [colour][medium]: colours red, green, blue; media glass, air
constexpr std::array<std::array<Row, 2>, 3> table{{
    {{{1.4, 0.0012, 1.6, 10}, {1.0, 0.0007, 3.0, 8}}},
    {{{2.0, 0.0035, 1.3, 10}, {1.0, 0.00072, 2.8, 10}}},
    {{{6.0, 0.0018, 0.0, 30}, {1.0, 0.0009, 3.0, 10}}},
}};

constexpr std::array<const char*, 3> colourNames{"Červená", "Zelená", "Modrá"};

} // namespace

void chooseOpticalParameters(Canvas& canvas, RunParameters& p)
{
    const std::string colour = canvas.Text(Box::nBarva);
    std::size_t c = 0;
    while (c < colourNames.size() && colour != colourNames[c])
        ++c;
    if (c == colourNames.size())
        return;

    const std::string index = canvas.Text(Box::nIndex);
    std::size_t m;
    if (index == toText(1.7))
        m = 0;
    else if (index == toText(1))
        m = 1;
    else
        return;

    const Row& row = table[c][m];
    p.refrFactor = row.refrFactor;
    p.barScale = row.barScale;
    if (row.factorAt90 != 0.0 && numberIn(canvas, Box::nUhel) == 90.0)
        p.barScale = p.barScale * row.factorAt90;
    p.arrowLength = row.arrowLength;
}

} // namespace lumetra::sim
