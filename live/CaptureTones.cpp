#include "live/CaptureTones.h"

#include <algorithm>

#include "dsp/SampleFormat.h"
#include "receiver/KeyedToneFinder.h"

namespace morvane {

namespace {
constexpr std::size_t kKeptSeconds = 40;
constexpr std::int64_t kAllSeconds = 10, kSparseUntil = 90, kEvery = 8, kRarelyEvery = 128;
}  // namespace

bool CaptureTones::Read(std::int64_t position) {
    const std::int64_t second = position / kSampleRate;
    return second < kAllSeconds || second % (second < kSparseUntil ? kEvery : kRarelyEvery) == 0;
}

void CaptureTones::Add(const std::int16_t* samples, std::size_t count) {
    for (std::size_t i = 0; i < count;) {
        // A whole second is read or skipped at a time.
        const std::int64_t at = m_seen + static_cast<std::int64_t>(i);
        const std::size_t run = std::min<std::size_t>(count - i, static_cast<std::size_t>(kSampleRate - at % kSampleRate));
        if (Read(at)) {
            if (at / kSampleRate != m_lastSecond) {
                m_read.emplace_back();
                m_lastSecond = at / kSampleRate;
                if (m_read.size() > kKeptSeconds) m_read.pop_front();
            }
            m_read.back().insert(m_read.back().end(), samples + i, samples + i + run);
        }
        i += run;
    }
    m_seen += static_cast<std::int64_t>(count);
}

double CaptureTones::Seconds() const {
    std::size_t samples = 0;
    for (const std::vector<std::int16_t>& second : m_read) samples += second.size();
    return static_cast<double>(samples) / kSampleRate;
}

ToneEstimate CaptureTones::Find() const {
    // Seconds read apart are joined: of the frames (23 a second) one straddles each join.
    KeyedToneFinder finder(kSampleRate, static_cast<double>(kKeptSeconds + 1));
    for (const std::vector<std::int16_t>& second : m_read)
        for (std::int16_t x : second) finder.Add(static_cast<float>(x) / 32768.0F);
    const KeyedPair pair = finder.Find();
    ToneEstimate out;
    out.found = pair.found;
    out.reason = pair.reason;
    out.lowHz = pair.lowHz;
    out.highHz = pair.highHz;
    out.contrast = pair.overFloor;
    return out;
}

}  // namespace morvane
