#include "sitor/SitorSynth.h"

#include <cmath>
#include <stdexcept>

#include "sitor/Ccir476.h"
#include "sitor/ModeB.h"
#include "synth/GaussianNoise.h"

namespace morvane::sitor {

namespace {
constexpr double kRate = 48000.0;
constexpr double kMaxSamples = kRate * 7200.0;

void CheckRange(double v, double low, double high, const char* what) {
    if (!std::isfinite(v) || v < low || v > high)
        throw std::invalid_argument(std::string(what) + " out of range");
}
}  // namespace

std::string NavtexText(std::string_view id, std::string_view text) {
    const auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (id.size() != 4 || !letter(id[0]) || !letter(id[1]) || !digit(id[2]) || !digit(id[3]))
        throw std::invalid_argument("a NAVTEX identity is B1B2B3B4: two capital letters and two digits, such as EA01");
    return "ZCZC " + std::string(id) + "\r\n" + std::string(text) + "\r\nNNNN\r\n\n";
}

std::vector<std::int16_t> SynthesizeSlots(const std::vector<std::uint8_t>& slots, const SitorSynthSettings& s) {
    CheckRange(s.markHz, 1.0, kRate / 2, "mark frequency");
    CheckRange(s.spaceHz, 1.0, kRate / 2, "space frequency");
    CheckRange(s.baud, 1.0, kRate, "baud rate");
    CheckRange(s.idleSeconds, 0.0, 60.0, "idle time");
    if (s.snrDb && !std::isfinite(*s.snrDb)) throw std::invalid_argument("signal-to-noise ratio must be finite");
    const double perBit = kRate / s.baud;
    const double bits = static_cast<double>(slots.size()) * kWordBits;
    const std::int64_t idle = std::llround(s.idleSeconds * kRate);
    if (bits * perBit + 2.0 * static_cast<double>(idle) > kMaxSamples)
        throw std::invalid_argument("the text is too long: the signal would last more than 7200 s");
    const std::int64_t keyed = std::llround(bits * perBit);
    const std::int64_t total = 2 * idle + keyed;

    double amplitude = 16000.0, noiseSigma = 0.0;
    if (s.snrDb) {
        const double snr = std::pow(10.0, *s.snrDb / 10.0);
        const double noiseToSignal = (kRate / 2 / 3000.0) / snr;
        amplitude = 6000.0 * std::sqrt(2.0 / (1.0 + noiseToSignal));
        noiseSigma = amplitude * std::sqrt(noiseToSignal / 2.0);
    }
    GaussianNoise noise(s.seed);
    constexpr double kTwoPi = 6.283185307179586;
    std::vector<std::int16_t> out(static_cast<std::size_t>(total));
    double phase = 0.0;
    for (std::int64_t n = 0; n < total; ++n) {
        bool mark = true;
        const std::int64_t k = n - idle;
        if (k >= 0 && k < keyed) {
            // The bit whose span holds sample k; edges on the nearest sample of the bit clock.
            auto bit = static_cast<std::int64_t>(std::floor((static_cast<double>(k) + 0.5) / perBit));
            if (bit >= static_cast<std::int64_t>(bits)) bit = static_cast<std::int64_t>(bits) - 1;
            const std::uint8_t word = slots[static_cast<std::size_t>(bit / kWordBits)];
            mark = ((word >> (bit % kWordBits)) & 1) != 0;
        }
        double x = amplitude * std::sin(phase);
        phase += kTwoPi * (mark ? s.markHz : s.spaceHz) / kRate;
        if (phase >= kTwoPi) phase -= kTwoPi;
        if (noiseSigma > 0.0) x += noiseSigma * noise.Next();
        x = std::round(x);
        out[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(x > 32767.0 ? 32767.0 : (x < -32768.0 ? -32768.0 : x));
    }
    return out;
}

std::vector<std::int16_t> SynthesizeSitorB(std::string_view text, const SitorSynthSettings& s) {
    CheckRange(s.phasingSeconds, 0.0, 60.0, "phasing time");
    CheckRange(s.baud, 1.0, kRate, "baud rate");
    const auto pairs = static_cast<int>(std::lround(s.phasingSeconds * s.baud / (2.0 * kWordBits)));
    return SynthesizeSlots(InterleaveModeB(EncodeCcir476(text), pairs), s);
}

}  // namespace morvane::sitor
