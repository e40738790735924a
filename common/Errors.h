#pragma once

#include <stdexcept>
#include <string>

namespace lumetra {

// Every failing operation throws one of these; the text is what the user reads in
// the error report, so it is Czech and names the offending text where there is one.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class NotANumber : public Failure {
public:
    NotANumber(std::string text, std::string where);
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

class Overflow : public Failure {
public:
    using Failure::Failure;
};

} // namespace lumetra
