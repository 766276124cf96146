#include "synth/RttySynth.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "decode/BaudotTable.h"
#include "decode/BaudotUsFigures.h"
#include "synth/GaussianNoise.h"

namespace morvane {

namespace {

constexpr double kRate = kSampleRate;
constexpr std::uint8_t kSpaceCode = 4;
constexpr std::uint8_t kLineBreakCode = 8;
constexpr std::uint8_t kNoCode = 0xFF;

// Reverse of the code table: the code that appends each ASCII character in
// the letters and in the figures state.
struct ReverseTable {
    std::array<std::uint8_t, 128> letters{};
    std::array<std::uint8_t, 128> figures{};
};

ReverseTable BaudotReverse() {
    ReverseTable t;
    t.letters.fill(kNoCode);
    t.figures.fill(kNoCode);
    for (std::uint8_t code = 0; code < 32; ++code) {
        const BaudotCode& entry = kBaudotTable[code];
        if (entry.letters.kind == BaudotAction::Append && t.letters[static_cast<unsigned char>(entry.letters.character)] == kNoCode)
            t.letters[static_cast<unsigned char>(entry.letters.character)] = code;
        if (entry.figures.kind == BaudotAction::Append && t.figures[static_cast<unsigned char>(entry.figures.character)] == kNoCode)
            t.figures[static_cast<unsigned char>(entry.figures.character)] = code;
    }
    return t;
}

const ReverseTable& Reverse() {
    static const ReverseTable table = BaudotReverse();
    return table;
}

// The same with the US figures: their characters, the bell among them.
const ReverseTable& ReverseUs() {
    static const ReverseTable table = [] {
        ReverseTable t = BaudotReverse();
        for (std::uint8_t code = 0; code < 32; ++code) {
            const std::string_view figure = kBaudotUsFigures[code];
            if (figure.size() == 1) t.figures[static_cast<unsigned char>(figure[0])] = code;
        }
        t.figures[static_cast<unsigned char>(kBellCharacter)] = 5;
        return t;
    }();
    return table;
}

[[noreturn]] void NotUtf8(std::size_t start) {
    throw std::invalid_argument("the text is not valid UTF-8 (byte " + std::to_string(start + 1) + ")");
}

// Decodes the next UTF-8 code point at text[pos], advancing pos. Overlong
// forms ("\xC1\x92" for 'R'), surrogates (U+D800 ... U+DFFF) and values above
// U+10FFFF are not UTF-8 and are refused like any other bad byte.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t start = pos;
    const unsigned char lead = byte(pos++);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t lowest = 0;  // the smallest value that needs this many bytes
    if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; lowest = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; lowest = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; lowest = 0x10000; }
    else NotUtf8(start);
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size() || (byte(pos) & 0xC0) != 0x80) NotUtf8(start);
        cp = (cp << 6) | (byte(pos++) & 0x3F);
    }
    if (cp < lowest || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) NotUtf8(start);
    return cp;
}

std::string DescribeCharacter(std::string_view text, std::size_t start, std::size_t end, char32_t cp) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    if (cp < 0x20 || cp == 0x7F) return code;
    return "'" + std::string(text.substr(start, end - start)) + "' (" + code + ")";
}

void CheckRange(double value, double low, double high, bool lowInclusive, const char* what) {
    const bool aboveLow = lowInclusive ? value >= low : value > low;
    if (!std::isfinite(value) || !aboveLow || value > high)
        throw std::invalid_argument(std::string(what) + " " + std::to_string(value) + " is out of range");
}

}  // namespace

namespace {

std::vector<std::uint8_t> EncodeTeleprinter(std::string_view text, const ReverseTable& table) {
    std::vector<std::uint8_t> codes;
    bool figures = false;  // the receiver starts in letters
    // Bad UTF-8 anywhere is reported as such, before any character without a code.
    for (std::size_t pos = 0; pos < text.size();) NextCodePoint(text, pos);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        char32_t cp = NextCodePoint(text, pos);
        if (cp == U'\r') {
            if (pos < text.size() && text[pos] == '\n') ++pos;  // CR LF is one line break
            codes.push_back(kLineBreakCode);
            continue;
        }
        if (cp == U'\n') {
            codes.push_back(kLineBreakCode);
            continue;
        }
        if (cp == U' ') {
            codes.push_back(kSpaceCode);
            continue;
        }
        if (cp >= U'a' && cp <= U'z') cp -= U'a' - U'A';
        const std::uint8_t letter = cp < 128 ? table.letters[cp] : kNoCode;
        const std::uint8_t figure = cp < 128 ? table.figures[cp] : kNoCode;
        if (letter != kNoCode) {
            if (figures) codes.push_back(kBaudotLetters);
            figures = false;
            codes.push_back(letter);
        } else if (figure != kNoCode) {
            if (!figures) codes.push_back(kBaudotFigures);
            figures = true;
            codes.push_back(figure);
        } else {
            throw std::invalid_argument("no teleprinter code for " + DescribeCharacter(text, start, pos, cp));
        }
    }
    return codes;
}

std::vector<std::uint8_t> EncodeAscii7(std::string_view text) {
    std::vector<std::uint8_t> codes;
    codes.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const char32_t cp = NextCodePoint(text, pos);
        if (cp > 0x7F) throw std::invalid_argument("no 7-bit code for " + DescribeCharacter(text, start, pos, cp));
        codes.push_back(static_cast<std::uint8_t>(cp));
    }
    return codes;
}

}  // namespace

