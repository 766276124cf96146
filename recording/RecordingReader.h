#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "dsp/SampleFormat.h"

namespace morvane {

/// Reads a recording as signed 16-bit mono samples at 48 000 per second, a
/// piece at a time, so memory does not grow with the recording.
///
/// A path names any file libsndfile reads (WAV, FLAC, Ogg, AIFF, ...) at a
/// sample rate of 1 000 … 10 000 000 Hz. Rates other than 48 kHz are
/// resampled with libsoxr at high quality; samples are converted to 16 bits
/// with rounding and clipping. A 16-bit file at 48 kHz is passed
/// through sample for sample. The path "-" reads raw signed 16-bit
/// little-endian mono samples at 48 kHz from standard input; an odd last byte
/// is ignored. A recording with no samples reads as empty (not an error); a
/// cut-off file gives the sound it holds, with a Warning().
///
/// Errors (missing, empty, corrupt or non-audio files, a channel the file
/// does not have, read failures) throw std::runtime_error with the message
/// "cannot read 'PATH': REASON".
class RecordingReader {
public:
    static constexpr std::int32_t kRate = kSampleRate;

    /// path: a sound file, or "-" for standard input. channel: 1 is the first.
    explicit RecordingReader(const std::string& path, std::int32_t channel = 1);
    ~RecordingReader();
    RecordingReader(const RecordingReader&) = delete;
    RecordingReader& operator=(const RecordingReader&) = delete;

    /// Fills out with up to maxSamples samples; fewer only at the end of the
    /// recording. Returns the number written, 0 once the recording is done.
    std::size_t Read(std::int16_t* out, std::size_t maxSamples);

    /// The name used in messages: the path, or "standard input".
    const std::string& Name() const;
    std::int32_t SourceRate() const;
    std::int32_t Channels() const;
    bool Resampling() const;
    /// Non-empty when the file holds less sound than its header announces
    /// (a cut-off recording): the samples present are read all the same. Known
    /// from the header at once for WAV, AIFF, AU and W64, and once the end has
    /// been read for every format (fewer frames than announced). Also when
    /// a header announces less sound than the file holds (bytes after the
    /// sound that are no chunk): the sound the header announces is read, the
    /// bytes behind it are not.
    const std::string& Warning() const;
    /// How many 48 kHz samples the whole recording should give, from its
    /// header (an estimate when resampling); -1 when unknown (standard input).
    std::int64_t ExpectedSamples() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace morvane
