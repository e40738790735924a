#pragma once

#include "RecordingCanvas.h"
#include "Start.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace lumetra::test {

using Call = RecordingCanvas::Call;
using Op = RecordingCanvas::Op;

inline std::vector<Call> linesOf(const RecordingCanvas& canvas)
{
    std::vector<Call> lines;
    for (const auto& c : canvas.calls())
        if (c.op == Op::Line)
            lines.push_back(c);
    return lines;
}

inline std::size_t countCalls(const RecordingCanvas& canvas, const std::function<bool(const Call&)>& pred)
{
    return static_cast<std::size_t>(std::count_if(canvas.calls().begin(), canvas.calls().end(), pred));
}

inline bool isLine(const Call& c, float x1, float y1, float x2, float y2)
{
    return c.op == Op::Line && c.x1 == x1 && c.y1 == y1 && c.x2 == x2 && c.y2 == y2;
}

// The recording canvas as the window leaves it after start-up.
inline RecordingCanvas startedUp()
{
    RecordingCanvas canvas;
    canvas.loadStartupSettings();
    return canvas;
}

// One run with the start-up settings, recorded once for the tests that study it.
inline const RecordingCanvas& defaultRun()
{
    static const RecordingCanvas canvas = [] {
        RecordingCanvas c = startedUp();
        sim::startRun(c);
        return c;
    }();
    return canvas;
}

} // namespace lumetra::test
