#include "RecordingCanvas.h"

#include "Errors.h"

namespace lumetra {

RecordingCanvas::RecordingCanvas()
{
    for (int i = 0; i < boxCount; ++i)
        texts_[static_cast<std::size_t>(i)] = std::string(boxName(static_cast<Box>(i)));
}

void RecordingCanvas::loadStartupSettings()
{
    setText(Box::nUhel, "45");
    setText(Box::nIndex, "1.7");
    setText(Box::nKmitočet, "0.75");
    setText(Box::nBarva, "Zelená");
    setText(Box::nSpomalení, "1");
    setText(Box::nKlepnuto, "0");
    setText(Box::nMaže, "0");
    shown_.fill(false);
    shown_[static_cast<std::size_t>(Box::nVzduch)] = true;
    shown_[static_cast<std::size_t>(Box::nSklo)] = true;
}

void RecordingCanvas::failAtCall(std::size_t n)
{
    failAt_ = n == 0 ? 0 : callCount_ + n;
}

void RecordingCanvas::enter()
{
    ++callCount_;
    if (failAt_ != 0 && callCount_ == failAt_)
        throw Failure("Zkušební selhání kreslicí plochy při volání č. " + std::to_string(callCount_) + ".");
}

void RecordingCanvas::record(Call call)
{
    if (recordCalls_)
        calls_.push_back(std::move(call));
}

void RecordingCanvas::ScaleMode(Scale)
{
    enter();
    record(Call(Op::ScaleMode));
}

void RecordingCanvas::DrawWidth(int pixels)
{
    enter();
    drawWidth_ = pixels;
    Call c(Op::DrawWidth);
    c.x1 = static_cast<float>(pixels);
    record(std::move(c));
}

void RecordingCanvas::drawLine(float x1, float y1, float x2, float y2, Colour colour, bool colourGiven)
{
    enter();
    ++lineCount_;
    Call c(Op::Line);
    c.x1 = x1;
    c.y1 = y1;
    c.x2 = x2;
    c.y2 = y2;
    c.colour = colour;
    c.colourGiven = colourGiven;
    c.width = drawWidth_;
    record(std::move(c));
}

std::string RecordingCanvas::Text(Box box)
{
    enter();
    Call c(Op::TextGet);
    c.box = box;
    c.text = textOf(box);
    std::string text = c.text;
    record(std::move(c));
    return text;
}

void RecordingCanvas::Text(Box box, const std::string& text)
{
    enter();
    setText(box, text);
    Call c(Op::TextLet);
    c.box = box;
    c.text = text;
    record(std::move(c));
}

void RecordingCanvas::Visible(Box box, bool shown)
{
    enter();
    shown_[static_cast<std::size_t>(box)] = shown;
    Call c(Op::Visible);
    c.box = box;
    c.shown = shown;
    record(std::move(c));
}

int RecordingCanvas::MsgBox(const std::string& prompt)
{
    enter();
    Call c(Op::MsgBox);
    c.text = prompt;
    record(std::move(c));
    if (answers_.empty())
        return vbYes;
    int a = answers_.front();
    answers_.pop_front();
    return a;
}

void RecordingCanvas::Randomize(double seed)
{
    enter();
    rng_.Randomize(seed);
    Call c(Op::Randomize);
    c.x1 = static_cast<float>(seed);
    record(std::move(c));
}

float RecordingCanvas::Rnd()
{
    enter();
    float r = rng_.Rnd();
    Call c(Op::Rnd);
    c.x1 = r;
    record(std::move(c));
    return r;
}

} // namespace lumetra
