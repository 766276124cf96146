#pragma once
#include <cstdint>

#include "align/ToneFinder.h"
#include "cli/LevelSource.h"
#include "dsp/DemodSettings.h"

namespace morvane::cli {

/// The search for the two tones on the first blocks of the sound, block by
/// block, so that the blocks searched can be held back and demodulated
/// afterwards with the tones found.
class ToneHunt {
public:
    enum class Rule {
        /// The first seconds as they come (decode --auto --follow): taken from
        /// 1 s on when the tones stand out clearly, from 3 s on whatever was
        /// found, at most 10 s searched; with `untilFound` (live sound) every
        /// 10 s without tones the search starts afresh on the newest sound.
        FirstSeconds,
        /// The whole recording (align, decode --auto), or its first minute
        /// when the tones stand out far there; with `bounded` (standard input,
        /// whose blocks are held) never more than that first minute.
        Recording,
    };

    explicit ToneHunt(Rule rule, bool untilFound = false, bool bounded = false);

    /// Adds one block of samples; true once the search is over (see Apply).
    bool Add(const std::int16_t* samples, std::size_t count);
    /// The sound has ended before the search was over.
    void End();
    /// Sets the tones searched for in `demod` (with the first seconds, says so
    /// on standard error); throws CliError (status 3) when none were found.
    void Apply(ToneSearch search, DemodSettings& demod) const;
    /// What the spectrum showed.
    const ToneEstimate& Found() const { return m_tones; }

private:
    bool AddFirstSeconds();
    bool AddRecordingBlock();

    Rule m_rule;
    bool m_untilFound;
    bool m_bounded;
    ToneFinder m_finder;
    ToneEstimate m_tones;
    std::int64_t m_samples = 0;
    std::int64_t m_blocks = 0;
};

}  // namespace morvane::cli
