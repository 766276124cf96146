#pragma once
// The whole automatic path on synthesised sound: tones from the spectrum,
// levels and timeline through the capture buffers, frames found and decoded.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "align/FrameFinder.h"
#include "align/ToneFinder.h"
#include "capture/CaptureBuffers.h"
#include "dsp/FskDemodulator.h"
#include "support/DecodeRoundTripSupport.h"
#include "support/NoisyReadingSupport.h"
#include "synth/GaussianNoise.h"

namespace morvane::aligntest {

struct Captured {
    std::vector<std::int32_t> levels;
    LevelTimeline timeline;
};

/// Levels and timeline as live capture makes them: 65 536-byte blocks.
inline Captured Capture(std::vector<std::int16_t> samples, const DemodSettings& demod) {
    Captured out;
    out.levels = roundtrip::LevelsThroughCapture(std::move(samples), demod, {.timeline = &out.timeline});
    return out;
}

struct AutoResult {
    ToneEstimate tones;
    FrameAlignment alignment;
    std::string text;
};

/// Finds the tones, demodulates (low tone = tone 1), finds and decodes the frames.
inline AutoResult AutoDecode(const std::vector<std::int16_t>& samples) {
    AutoResult r;
    ToneFinder finder;
    finder.Add(samples.data(), samples.size());
    r.tones = finder.Find();
    DemodSettings demod;
    if (r.tones.found) {
        demod.tone1Hz = static_cast<float>(r.tones.lowHz);
        demod.tone2Hz = static_cast<float>(r.tones.highHz);
    }
    const Captured c = Capture(samples, demod);
    const TimeTrueSignal signal = MakeTimeTrueSignal(c.levels, c.timeline);
    std::vector<TrackedFrame> frames;
    r.alignment = FindFrames(signal, c.timeline, &frames);
    if (r.alignment.found) r.text = FrameText(FrameBits(signal, r.alignment.model, frames), r.alignment);
    return r;
}

/// Gaussian noise of the given RMS.
inline std::vector<std::int16_t> Noise(std::size_t count, double rms, std::uint64_t seed) {
    GaussianNoise noise(seed);
    std::vector<std::int16_t> out(count);
    for (auto& s : out) s = static_cast<std::int16_t>(std::clamp(std::round(rms * noise.Next()), -32768.0, 32767.0));
    return out;
}

/// Levenshtein distance, for character error rates.
using noisy::EditDistance;

}  // namespace morvane::aligntest
