#include "StrokeLog.h"

#include "Units.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace lumetra {

namespace {

// How far, in twips, the pixels of a line of this width can reach beyond its end points
// at any scale from smallestScale up: half the pen, and the rounding to whole pixels.
double reachOf(int width)
{
    return 7.5 * width + 1.25 / StrokeLog::smallestScale + 5;
}

// Disjoint closed intervals of one row, in order. Two intervals join only when they
// overlap or touch, so a covered interval is covered at every scale.
class Intervals {
public:
    bool covers(float a, float b) const
    {
        auto it = std::upper_bound(spans_.begin(), spans_.end(), a,
                                   [](float v, const std::pair<float, float>& s) { return v < s.first; });
        return it != spans_.begin() && std::prev(it)->second >= b;
    }
    // Adds [a, b]; returns the interval it became part of.
    std::pair<float, float> add(float a, float b)
    {
        auto first = std::lower_bound(spans_.begin(), spans_.end(), a,
                                      [](const std::pair<float, float>& s, float v) { return s.second < v; });
        auto last = first;
        while (last != spans_.end() && last->first <= b) {
            a = std::min(a, last->first);
            b = std::max(b, last->second);
            ++last;
        }
        if (first == last) {
            spans_.insert(first, {a, b});
        } else {
            *first = {a, b};
            spans_.erase(first + 1, last);
        }
        return {a, b};
    }

private:
    std::vector<std::pair<float, float>> spans_;
};

// Blocks of twips that thin lines on every one of their rows cover, each row with one
// interval across the whole block: whatever lies inside such blocks is wiped.
class WipedBlocks {
public:
    static constexpr int size = 32;

    WipedBlocks()
        : columns_(designWidthTwips / size + 1), words_((columns_ + 63) / 64), stride_(64 * words_),
          bits_(static_cast<std::size_t>(designHeightTwips + 1) * static_cast<std::size_t>(words_)),
          rows_(static_cast<std::size_t>(designHeightTwips / size + 1) * static_cast<std::size_t>(stride_))
    {
    }

    // Row y is covered from a to b, now that [added, to] joined it: only the blocks
    // that this piece reaches can have become covered. A wipe covers some 3 million
    // blocks' rows, so they are counted a word of blocks at a time.
    void cover(int y, float a, float b, float added, float to)
    {
        const int first = std::max({0, static_cast<int>(std::ceil(a / size)), static_cast<int>(added / size)});
        const int last = std::min({columns_ - 1, static_cast<int>(std::floor(b / size)) - 1, static_cast<int>(to / size)});
        std::uint64_t* bits = &bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(words_)];
        std::uint8_t* rows = &rows_[static_cast<std::size_t>(y / size) * static_cast<std::size_t>(stride_)];
        for (int w = first >> 6; w <= last >> 6 && first <= last; ++w) {
            const int lo = std::max(first - 64 * w, 0), hi = std::min(last - 64 * w, 63);
            const std::uint64_t reached = (~std::uint64_t{0} << lo) & (~std::uint64_t{0} >> (63 - hi));
            const std::uint64_t fresh = reached & ~bits[w];
            bits[w] |= fresh;
            for (int k = 0; k < 8; ++k)
                if (const unsigned eight = (fresh >> (8 * k)) & 0xFFu) {
                    // eight counters in one word: none exceeds `size`, so none carries
                    std::uint8_t* at = rows + 64 * w + 8 * k;
                    std::uint64_t counts;
                    std::memcpy(&counts, at, sizeof counts);
                    counts += spread[eight];
                    std::memcpy(at, &counts, sizeof counts);
                }
        }
    }

