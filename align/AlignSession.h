#pragma once
#include <cstdint>
#include <string>

#include "align/AlignPolicy.h"
#include "align/ShownRaster.h"

namespace morvane {

/// What "Align" needs of the window it works in.
class AlignHost {
public:
    virtual ~AlignHost() = default;
    /// Whether a recording is being read into the stream now.
    virtual bool Reading() const = 0;
    /// Finds the tones and the frames of what the stream holds (AlignStream);
    /// `source` names it in the status.
    virtual AlignOutcome Measure(const std::string& source) = 0;
    /// Puts both tones (Hz) in the fields; the demodulator takes them.
    virtual void SetTones(std::int32_t lowHz, std::int32_t highHz) = 0;
    /// Reads the recording `path` again from its first sample with the tones set.
    virtual void ReadAgain(const std::string& path) = 0;
    /// Fills the fields (and, with frames, the Bits extract options) from
    /// what was found and redraws; returns the bits the raster then shows
    /// (empty without frames).
    virtual ShownBits ApplyFound(const AlignOutcome& found) = 0;
    /// Bits extract opens with the soft (true) or the hard reading.
    virtual void ChooseSoft(bool soft) = 0;
    /// Shows `text` in the status line for some seconds.
    virtual void Notice(const std::string& text) = 0;
};

/// "Align" across readings. It knows what the level stream was made from (a
/// recording read, or a capture of the input). Asked while a recording is
/// read, it aligns once the recording has been read. When it finds tones far
/// from the fields in a recording, it sets them and reads the recording again
/// with them, then aligns on that reading. Bits extract is set to the reading
/// (soft or hard) that gives more readable characters.
class AlignSession {
public:
    explicit AlignSession(AlignHost& host) : m_host(host) {}

    /// A recording `path`, named `name`, is read into the stream from now on
    /// (an empty path: the reading could not start, the stream holds nothing named).
    void RecordingOpened(const std::string& path, const std::string& name);
    /// A capture of the input started: the stream holds what it captures.
    void CaptureStarted() { RecordingOpened({}, {}); }
    /// "Align" asked.
    void Ask();
    /// The reading ended; `stopped`: before the recording's end (an Align
    /// waiting for it is dropped).
    void ReadingFinished(bool stopped);

    /// What the stream was made from, as the status names it: the
    /// recording's name, or "the capture".
    std::string SourceName() const { return m_name.empty() ? "the capture" : m_name; }
    /// Whether an Align waits for the reading's end.
    bool Waiting() const { return m_waiting; }

private:
    void Run(bool mayReadAgain);
    std::string Apply(const AlignOutcome& found);

    AlignHost& m_host;
    std::string m_path;  // the recording the stream holds, or empty
    std::string m_name;
    bool m_waiting = false;
    std::string m_note;  // how the tones came about before a reading again
};

}  // namespace morvane
