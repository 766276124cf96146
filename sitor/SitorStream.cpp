#include "sitor/SitorStream.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace morvane::sitor {

namespace {
constexpr double kRate = 48000.0;
constexpr double kToneSeconds = 30.0;
constexpr double kFirstTries[] = {5.0, 10.0, 20.0, 30.0};
constexpr double kTryEvery = 10.0;
}  // namespace

std::string SitorRunHeading(double lowHz, double highHz, const SyncGuess& sync) {
    char text[160];
    std::snprintf(text, sizeof text, "100 Bd \u00b7 %.0f/%.0f Hz \u00b7 SITOR-B \u00b7 %s", lowHz, highHz,
                  sync.inverted ? "mark (B) on the low tone" : "mark (B) on the high tone");
    return text;
}

SitorStream::SitorStream(SitorStreamOptions options)
    : m_options(options), m_finder(kRate, kToneSeconds), m_reader(options.choice) {
    m_nextTry = m_options.keepHunting ? kFirstTries[0] : kToneSeconds;
    if (m_options.lowHz && m_options.highHz) {
        m_lowHz = std::min(*m_options.lowHz, *m_options.highHz);
        m_highHz = std::max(*m_options.lowHz, *m_options.highHz);
        m_demod.emplace(m_lowHz, m_highHz);
    }
}

void SitorStream::Push(const std::int16_t* samples, std::size_t count) {
    if (m_demod) return Demodulate(samples, count);
    if (m_gaveUp) return;
    // Sample by sample up to each try, so the tries fall where they would
    // whatever the pieces.
    while (count > 0) {
        const auto tryAt = static_cast<std::size_t>(m_nextTry * kRate);
        const std::size_t room = tryAt > m_held.size() ? tryAt - m_held.size() : 0;
        const std::size_t n = std::min(count, room);
        m_held.insert(m_held.end(), samples, samples + n);
        for (std::size_t i = 0; i < n; ++i) m_finder.Add(static_cast<float>(samples[i]));
        samples += n;
        count -= n;
        if (m_held.size() < tryAt) return;
        TryTones(false);
        if (m_demod) return Demodulate(samples, count);
        if (m_gaveUp) return;
    }
}

void SitorStream::TryTones(bool ended) {
    const KeyedPair pair = m_finder.Find(m_options.lowHz, m_options.highHz);
    if (pair.found) {
        m_lowHz = pair.lowHz;
        m_highHz = pair.highHz;
        m_demod.emplace(m_lowHz, m_highHz);
        m_origin = m_heldFrom;
        m_sampleBase = 0;
        std::vector<std::int16_t> held = std::move(m_held);
        m_held.clear();
        Demodulate(held.data(), held.size());
        return;
    }
    m_toneReason = pair.reason;
    if (!m_options.keepHunting || ended) {
        m_gaveUp = true;
        m_held.clear();
        return;
    }
    // Further tries on the last 30 s only.
    const auto keep = static_cast<std::size_t>(kToneSeconds * kRate);
    if (m_held.size() > keep) {
        const std::size_t drop = m_held.size() - keep;
        m_held.erase(m_held.begin(), m_held.begin() + static_cast<std::ptrdiff_t>(drop));
        m_heldFrom += static_cast<std::int64_t>(drop);
    }
    double next = kToneSeconds + kTryEvery;
    for (double t : kFirstTries)
        if (t > m_nextTry) {
            next = t;
            break;
        }
    m_nextTry = next;
}

void SitorStream::Demodulate(const std::int16_t* samples, std::size_t count) {
    m_demod->Push(samples, count);
    const std::size_t before = m_bits.size();
    m_demod->TakeBits(m_bits, m_bitSamples);
    std::vector<ReadCharacter> read;
    m_reader.Add(m_bits.data() + before, m_bits.size() - before, read);
    m_bits.clear();
    Collect(read);
}

void SitorStream::Collect(std::vector<ReadCharacter>& read) {
    for (const ReadCharacter& c : read) {
        const std::int64_t sample = m_bitSamples[static_cast<std::size_t>(c.bit - m_sampleBase)];
        m_out.push_back({c.word, c.afterGap, m_origin + sample});
    }
    // The samples of bits no character can start at any more.
    const std::int64_t reach = std::min(m_reader.Reach(), m_reader.BitsSeen());
    if (reach > m_sampleBase) {
        m_bitSamples.erase(m_bitSamples.begin(), m_bitSamples.begin() + (reach - m_sampleBase));
        m_sampleBase = reach;
    }
}

void SitorStream::Finish() {
    if (!m_demod && !m_gaveUp) TryTones(true);
    if (!m_demod) return;
    m_demod->Finish();
    const std::size_t before = m_bits.size();
    m_demod->TakeBits(m_bits, m_bitSamples);
    std::vector<ReadCharacter> read;
    m_reader.Add(m_bits.data() + before, m_bits.size() - before, read);
    m_bits.clear();
    m_reader.Finish(read);
    Collect(read);
}

std::vector<StreamCharacter> SitorStream::Take() { return std::exchange(m_out, {}); }

}  // namespace morvane::sitor
