#include "cli/AllSignalsDecode.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/ReceiverDecode.h"
#include "cli/TextOutput.h"
#include "recording/RecordingReader.h"
#include "scanner/SignalRows.h"
#include "scanner/SignalScanner.h"
#ifdef MORVANE_HAVE_LIVE
#include "cli/LiveSource.h"
#endif

namespace morvane::cli {

namespace {
constexpr std::size_t kPiece = 32768;  // samples read at a time (64 KiB)

// The receiver's header with the signal's tone-over-noise; `clock` in place
// of the stream time when given (live sound: the time of day).
std::string Header(const ReceivedTransmission& t, const std::string& clock = {}) {
    char snr[32];
    std::snprintf(snr, sizeof snr, " \u00b7 %.0f dB", t.snrDb);
    std::string header = ReceivedHeader(t);
    if (!clock.empty()) header = clock + header.substr(StreamClock(t.firstSample).size());
    return header + snr;
}

// Lines of several signals as they come, each opened with its signal's tones.
class FollowLines {
public:
    explicit FollowLines(TextOutput& out) : m_out(out) {}
    void Open(int signal, const std::string& label, const std::string& header) {
        if (!m_atLineStart) m_out.Write("\r\n");
        m_atLineStart = true;
        m_out.Flush();
        std::fprintf(stderr, "morvane-cli: %s%s\n", label.c_str(), header.c_str());
        std::fflush(stderr);
        m_owner = signal;
    }
    void Write(int signal, const std::string& label, const std::string& text) {
        if (text.empty()) return;
        if (m_owner != signal && !m_atLineStart) m_out.Write("\r\n");
        if (m_owner != signal) m_atLineStart = true;
        m_owner = signal;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            const std::size_t stop = end == std::string::npos ? text.size() : end;
            if (m_atLineStart && stop > at) m_out.Write(label);
            if (stop > at) m_atLineStart = false;
            m_out.Write(std::string_view(text).substr(at, stop - at));
            if (end == std::string::npos) break;
            if (m_atLineStart) m_out.Write(label);  // an empty line keeps its signal's mark
            m_out.Write("\r\n");
            m_atLineStart = true;
            at = end + 2;
        }
    }
    void End() {
        if (!m_atLineStart) m_out.Write("\r\n");
        m_atLineStart = true;
    }

private:
    TextOutput& m_out;
    int m_owner = 0;
    bool m_atLineStart = true;
};

std::string Label(const ReceivedTransmission& t) {
    return "[" + std::to_string(std::lround(t.tone1Hz)) + "/" + std::to_string(std::lround(t.tone2Hz)) + "] ";
}

// The local wall-clock time, HH:MM:SS, of a moment.
std::string WallClock(std::chrono::system_clock::time_point at) {
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// The scanner over a stream of samples, its text gathered per signal (and
// with `follow` written at once).
class AllSignalsReading {
public:
    AllSignalsReading(const ReceiverOptions& receiver, bool follow, const std::string& output)
        : m_scanner(Options(receiver)), m_out(output), m_lines(m_out), m_follow(follow) {}

    /// Live sound: headers carry the time of day, `started` being the stream's first sample's.
    void SetStart(std::chrono::system_clock::time_point started) { m_started = started; }

    void Push(const std::int16_t* samples, std::size_t count) {
        m_scanner.Push(samples, count);
        if (!m_follow) return;
        Gather();
        m_out.Flush();
    }

    void End() {
        m_scanner.Finish();
        Gather();
        if (m_rows.Empty()) {
            m_out.Close();
            throw CliError(kNothingFound, "no keyed signal found in 100 ... 4000 Hz");
        }
        if (m_follow)
            m_lines.End();
        else
            for (const SignalRow* row : m_rows.InToneOrder()) {
                m_out.Write("== " + Header(row->first, Clock(row->first)) + "\r\n");
                m_out.Write(row->text);
                m_out.Write("\r\n");
            }
        m_out.Close();
    }

private:
    static ScannerOptions Options(const ReceiverOptions& receiver) {
        ScannerOptions options;
        options.sampleRate = RecordingReader::kRate;
        options.receiver = receiver;
        return options;
    }

    std::string Clock(const ReceivedTransmission& t) const {
        if (!m_started) return {};
        return WallClock(*m_started + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                          std::chrono::duration<double>(double(t.firstSample) / RecordingReader::kRate)));
    }

    void Gather() {
        for (const RowPiece& p : m_rows.Add(m_scanner.Take())) {
            if (!m_follow) continue;
            const std::string label = Label(m_rows.Row(p.block)->first);
            if (p.opens) m_lines.Open(p.block, label, Header(p.transmission, Clock(p.transmission)));
            m_lines.Write(p.block, label, p.text);
        }
    }

    SignalScanner m_scanner;
    SignalRows m_rows;
    TextOutput m_out;
    FollowLines m_lines;
    bool m_follow;
    std::optional<std::chrono::system_clock::time_point> m_started;
};
}  // namespace

void AllSignalsDecode(const LevelSourceOptions& source, const ReceiverOptions& receiver, bool follow,
                      const std::string& output) {
    if (source.live) {
#ifdef MORVANE_HAVE_LIVE
        LiveSource::CheckWords(source);
        AllSignalsReading reading(receiver, follow, output);
        bool first = true;
        LiveSource(source).CaptureSamples([&](const std::int16_t* samples, std::size_t count, std::int64_t) {
            if (first) {
                // The scanner's first sample is the first the card delivered.
                first = false;
                reading.SetStart(std::chrono::system_clock::now() -
                                 std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                     std::chrono::duration<double>(double(count) / RecordingReader::kRate)));
            }
            reading.Push(samples, count);
        });
        reading.End();
        return;
#else
        throw CLI::ValidationError("--live", "this morvane-cli was built without sound capture");
#endif
    }
    RecordingReader reader(source.recording, source.channel);
    AllSignalsReading reading(receiver, follow, output);
    std::vector<std::int16_t> samples(kPiece);
    while (const std::size_t n = reader.Read(samples.data(), samples.size())) reading.Push(samples.data(), n);
    ReportWarning(reader);
    reading.End();
}

void CheckAllSignals(bool all, bool autoAlign, bool tonesGiven, bool receiverReads) {
    if (!all) return;
    if (!autoAlign) throw CLI::ValidationError("--all", "goes with --auto: every signal is found and read");
    if (tonesGiven)
        throw CLI::ValidationError("--all", "finds every signal's tones itself: not with --low or --high");
    if (!receiverReads)
        throw CLI::ValidationError("--all", "reads the samples: not with --reader levels, raster options, "
                                            "--soft-trim, --reverse-bits, --reverse-direction, --ignore or --show-bits");
}

}  // namespace morvane::cli
