// A whole Start run with arbitrary texts in the settings boxes, on a canvas that only
// counts: it completes or ends with a Failure, and its work stays bounded.
#include "Errors.h"
#include "RecordingCanvas.h"
#include "Start.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

using namespace lumetra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    RecordingCanvas canvas;
    canvas.loadStartupSettings();
    canvas.setRecordCalls(false);
    for (Box box : {Box::nIndex, Box::nKmitočet, Box::nUhel, Box::nBarva, Box::nKlepnuto, Box::nMaže})
        if (in.ConsumeBool())
            canvas.setText(box, in.ConsumeRandomLengthString(64));
    // the pacing delay only takes time; its counting is tested on its own
    canvas.setText(Box::nSpomalení, "0");
    canvas.answer(in.ConsumeBool() ? vbYes : vbNo);

    bool completed = false;
    try {
        sim::startRun(canvas);
        completed = true;
    } catch (const Failure&) {
    }
    if (canvas.lineCount() > 3'000'000)
        std::abort();
    if (completed && canvas.textOf(Box::nKlepnuto) != "0")
        std::abort();
    return 0;
}
