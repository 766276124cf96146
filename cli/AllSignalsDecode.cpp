#include "cli/AllSignalsDecode.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/ReceiverDecode.h"
#include "cli/SitorDecode.h"
#include "cli/TextOutput.h"
#include "cli/WallClock.h"
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

bool EndsLine(const std::string& text) { return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0; }

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
            WriteBlocks();
        m_out.Close();
    }

    /// A recording's signals are read again as SITOR-B before their blocks are written.
    void ReadSitorFrom(const LevelSourceOptions& source) { m_sitorSource = source; }

private:
    static ScannerOptions Options(const ReceiverOptions& receiver) {
        ScannerOptions options;
        options.sampleRate = RecordingReader::kRate;
        options.receiver = receiver;
        return options;
    }

    std::string Clock(const ReceivedTransmission& t) const {
        if (!m_started) return {};
        return WallClockAt(*m_started, t.firstSample, RecordingReader::kRate);
    }

    // One block per signal in the order of its lower tone.
    void WriteBlocks() {
        const std::vector<const SignalRow*> rows = m_rows.InToneOrder();
        std::vector<std::string> headers, texts;
        for (const SignalRow* row : rows) {
            headers.push_back(Header(row->first, Clock(row->first)));
            texts.push_back(row->text);
        }
        if (m_sitorSource) ReadAsSitor(*m_sitorSource, rows, headers, texts);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            m_out.Write("== " + headers[i] + "\r\n");
            m_out.Write(texts[i]);
            m_out.Write("\r\n");
        }
    }

    // Every signal is read again as SITOR-B, all in one pass (the receiver
    // takes its synchronous words for Baudot or ASCII at whatever rate fits
    // them best): one that locks gets SITOR-B's header and text.
    static void ReadAsSitor(const LevelSourceOptions& source, const std::vector<const SignalRow*>& rows,
                            std::vector<std::string>& headers, std::vector<std::string>& texts) {
        std::vector<std::pair<double, double>> tones;
        for (const SignalRow* row : rows)
            tones.emplace_back(std::min(row->first.tone1Hz, row->first.tone2Hz),
                               std::max(row->first.tone1Hz, row->first.tone2Hz));
        if (tones.empty()) return;
        const std::vector<SitorSignal> read = ReadSitorSignals(source, tones);
        for (std::size_t i = 0; i < read.size() && i < rows.size(); ++i) {
            if (!read[i].found) continue;
            char snr[32];
            std::snprintf(snr, sizeof snr, " \u00b7 %.0f dB", rows[i]->first.snrDb);
            headers[i] = StreamClock(read[i].firstSample) + " \u00b7 " + read[i].heading + snr;
            texts[i] = read[i].text;
            while (EndsLine(texts[i])) texts[i].resize(texts[i].size() - 2);
        }
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
    std::optional<LevelSourceOptions> m_sitorSource;
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
    if (!follow && source.recording != "-") reading.ReadSitorFrom(source);
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
