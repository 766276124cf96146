// The synthesiser's text encoder, round trip: any text it accepts, encoded to
// five-bit codes and decoded again, comes back upper case with every line
// break as CR LF. Bad UTF-8 and characters without code are errors, never
// something else sent in their place.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "decode/BaudotDecoder.h"
#include "synth/RttySynth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvane;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> codes;
    try {
        codes = EncodeBaudot(text);
    } catch (const std::invalid_argument&) {
        return 0;
    }
    // One row per code, first bit most significant, as the decoder reads rows.
    std::string rows;
    for (std::uint8_t code : codes) {
        if (code > 31) fuzz::Mismatch();
        for (int bit = 4; bit >= 0; --bit) rows += ((code >> bit) & 1) ? '1' : '0';
        rows += "\r\n";
    }
    std::string decoded;
    DecodeBaudot(rows, 0, decoded);

    std::string expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            expected += "\r\n";
        } else if (c == '\n') {
            expected += "\r\n";
        } else if (c >= 'a' && c <= 'z') {
            expected += static_cast<char>(c - 'a' + 'A');
        } else {
            expected += c;
        }
    }
    if (decoded != expected) fuzz::Mismatch();
    return 0;
}
