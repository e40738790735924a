#pragma once

#include "Canvas.h"
#include "Rng.h"

#include <array>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace lumetra {

// A canvas that keeps every call in order, for tests. It holds the texts and the
// visibility of the boxes itself, answers questions from a script and can be told
// to fail at the n-th call.
class RecordingCanvas : public Canvas {
public:
    enum class Op { ScaleMode, DrawWidth, Line, TextGet, TextLet, Visible, MsgBox, Randomize, Rnd };

    struct Call {
        explicit Call(Op o) : op(o) {}
        Op op;
        // Line: end points and colour; DrawWidth: width in x1; Randomize: seed in x1; Rnd: value in x1
        float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        Colour colour = 0;
        bool colourGiven = false;
        int width = 0; // Line: the draw width in force
        Box box = Box::nUhel;
        std::string text; // TextGet/TextLet: the text; MsgBox: the prompt
        bool shown = false;
    };

    RecordingCanvas();

    // Texts as the window has them right after start-up.
    void loadStartupSettings();

    // The n-th call from now on (1 = the next one) throws instead of taking effect.
    void failAtCall(std::size_t n);
    // Answers for the next questions, in order; vbYes when the script runs out.
    void answer(int code) { answers_.push_back(code); }
    // Keep only the counts, not the calls themselves (long runs in fuzzing).
    void setRecordCalls(bool record) { recordCalls_ = record; }

    const std::vector<Call>& calls() const { return calls_; }
    std::size_t callCount() const { return callCount_; }
    std::size_t lineCount() const { return lineCount_; }
    void clearCalls() { calls_.clear(); }

    const std::string& textOf(Box box) const { return texts_[static_cast<std::size_t>(box)]; }
    void setText(Box box, std::string text) { texts_[static_cast<std::size_t>(box)] = std::move(text); }
    bool isShown(Box box) const { return shown_[static_cast<std::size_t>(box)]; }
    int drawWidth() const { return drawWidth_; }

    void ScaleMode(Scale scale) override;
    void DrawWidth(int pixels) override;
    std::string Text(Box box) override;
    void Text(Box box, const std::string& text) override;
    void Visible(Box box, bool shown) override;
    int MsgBox(const std::string& prompt) override;
    void Randomize(double seed) override;
    float Rnd() override;

protected:
    void drawLine(float x1, float y1, float x2, float y2, Colour colour, bool colourGiven) override;

private:
    void enter(); // counts the call and throws when it is the failing one
    void record(Call call);

    std::vector<Call> calls_;
    std::size_t callCount_ = 0;
    std::size_t lineCount_ = 0;
    std::size_t failAt_ = 0;
    bool recordCalls_ = true;
    std::deque<int> answers_;
    std::array<std::string, boxCount> texts_{};
    std::array<bool, boxCount> shown_{};
    int drawWidth_ = 1;
    Rng rng_;
};

} // namespace lumetra
