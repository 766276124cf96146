#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "recording/RecordingReader.h"
#include "scanner/SignalScanner.h"
#include "synth/RttySynth.h"

namespace morvane::scannertest {

/// One sender: its keyed sound (48 kHz), where it starts, its power relative to the others.
struct Sender {
    std::vector<std::int16_t> samples;
    double startSeconds = 0.0;
    double db = 0.0;
};

inline std::vector<std::int16_t> Keyed(const std::string& text, double markHz, double spaceHz, double baud,
                                       TextCode code = TextCode::Baudot, double idle = 1.0) {
    RttySynthSettings s;
    s.markHz = markHz;
    s.spaceHz = spaceHz;
    s.baud = baud;
    s.code.code = code;
    s.stopBits = code == TextCode::Baudot ? 1.5 : 1.0;
    s.idleSeconds = idle;
    return SynthesizeRtty(text, s);
}

/// A recording another program made, read at 48 kHz.
inline std::vector<std::int16_t> Recorded(const std::string& path) {
    RecordingReader reader(path);
    std::vector<std::int16_t> out, piece(32768);
    while (const std::size_t n = reader.Read(piece.data(), piece.size())) out.insert(out.end(), piece.begin(), piece.begin() + n);
    return out;
}

inline double Rms(const std::vector<std::int16_t>& x) {
    double s = 0.0;
    for (auto v : x) s += double(v) * v;
    return std::sqrt(s / std::max<std::size_t>(1, x.size()));
}

/// The senders mixed, each at 3000 RMS × 10^(db/20) while it sends, in white
/// Gaussian noise `snrDb` below a 0 dB sender in 3 kHz, `seconds` long.
inline std::vector<std::int16_t> Mix(const std::vector<Sender>& senders, double seconds, double snrDb, unsigned seed) {
    const auto n = static_cast<std::size_t>(seconds * 48000.0);
    std::vector<double> sum(n, 0.0);
    for (const Sender& s : senders) {
        const double gain = 3000.0 * std::pow(10.0, s.db / 20.0) / Rms(s.samples);
        const auto at = static_cast<std::size_t>(s.startSeconds * 48000.0);
        for (std::size_t i = 0; i < s.samples.size() && at + i < n; ++i) sum[at + i] += gain * s.samples[i];
    }
    // Noise of 3000 / 10^(snr/20) in 3 kHz is that times sqrt(24000 / 3000) over the whole band.
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0.0, 3000.0 / std::pow(10.0, snrDb / 20.0) * std::sqrt(8.0));
    std::vector<std::int16_t> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::int16_t>(std::clamp(std::lround(sum[i] + (snrDb < 200.0 ? normal(random) : 0.0)), -32768L, 32767L));
    return out;
}

/// Voiced speech as far as a spectrum sees it: harmonics of a pitch that
/// glides, in syllables of about a fifth of a second.
inline std::vector<std::int16_t> Voice(double seconds, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const auto n = static_cast<std::size_t>(seconds * 48000.0);
    std::vector<std::int16_t> out(n);
    double phase = 0.0, pitch = 140.0, target = 140.0, syllable = 0.0, length = 0.2;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / 48000.0;
        if (t >= syllable + length) {
            syllable = t;
            length = 0.12 + 0.2 * u(random);
            target = 100.0 + 120.0 * u(random);
        }
        pitch += (target - pitch) * 0.0002;
        phase += 2.0 * std::numbers::pi * pitch / 48000.0;
        const double envelope = std::sin(std::numbers::pi * (t - syllable) / length);
        double x = 0.0;
        for (int k = 1; k <= 25; ++k) x += std::sin(k * phase) / k;
        out[i] = static_cast<std::int16_t>(std::lround(4000.0 * envelope * envelope * x));
    }
    return out;
}

/// Everything the scanner makes of the samples, pushed in pieces of `piece`.
inline std::vector<ScannedPiece> Scan(const std::vector<std::int16_t>& x, const ScannerOptions& o = {},
                                      std::size_t piece = 32768, SignalScanner* keep = nullptr) {
    SignalScanner local(o);
    SignalScanner& s = keep ? *keep : local;
    std::vector<ScannedPiece> all;
    for (std::size_t at = 0; at < x.size(); at += piece) {
        s.Push(x.data() + at, std::min(piece, x.size() - at));
        for (auto& p : s.Take()) all.push_back(std::move(p));
    }
    s.Finish();
    for (auto& p : s.Take()) all.push_back(std::move(p));
    return all;
}

/// The text of the signal whose low tone lies within 30 Hz of lowHz, and its first header.
struct SignalRead {
    std::string text;
    ReceivedTransmission first;
    int transmissions = 0;
};

inline SignalRead TextNear(const std::vector<ScannedPiece>& pieces, double lowHz) {
    SignalRead r;
    for (const auto& p : pieces) {
        if (std::fabs(p.lowHz - lowHz) > 30.0) continue;
        if (p.piece.opens && r.transmissions++ == 0) r.first = p.piece.transmission;
        r.text += p.piece.text;
    }
    return r;
}

}  // namespace morvane::scannertest