    // Whether the rectangle lies inside wiped blocks.
    bool covers(double left, double top, double right, double bottom) const
    {
        if (left < 0 || top < 0 || right > designWidthTwips || bottom > designHeightTwips)
            return false;
        const int c0 = static_cast<int>(left) / size, c1 = static_cast<int>(right) / size;
        const int r0 = static_cast<int>(top) / size, r1 = static_cast<int>(bottom) / size;
        for (int r = r0; r <= r1; ++r) {
            const int full = std::min(size, designHeightTwips + 1 - r * size);
            const std::uint8_t* rows = &rows_[static_cast<std::size_t>(r) * static_cast<std::size_t>(stride_)];
            for (int c = c0; c <= c1; ++c)
                if (rows[c] != full)
                    return false;
        }
        return true;
    }

private:
    static_assert(std::endian::native == std::endian::little);
    // bit i of the index as byte i: one more row for each block of eight that it names
    static constexpr auto spread = [] {
        std::array<std::uint64_t, 256> t{};
        for (unsigned v = 0; v < 256; ++v)
            for (unsigned i = 0; i < 8; ++i)
                t[v] |= std::uint64_t{(v >> i) & 1u} << (8 * i);
        return t;
    }();

    int columns_, words_, stride_;
    std::vector<std::uint64_t> bits_; // for each row, the blocks it covers
    std::vector<std::uint8_t> rows_;  // for each block, how many of its rows cover it (rows of stride_)
};

} // namespace

// Forgets the lines that later ones cover at every scale, newest first:
// - an exact repeat covers the earlier copy;
// - horizontal lines of one row and width cover the parts of that row they span;
// - thin horizontal lines on every twip row of an area (a wipe) cover whatever lies
//   inside it, with room left for the widest pen and the rounding of any scale.
// It looks at the lines a part at a time, so that the idle window can do it in pieces;
// the log does not change meanwhile.
class StrokeLog::Compaction {
public:
    explicit Compaction(const std::vector<Stroke>& strokes)
        : strokes_(strokes), next_(strokes.size()), keepIt_(strokes.size(), false),
          thinRows_(static_cast<std::size_t>(designHeightTwips) + 1)
    {
        const auto slanted = static_cast<std::size_t>(
            std::count_if(strokes.begin(), strokes.end(), [](const Stroke& s) { return s.y1 != s.y2; }));
        while (tableSize_ < 2 * slanted + 2)
            tableSize_ <<= 1;
        seen_.assign(tableSize_, UINT32_MAX);
    }

    // Looks at up to `count` more lines; false once it has looked at them all.
    bool step(std::size_t count)
    {
        for (; next_ > 0 && count > 0; --count)
            look(--next_);
        return next_ > 0;
    }

    bool keeps(std::size_t i) const { return keepIt_[i]; }

private:
    bool wiped(const Stroke& s) const
    {
        const double reach = reachOf(s.width);
        return wipes_.covers(std::min(s.x1, s.x2) - reach, std::min(s.y1, s.y2) - reach, std::max(s.x1, s.x2) + reach,
                             std::max(s.y1, s.y2) + reach);
    }

    [[gnu::always_inline]] void look(std::size_t i)
    {
        const Stroke& s = strokes_[i];
        // a horizontal repeat is covered on its row like any other; the rest are looked up
        std::size_t h = 0;
        if (s.y1 != s.y2) {
            h = hashStroke(s) & (tableSize_ - 1);
            while (seen_[h] != UINT32_MAX) {
                if (strokes_[seen_[h]] == s)
                    return;
                h = (h + 1) & (tableSize_ - 1);
            }
        }

        Intervals* row = nullptr;
        int thinRow = -1;
        const float a = std::min(s.x1, s.x2), b = std::max(s.x1, s.x2);
        if (s.y1 == s.y2) {
            const float y = s.y1;
            if (s.width == 1 && y >= 0 && y <= designHeightTwips && y == std::floor(y)) {
                thinRow = static_cast<int>(y);
                row = &thinRows_[static_cast<std::size_t>(thinRow)];
            } else {
                row = &otherRows_[(std::uint64_t{std::bit_cast<std::uint32_t>(y)} << 32)
                                  | static_cast<std::uint32_t>(s.width)];
            }
            if (row->covers(a, b))
                return;
        }
        if (wiped(s))
            return;

        keepIt_[i] = true;
        if (s.y1 != s.y2)
            seen_[h] = static_cast<std::uint32_t>(i);
        if (row) {
            const auto [from, to] = row->add(a, b);
            if (thinRow >= 0)
                wipes_.cover(thinRow, from, to, a, b);
        }
    }

