// Text → number on any bytes: a finite number or NotANumber, and the report's
// quoting of the text stays short and valid.
#include "Convert.h"
#include "Errors.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const double v = lumetra::toNumber(text, "v poli pro zkoušku");
        if (!std::isfinite(v))
            std::abort();
        // what the program writes reads back as the same number
        if (lumetra::toNumber(lumetra::toText(v)) != v)
            std::abort();
    } catch (const lumetra::NotANumber& e) {
        if (std::string(e.what()).size() > 400)
            std::abort();
    }
    return 0;
}
