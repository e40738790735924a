#pragma once

#include "Stroke.h"

#include <cstddef>
#include <cstdint>
#include <memory>
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
    ~StrokeLog();

    // Keeps a line just drawn, unless no scale can show any of it.
    void keep(const Stroke& s);
    // Keeps a line just drawn inside the design area. Inlined: most of a run's lines
    // need nothing else.
    [[gnu::always_inline]] void keepInside(const Stroke& s)
    {
        if (compaction_) [[unlikely]]
            interruptCompaction(); // it must not look at a log that changes
        strokes_.push_back(s);
        ++everKept_;
        if (strokes_.size() >= compactAt_) [[unlikely]]
            compact();
    }
    // Forgets the lines that later ones cover at every scale.
    void compact();
    // Compacts if `lines` more would make keep() compact, and makes room for them: done
    // while the window is idle, so that a run like the last one draws without a pause.
    // A call does a piece of it; true while pieces remain. A line kept meanwhile puts the
    // compaction off, once (see interruptCompaction).
    bool makeRoom(std::size_t lines);
    // Writes the room the log has once, a piece a call (true while pieces remain): memory
    // is handed over at its first write, and in a browser at a cost that made a first run
    // keep its lines three times as slowly as later ones.
    bool writeRoom();
    // Every line kept so far, forgotten ones too.
    std::uint64_t everKept() const { return everKept_; }

    std::size_t size() const { return strokes_.size(); }
    auto begin() const { return strokes_.begin(); }
    auto end() const { return strokes_.end(); }

private:
    class Compaction;
    // a piece of the idle work: some milliseconds on a slow laptop
    static constexpr std::size_t linesPerPiece = std::size_t{1} << 15;
    void finishCompaction();
    void interruptCompaction();
    void reserve(std::size_t lines);

    std::vector<Stroke> strokes_;
    std::unique_ptr<Compaction> compaction_;
    std::size_t roomFor_ = 0; // the lines that the compaction in pieces makes room for
    bool putOff_ = false;     // the last compaction was put off, and none has ended since
    std::size_t compactAt_;
    std::uint64_t everKept_ = 0;
    const Stroke* writtenBlock_ = nullptr; // the log's block, written up to writtenUpTo_
    std::size_t writtenUpTo_ = 0;
};

} // namespace lumetra
