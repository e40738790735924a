#pragma once

#include "PictureCanvas.h"

#include <array>
#include <deque>
#include <string>

namespace lumetra {

// A picture canvas with text boxes of its own, as the window has them after start-up:
// runs draw real pixels with no window at all (tests, benchmarks, reference pictures).
class PaintedCanvas : public PictureCanvas {
public:
    explicit PaintedCanvas(Picture& picture) : PictureCanvas(picture)
    {
        setLive(false);
        texts_[static_cast<std::size_t>(Box::nUhel)] = "45";
        texts_[static_cast<std::size_t>(Box::nIndex)] = "1.7";
        texts_[static_cast<std::size_t>(Box::nKmitočet)] = "0.75";
        texts_[static_cast<std::size_t>(Box::nBarva)] = "Zelená";
        texts_[static_cast<std::size_t>(Box::nSpomalení)] = "1";
        texts_[static_cast<std::size_t>(Box::nKlepnuto)] = "0";
        texts_[static_cast<std::size_t>(Box::nMaže)] = "0";
    }

    std::string Text(Box box) override { return texts_[static_cast<std::size_t>(box)]; }
    void Text(Box box, const std::string& text) override { texts_[static_cast<std::size_t>(box)] = text; }
    void Visible(Box, bool) override {}
    // Answers from the script, then Ano.
    int MsgBox(const std::string&) override
    {
        if (answers_.empty())
            return vbYes;
        const int a = answers_.front();
        answers_.pop_front();
        return a;
    }
    void answer(int code) { answers_.push_back(code); }

    // The colour options' settings.
    void choose(const char* colour, const char* frequency)
    {
        Text(Box::nBarva, colour);
        Text(Box::nKmitočet, frequency);
    }

protected:
    void frame() override {}

private:
    std::array<std::string, boxCount> texts_{};
    std::deque<int> answers_;
};

} // namespace lumetra