std::vector<std::uint8_t> EncodeBaudot(std::string_view text) { return EncodeTeleprinter(text, Reverse()); }

std::vector<std::uint8_t> EncodeText(std::string_view text, TextCode code) {
    switch (code) {
        case TextCode::Baudot: return EncodeBaudot(text);
        case TextCode::BaudotUs: return EncodeTeleprinter(text, ReverseUs());
        case TextCode::Ascii7: return EncodeAscii7(text);
        case TextCode::Ascii8: break;
    }
    return {text.begin(), text.end()};
}

std::vector<std::int16_t> SynthesizeRtty(std::string_view text, const RttySynthSettings& s) {
    CheckRange(s.markHz, 0.0, kRate / 2, false, "mark frequency");
    CheckRange(s.spaceHz, 0.0, kRate / 2, false, "space frequency");
    CheckRange(s.baud, 1.0, kRate, true, "baud rate");
    CheckRange(s.stopBits, 1.0, 2.0, true, "stop bits");
    CheckRange(s.idleSeconds, 0.0, 60.0, true, "idle time");
    if (s.snrDb && !std::isfinite(*s.snrDb)) throw std::invalid_argument("signal-to-noise ratio must be finite");

    if (!IsAscii(s.code.code) && s.code.parity != Parity::None)
        throw std::invalid_argument("a parity bit needs an ASCII code");
    const std::vector<std::uint8_t> codes = EncodeText(text, s.code.code);
    const int dataBits = DataBits(s.code.code);
    const int parityBits = s.code.parity == Parity::None ? 0 : 1;

    // The keying as a list of elements: (length in bits, mark?).
    struct Element {
        double bits;
        bool mark;
    };
    std::vector<Element> elements;
    elements.reserve(codes.size() * static_cast<std::size_t>(dataBits + parityBits + 2));
    for (std::uint8_t code : codes) {
        elements.push_back({1.0, false});  // start bit
        int ones = 0;
        for (int bit = 0; bit < dataBits; ++bit) {
            const bool one = ((code >> bit) & 1) != 0;
            ones += one;
            elements.push_back({1.0, one});
        }
        // Even parity: data and parity bit together hold an even number of ones.
        if (parityBits) elements.push_back({1.0, (ones % 2 == 1) == (s.code.parity == Parity::Even)});
        elements.push_back({s.stopBits, true});
    }

    const double samplesPerBit = kRate / s.baud;
    const std::int64_t idle = std::llround(s.idleSeconds * kRate);
    // 1 start bit and 5 data bits make 6.0, exactly as before ASCII came.
    const double frameBits = static_cast<double>(1 + dataBits + parityBits) + s.stopBits;
    const double totalBits = static_cast<double>(codes.size()) * frameBits;
    const double keyedSamples = totalBits * samplesPerBit;
    if (keyedSamples + 2.0 * static_cast<double>(idle) > static_cast<double>(kMaxSynthSamples))
        throw std::invalid_argument("the text is too long: the signal would last more than " +
                                    std::to_string(kMaxSynthSamples / kSampleRate) + " s");
    const std::int64_t keyed = std::llround(keyedSamples);
    const std::int64_t total = idle + keyed + idle;

    // Amplitudes: a clean signal peaks at 16 000; with noise the sum has an
    // RMS of 6 000, so that peaks of four standard deviations still fit.
    constexpr double kCleanAmplitude = 16000.0;
    constexpr double kNoisyRms = 6000.0;
    constexpr double kNoiseBandHz = 3000.0;
    double amplitude = kCleanAmplitude;
    double noiseSigma = 0.0;
    if (s.snrDb) {
        // Noise power in 3 kHz = signal power / SNR; white noise spreads over 24 kHz.
        const double snr = std::pow(10.0, *s.snrDb / 10.0);
        const double noiseToSignal = (kRate / 2 / kNoiseBandHz) / snr;  // total noise power / signal power
        amplitude = kNoisyRms * std::sqrt(2.0 / (1.0 + noiseToSignal));
        noiseSigma = amplitude * std::sqrt(noiseToSignal / 2.0);
    }

    std::vector<std::int16_t> out(static_cast<std::size_t>(total));
    GaussianNoise noise(s.seed);
    constexpr double kTwoPi = 6.283185307179586;
    const double markStep = kTwoPi * s.markHz / kRate;
    const double spaceStep = kTwoPi * s.spaceHz / kRate;
    double phase = 0.0;
    std::size_t element = 0;
    double elementEndBits = elements.empty() ? 0.0 : elements[0].bits;
    std::int64_t elementEnd = elements.empty() ? 0 : std::llround(elementEndBits * samplesPerBit);
    for (std::int64_t n = 0; n < total; ++n) {
        bool mark = true;
        const std::int64_t k = n - idle;
        if (k >= 0 && k < keyed && element < elements.size()) {
            while (k >= elementEnd && element + 1 < elements.size()) {
                ++element;
                elementEndBits += elements[element].bits;
                elementEnd = std::llround(elementEndBits * samplesPerBit);
            }
            mark = elements[element].mark;
        }
        double x = amplitude * std::sin(phase);
        phase += mark ? markStep : spaceStep;
        if (phase >= kTwoPi) phase -= kTwoPi;
        if (noiseSigma > 0.0) x += noiseSigma * noise.Next();
        x = std::round(x);
        out[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(x > 32767.0 ? 32767.0 : (x < -32768.0 ? -32768.0 : x));
    }
    return out;
}

}  // namespace morvane