    const std::vector<Stroke>& strokes_;
    std::size_t next_; // the lines below this one are still to be looked at
    std::vector<bool> keepIt_;
    std::size_t tableSize_ = 1;
    std::vector<std::uint32_t> seen_;
    std::vector<Intervals> thinRows_;
    std::unordered_map<std::uint64_t, Intervals> otherRows_;
    WipedBlocks wipes_;
};

StrokeLog::StrokeLog() : compactAt_(1u << 18)
{
    // room for a few runs, taken as needed rather than copied along as it grows
    strokes_.reserve(compactAt_);
}

StrokeLog::~StrokeLog() = default;

void StrokeLog::keep(const Stroke& s)
{
    const double reach = reachOf(s.width);
    // nothing of it can reach the design area at any scale
    if (std::min(s.x1, s.x2) - reach > designWidthTwips || std::max(s.x1, s.x2) + reach < 0
        || std::min(s.y1, s.y2) - reach > designHeightTwips || std::max(s.y1, s.y2) + reach < 0)
        return;
    keepInside(s);
}

bool StrokeLog::makeRoom(std::size_t lines)
{
    if (!compaction_ && strokes_.size() + lines >= compactAt_) {
        compaction_ = std::make_unique<Compaction>(strokes_);
        roomFor_ = lines;
    }
    if (compaction_) {
        if (compaction_->step(linesPerPiece))
            return true;
        finishCompaction();
    }
    reserve(lines);
    return false;
}

bool StrokeLog::writeRoom()
{
    if (strokes_.data() != writtenBlock_) {
        writtenBlock_ = strokes_.data();
        writtenUpTo_ = 0;
    }
    const std::size_t kept = strokes_.size(), from = std::max(writtenUpTo_, kept);
    // A piece as large as a compaction's: writing is quicker than looking at lines, but
    // memory written for the first time costs the system its pages.
    const std::size_t to = std::min(strokes_.capacity(), from + linesPerPiece);
    if (from >= to)
        return false;
    strokes_.resize(to); // within the capacity: the block stays
    strokes_.resize(kept);
    writtenUpTo_ = to;
    return to < strokes_.capacity();
}

// The room itself too: moving the log to a larger block would pause a run as long.
void StrokeLog::reserve(std::size_t lines)
{
    const std::size_t wanted = strokes_.size() + lines;
    if (wanted > strokes_.capacity())
        strokes_.reserve(std::max(wanted, 2 * strokes_.capacity()));
}

// A handler draws while pieces of a compaction remain. The first time, the compaction is
// put off, with room for the lines it was to make room for, so that the handler neither
// waits for it nor pauses for it later; it starts afresh when the window is idle again.
// Should that one be interrupted too, the rest of it is done now: the log grows by no
// more than one handler's lines beyond what it would have kept.
void StrokeLog::interruptCompaction()
{
    if (putOff_) {
        finishCompaction();
        return;
    }
    compaction_.reset();
    putOff_ = true;
    compactAt_ = std::max(compactAt_, strokes_.size() + roomFor_ + 1);
    reserve(roomFor_);
}

void StrokeLog::compact()
{
    if (!compaction_) {
        if (strokes_.empty())
            return;
        compaction_ = std::make_unique<Compaction>(strokes_);
    }
    finishCompaction();
}

void StrokeLog::finishCompaction()
{
    while (compaction_->step(SIZE_MAX)) {
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < strokes_.size(); ++i)
        if (compaction_->keeps(i))
            strokes_[out++] = strokes_[i];
    compaction_.reset();
    putOff_ = false;
    strokes_.resize(out);
    compactAt_ = std::max(2 * out, out + (std::size_t{1} << 18));
}

} // namespace lumetra
