#include "cli/ToneHunt.h"

#include <cstdio>
#include <string>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "dsp/SampleFormat.h"
#include "text/TextNumbers.h"

namespace morvane::cli {

namespace {
constexpr std::int64_t kRate = kSampleRate;
constexpr std::int64_t kEarliestSearch = 1;  // seconds of sound before tones that stand out are taken
constexpr std::int64_t kToneSeconds = 3;     // ... before any tones found are taken
constexpr std::int64_t kLongestSearch = 10;  // ... and the most searched
constexpr double kClearTones = 100.0;        // the weaker tone this far above the band's median stands out
// Two tones that stand far out of the first minute of a recording need no
// more: the rest of a long recording is not read twice.
constexpr std::int64_t kMinuteOfBlocks = 88;
constexpr std::int64_t kCheckEvery = 16;     // blocks between looks after the first minute
}  // namespace

ToneHunt::ToneHunt(Rule rule, bool untilFound, bool bounded)
    : m_rule(rule), m_untilFound(untilFound), m_bounded(bounded) {}

bool ToneHunt::Add(const std::int16_t* samples, std::size_t count) {
    m_finder.Add(samples, count);
    m_samples += static_cast<std::int64_t>(count);
    ++m_blocks;
    return m_rule == Rule::FirstSeconds ? AddFirstSeconds() : AddRecordingBlock();
}

bool ToneHunt::AddFirstSeconds() {
    if (m_samples < kEarliestSearch * kRate) return false;
    m_tones = m_finder.Find();
    if (m_tones.found && (m_tones.contrast >= kClearTones || m_samples >= kToneSeconds * kRate)) return true;
    if (m_samples < kLongestSearch * kRate) return false;
    if (!m_untilFound) return true;
    m_finder = ToneFinder();
    m_samples = 0;
    return false;
}

bool ToneHunt::AddRecordingBlock() {
    if (m_blocks < kMinuteOfBlocks || m_blocks % kCheckEvery != 0) return false;
    m_tones = m_finder.Find();
    return (m_tones.found && m_tones.contrast >= kClearTones) || m_bounded;
}

void ToneHunt::End() { m_tones = m_finder.Find(); }

void ToneHunt::Apply(ToneSearch search, DemodSettings& demod) const {
    if (m_rule == Rule::Recording) {
        if (!m_tones.found)
            throw CliError(kNothingFound, "cannot find the tones: " + m_tones.reason + "; give --low and --high");
    } else if (!m_tones.found) {
        throw CliError(kNothingFound, "cannot find the tones in the first " + std::to_string(kLongestSearch) +
                                          " s: " + m_tones.reason + "; give --low and --high");
    }
    if (search.low) demod.tone1Hz = static_cast<float>(m_tones.lowHz);
    if (search.high) demod.tone2Hz = static_cast<float>(m_tones.highHz);
    if (m_rule == Rule::FirstSeconds)
        std::fprintf(stderr, "morvane-cli: tones: low %s Hz (tone 1), high %s Hz (tone 2), found in the first %.1f s\n",
                     ShortDecimal(demod.tone1Hz, 1).c_str(), ShortDecimal(demod.tone2Hz, 1).c_str(),
                     static_cast<double>(m_samples) / kRate);
}

}  // namespace morvane::cli
