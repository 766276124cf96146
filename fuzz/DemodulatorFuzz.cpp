// The demodulator's fast path against the plain arithmetic, bit for bit, on
// any tones and samples (and the same errors for tones that are no number).
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "FuzzInput.h"
#include "dsp/FskDemodulator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvane;
    fuzz::FuzzInput in(data, size);
    DemodSettings settings;
    settings.tone1Hz = in.Take<float>();
    settings.tone2Hz = in.Take<float>();
    const std::int32_t byteCount = static_cast<std::int32_t>(in.Left() > 1 << 20 ? 1 << 20 : in.Left());
    std::vector<std::int16_t> samples(static_cast<std::size_t>(byteCount) / 2 + 1);
    if (byteCount > 0) std::memcpy(samples.data(), in.Here(), static_cast<std::size_t>(byteCount));
    const CaptureFormat& format = kCaptureFormat;
    std::vector<std::int32_t> fast, plain;
    std::int32_t fastUsed = -1, plainUsed = -1;
    bool fastThrew = false, plainThrew = false;
    try {
        fastUsed = Demodulate(settings, format, samples.data(), byteCount, fast);
    } catch (const std::invalid_argument&) {
        fastThrew = true;
    }
    try {
        plainUsed = DemodulateReference(settings, format, samples.data(), byteCount, plain);
    } catch (const std::invalid_argument&) {
        plainThrew = true;
    }
    if (fastThrew != plainThrew || fastUsed != plainUsed || fast != plain) fuzz::Mismatch();
    return 0;
}
