// The Baudot decoder and the bit transformations on any text: no crash, the
// inversion undone by itself, the decoder's output made only of its own
// characters and line breaks.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "decode/BaudotDecoder.h"
#include "decode/BitTransforms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvane;
    fuzz::FuzzInput in(data, size);
    const std::int32_t ignore = in.Take<std::int8_t>();
    const std::uint8_t flags = in.Take<std::uint8_t>();
    const std::string text = in.Rest();

    std::string decoded;
    DecodeBaudot(text, ignore, decoded);
    for (char c : decoded)
        if (c != '\r' && c != '\n' && c != '?' && c != ' ' && !(c >= 'A' && c <= 'Z') &&
            std::string("0123456789-,!:()&./").find(c) == std::string::npos)
            fuzz::Mismatch();

    std::string twice = text;
    InvertBits(twice);
    InvertBits(twice);
    if (twice != text) fuzz::Mismatch();

    std::string reversed = text;
    ReverseRows(reversed);
    std::string masked = text;
    MaskIgnoredBits(masked, ignore);
    const std::string prepared = PrepareBits(text, flags & 1, flags & 2, ignore);
    DecodeBaudot(prepared, ignore, decoded);
    return 0;
}
