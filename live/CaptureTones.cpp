#include "live/CaptureTones.h"

#include <algorithm>

#include "dsp/SampleFormat.h"

namespace morvane {

namespace {
constexpr double kKeptSeconds = 60.0;
constexpr std::int64_t kAllSeconds = 10, kSparseUntil = 90, kEvery = 8, kRarelyEvery = 128;
}  // namespace

CaptureTones::CaptureTones() : m_finder(kSampleRate, kKeptSeconds) {}

bool CaptureTones::Read(std::int64_t position) {
    const std::int64_t second = position / kSampleRate;
    return second < kAllSeconds || second % (second < kSparseUntil ? kEvery : kRarelyEvery) == 0;
}

void CaptureTones::Add(const std::int16_t* samples, std::size_t count) {
    for (std::size_t i = 0; i < count;) {
        // A whole second is read or skipped at a time.
        const std::int64_t at = m_seen + static_cast<std::int64_t>(i);
        const std::size_t run = std::min<std::size_t>(count - i, static_cast<std::size_t>(kSampleRate - at % kSampleRate));
        if (Read(at))
            for (std::size_t k = i; k < i + run; ++k) m_finder.Add(static_cast<float>(samples[k]) / 32768.0F);
        i += run;
    }
    m_seen += static_cast<std::int64_t>(count);
}

ToneEstimate CaptureTones::Find() const {
    const KeyedPair pair = m_finder.Find();
    ToneEstimate out;
    out.found = pair.found;
    out.reason = pair.reason;
    out.lowHz = pair.lowHz;
    out.highHz = pair.highHz;
    out.contrast = pair.overFloor;
    return out;
}

}  // namespace morvane
