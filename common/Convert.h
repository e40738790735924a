#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumetra {

// Number → text: integers as plain digits, doubles in their shortest round-trip
// form with '.' as the decimal separator, whatever the user's locale.
std::string toText(long long value);
std::string toText(int value);
std::string toText(double value);

// Text → number: the whole text (surrounding spaces allowed) must be a finite decimal
// number. `where` names the text box in the error report.
double toNumber(std::string_view text, std::string_view where = {});
// The same for plain whole numbers of up to 15 digits (surrounding spaces allowed), as
// the program writes them; nothing for any other text, which toNumber then reads or refuses.
std::optional<double> wholeNumber(std::string_view text) noexcept;

// Printable form of a text inside an error report: quoted, control characters escaped, cut when long.
std::string quoteForReport(std::string_view text);

} // namespace lumetra
