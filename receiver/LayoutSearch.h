#pragma once
#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "decode/TextCode.h"
#include "receiver/RateEstimate.h"
#include "receiver/ReceiverChain.h"

namespace morvane {

/// The frame layout found on a stretch of the two tones.
struct FoundLayout {
    bool found = false;
    std::string reason;
    CodeSettings code;
    int leadBits = 6;       // start, data and parity bits
    double stopBits = 1.5;
    int polarity = 1;       // +1: mark is tone 1
    double goodShare = 0.0; // frames whose stop bit held
    double quality = 0.0;   // the good frames' mean quality
    double coverage = 0.0;  // share of the time with a signal that good frames fill
    double edgeFit = 0.0;   // 0 … 1: how near bit boundaries the good frames' inner edges lie (1: on them)
    bool sure = true;       // false: the frames hold as well read the other way up, and nothing tells which is mark
};

/// Reads the stretch (sub-blocks of both tones, bitLength sub-blocks per
/// bit) as 5-bit, 7-bit, 8-bit and 8-bit-with-parity frames of either
/// polarity: the longest frame whose stop bits hold as well as the best one
/// wins, and the bits decide the rest (a bit that is nearly always mark is a
/// second stop bit or the line at rest, one that keeps a parity is a parity
/// bit); the stop element is the shortest spacing of frames that follow each
/// other. A code given is kept. Where both polarities hold (a repeated
/// pattern such as RYRY), the tone at rest where the sound begins (a signal
/// after a bit of nothing in the stretch, or the stretch's start when
/// soundStarts says the sound starts there) is mark.
FoundLayout SearchLayout(const std::vector<std::complex<double>>& tone1, const std::vector<std::complex<double>>& tone2,
                         double bitLength, std::optional<CodeSettings> given, bool soundStarts = false);

}  // namespace morvane

namespace morvane {

/// The bit rate (28 … 330 baud) of a stretch of the two tones (subRate
/// sub-blocks a second), measured from the keying's edges on filters made
/// for three bands of rates (to 80, 160 and 320 baud), the band whose edges
/// sit best on a bit grid winning.
RateEstimate MeasureRate(const std::vector<std::complex<double>>& tone1,
                         const std::vector<std::complex<double>>& tone2, double subRate);

}  // namespace morvane

namespace morvane {

/// How far (Hz) the two tones of a stretch sit above the frequencies they
/// were mixed with: their rotation while each is keyed on, on a filter wide
/// enough for ±80 Hz.
double ToneOffsetHz(const std::vector<std::complex<double>>& tone1, const std::vector<std::complex<double>>& tone2,
                    double subRate);

}  // namespace morvane
