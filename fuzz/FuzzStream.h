#pragma once
// A level stream as the capture makes it, from a fuzzer's input: one level a
// byte, in calls of 407 levels (a 65 536-byte block each) with a few samples
// dropped in front of each call, the timeline that records them, and soft
// windows that follow the levels (the stronger tone's correlation grows with
// the level's distance from 128), so the soft readers see the same keying.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzInput.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane::fuzz {

struct FuzzStream {
    std::vector<std::int32_t> levels;
    LevelTimeline timeline;
    std::vector<SoftWindow> soft;
    std::vector<std::size_t> callEnds;  // the stream's length after each call

    /// The first `count` levels (a call's end) with their timeline and soft windows.
    FuzzStream Prefix(std::size_t calls) const {
        FuzzStream p;
        const std::size_t end = calls == 0 ? 0 : callEnds[calls - 1];
        p.levels.assign(levels.begin(), levels.begin() + static_cast<std::ptrdiff_t>(end));
        p.soft.assign(soft.begin(), soft.begin() + static_cast<std::ptrdiff_t>(end));
        for (std::size_t c = 0; c < calls; ++c) p.timeline.Append(timeline.Calls()[c]);
        p.callEnds.assign(callEnds.begin(), callEnds.begin() + static_cast<std::ptrdiff_t>(calls));
        return p;
    }
};

constexpr std::int32_t kCallLevels = 407;
constexpr std::size_t kMostLevels = 4000;  // 6.7 s of levels: two hunt windows and a few seconds of text

/// Takes a byte for the dropped samples, then the levels (the rest, at most kMostLevels).
inline FuzzStream TakeStream(FuzzInput& in) {
    FuzzStream s;
    const auto dropSeed = in.Take<std::uint8_t>();
    const std::size_t count = std::min(in.Left(), kMostLevels);
    const std::uint8_t* bytes = in.Here();
    s.levels.assign(bytes, bytes + count);
    in.Rest();
    std::int64_t pending = 0;
    for (std::size_t first = 0, call = 0; first < count; first += kCallLevels, ++call) {
        const auto n = static_cast<std::int32_t>(std::min<std::size_t>(kCallLevels, count - first));
        const std::int32_t dropped = static_cast<std::int32_t>((dropSeed * (call + 1)) % 128);
        const std::int32_t consumed = 2 * (dropped + n * s.timeline.Window());
        s.timeline.Record(pending, static_cast<std::int64_t>(first), n, consumed);
        pending += consumed / 2;
        s.callEnds.push_back(first + static_cast<std::size_t>(n));
    }
    for (std::int32_t level : s.levels) {
        SoftWindow w;
        const float strength = static_cast<float>(level - 128) / 16.0f;
        w.re1 = Half(std::max(strength, 0.0f) + 0.05f);
        w.im2 = Half(std::max(-strength, 0.0f) + 0.05f);
        s.soft.push_back(w);
    }
    return s;
}

}  // namespace morvane::fuzz
