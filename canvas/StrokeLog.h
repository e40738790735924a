#pragma once

#include "Stroke.h"

#include <cstddef>
#include <vector>

namespace lumetra {

// The lines that can still show, oldest first, so that the picture can be drawn again
// at another scale. A line is forgotten once later lines cover it at every scale: a
// repeat of it, a longer line on its row, or a wipe over its area.
class StrokeLog {
public:
    // Below this the picture is coarser than a window at the smallest factor on a screen
    // zoomed out to half; the covering rules hold down to it.
    static constexpr double smallestScale = 1.0 / 60.0;

    StrokeLog();

    // Keeps a line just drawn, unless no scale can show any of it.
    void keep(const Stroke& s);
    // Forgets the lines that later ones cover at every scale.
    void compact();

    std::size_t size() const { return strokes_.size(); }
    auto begin() const { return strokes_.begin(); }
    auto end() const { return strokes_.end(); }

private:
    std::vector<Stroke> strokes_;
    std::size_t compactAt_;
};

} // namespace lumetra
