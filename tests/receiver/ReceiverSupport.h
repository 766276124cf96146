#pragma once
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "receiver/Receiver.h"
#include "recording/RecordingReader.h"

namespace morvane::receivertest {

/// Baudot frames (code values, first bit sent least significant) keyed as
/// two continuous-phase tones: mark idle, start bit, five bits, stop bits.
struct Keying {
    double rate = 48000.0, markHz = 2125.0, spaceHz = 2295.0, baud = 45.45, stopBits = 1.5;
    double idleSeconds = 1.0;
};

inline std::vector<int> Bits(const std::vector<unsigned>& codes, const Keying& k, std::vector<double>& seconds) {
    std::vector<int> bits;
    seconds.clear();
    const auto add = [&](int bit, double length) {
        bits.push_back(bit);
        seconds.push_back(length / k.baud);
    };
    add(1, k.idleSeconds * k.baud);
    for (unsigned c : codes) {
        add(0, 1.0);
        for (int i = 0; i < 5; ++i) add(static_cast<int>((c >> i) & 1u), 1.0);
        add(1, k.stopBits);
    }
    add(1, k.idleSeconds * k.baud);
    return bits;
}

/// The keyed signal at amplitude 0.3; markGain(t) and spaceGain(t) scale each tone (fading).
template <typename Gain1, typename Gain2>
std::vector<float> KeyedSignal(const std::vector<unsigned>& codes, const Keying& k, Gain1 markGain, Gain2 spaceGain,
                               double driftHzPerSecond = 0.0) {
    std::vector<double> seconds;
    const std::vector<int> bits = Bits(codes, k, seconds);
    std::vector<float> out;
    double phase = 0.0, t = 0.0, due = 0.0;
    for (std::size_t b = 0; b < bits.size(); ++b) {
        due += seconds[b];
        while (t < due) {
            const double hz = (bits[b] ? k.markHz : k.spaceHz) + driftHzPerSecond * t;
            phase += 2.0 * std::numbers::pi * hz / k.rate;
            const double g = bits[b] ? markGain(t) : spaceGain(t);
            out.push_back(static_cast<float>(0.3 * g * std::sin(phase)));
            t += 1.0 / k.rate;
        }
    }
    return out;
}

inline std::vector<float> KeyedSignal(const std::vector<unsigned>& codes, const Keying& k) {
    const auto one = [](double) { return 1.0; };
    return KeyedSignal(codes, k, one, one);
}

/// White Gaussian noise of the given deviation added (or alone when `into` is empty).
inline void AddNoise(std::vector<float>& into, double deviation, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0.0, deviation);
    for (float& x : into) x = static_cast<float>(x + normal(random));
}

/// `sent` (48 kHz) with `before` and `after` seconds of silence around it and
/// white noise over the whole of it, `snrDb` below the signal's power (taken
/// over `sent`) in 3 kHz.
inline std::vector<float> InNoise(const std::vector<float>& sent, double snrDb, int before, int after, unsigned seed) {
    double power = 0.0;
    for (float v : sent) power += static_cast<double>(v) * v;
    power /= static_cast<double>(sent.size());
    std::vector<float> x(static_cast<std::size_t>(48000 * before), 0.0F);
    x.insert(x.end(), sent.begin(), sent.end());
    x.insert(x.end(), static_cast<std::size_t>(48000 * after), 0.0F);
    AddNoise(x, std::sqrt(power / std::pow(10.0, snrDb / 10.0) * 24000.0 / 3000.0), seed);
    return x;
}

/// Baudot codes of an upper-case text (letters, figures, space), with the
/// shifts a sender puts in; a space keeps the figures shift (no LTRS after it).
inline std::vector<unsigned> BaudotCodes(const std::string& text) {
    const std::string letters("\0E\nA SIU\rDRJNFCKTZLWHYPQOBG\0MXV\0", 32);
    const std::string figures("\0003\n- \a87\r$4',!:(5\")2#6019?&\0./;\0", 32);
    std::vector<unsigned> codes{31, 31};
    bool inFigures = false;
    for (char c : text) {
        if (c == ' ') {
            codes.push_back(4);
            continue;
        }
        const auto l = letters.find(c), f = figures.find(c);
        if (l != std::string::npos && l != 0) {
            if (inFigures) codes.push_back(31);
            inFigures = false;
            codes.push_back(static_cast<unsigned>(l));
        } else if (f != std::string::npos && f != 0) {
            if (!inFigures) codes.push_back(27);
            inFigures = true;
            codes.push_back(static_cast<unsigned>(f));
        }
    }
    return codes;
}

/// Everything the receiver makes of `samples`, pushed in pieces of `piece` samples.
inline std::vector<ReceiverPiece> Receive(const std::vector<float>& samples, const ReceiverOptions& options,
                                          std::size_t piece = 1 << 30) {
    Receiver r(options);
    std::vector<ReceiverPiece> all;
    for (std::size_t at = 0; at < samples.size(); at += piece) {
        r.Push(samples.data() + at, std::min(piece, samples.size() - at));
        for (auto& p : r.Take()) all.push_back(std::move(p));
    }
    r.Finish();
    for (auto& p : r.Take()) all.push_back(std::move(p));
    return all;
}

inline std::string TextOf(const std::vector<ReceiverPiece>& pieces) {
    std::string text;
    for (const auto& p : pieces) text += p.text;
    return text;
}

inline int Transmissions(const std::vector<ReceiverPiece>& pieces) {
    int n = 0;
    for (const auto& p : pieces) n += p.opens;
    return n;
}

inline std::vector<float> Floats(const std::vector<std::int16_t>& s) {
    std::vector<float> out(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) out[i] = static_cast<float>(s[i] / 32768.0);
    return out;
}

inline bool HaveMinimodem() { return std::system("command -v minimodem >/dev/null 2>&1") == 0; }

// minimodem --tx at `rate` samples a second, read back at 48 kHz as a recording is.
inline std::vector<float> Minimodem(const std::string& text, const std::string& args, int rate = 48000) {
    const auto path =
        std::filesystem::temp_directory_path() / ("morvane-ry-" + std::to_string(::getpid()) + ".wav");
    const std::string txt = path.string() + ".txt";
    std::ofstream(txt) << text;
    const std::string cmd =
        "minimodem --tx -q -f " + path.string() + " -R " + std::to_string(rate) + " " + args + " < " + txt;
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    RecordingReader reader(path.string());
    std::vector<std::int16_t> s(1 << 16), all;
    while (const std::size_t n = reader.Read(s.data(), s.size())) all.insert(all.end(), s.begin(), s.begin() + n);
    std::filesystem::remove(path);
    std::filesystem::remove(txt);
    return Floats(all);
}

}  // namespace morvane::receivertest
