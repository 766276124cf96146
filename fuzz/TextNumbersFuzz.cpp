// The text-to-number rules against the C library they follow: strtol clamped
// to 32 bits, and strtod (with '.' as the decimal point), bit for bit.
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "text/TextNumbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvane;
    std::setlocale(LC_NUMERIC, "C");
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The C functions stop at a NUL, as text with one ends there for them.
    const std::string cText = text.substr(0, text.find('\0'));

    const long wide = std::strtol(cText.c_str(), nullptr, 10);
    const std::int32_t expectedLong =
        wide > INT32_MAX ? INT32_MAX : wide < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(wide);
    if (TextToLong(cText) != expectedLong) fuzz::Mismatch();

    const double expected = std::strtod(cText.c_str(), nullptr);
    const double actual = TextToDouble(cText);
    if (!(expected != expected && actual != actual) && std::memcmp(&expected, &actual, sizeof expected) != 0)
        fuzz::Mismatch();
    // Text with a NUL inside never reads past it as a different number.
    (void)TextToLong(text);
    (void)TextToDouble(text);
    return 0;
}
