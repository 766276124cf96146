#include "cli/AllSignalsDecode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/ReceiverDecode.h"
#include "cli/SitorDecode.h"
#include "cli/TextOutput.h"
#include "recording/RecordingReader.h"
#include "scanner/SignalScanner.h"

namespace morvane::cli {

namespace {
constexpr std::size_t kPiece = 32768;  // samples read at a time (64 KiB)

// The receiver's header with the signal's tone-over-noise.
std::string Header(const ReceivedTransmission& t) {
    char snr[32];
    std::snprintf(snr, sizeof snr, " \u00b7 %.0f dB", t.snrDb);
    return ReceivedHeader(t) + snr;
}

bool EndsLine(const std::string& text) { return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0; }

// One signal's text gathered for its block.
struct SignalText {
    std::optional<ReceivedTransmission> first;
    std::string text;
    std::string sitorHeader;  // set when the signal reads as SITOR-B: its block's first line
};

// Lines of several signals as they come, each opened with its signal's tones.
class FollowLines {
public:
    explicit FollowLines(TextOutput& out) : m_out(out) {}
    void Open(int signal, const std::string& label, const ReceivedTransmission& t) {
        if (!m_atLineStart) m_out.Write("\r\n");
        m_atLineStart = true;
        m_out.Flush();
        std::fprintf(stderr, "morvane-cli: %s%s\n", label.c_str(), Header(t).c_str());
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

constexpr double kSameSignalHz = 30.0;  // a signal closed and found again at these tones is the same

// The block a signal's pieces go to: a signal found again at the tones of
// one closed before goes on in that one's block.
int BlockOf(const ScannedPiece& p, std::map<int, SignalText>& signals, std::map<int, int>& blocks) {
    if (const auto it = blocks.find(p.signal); it != blocks.end()) return it->second;
    if (p.piece.opens)
        for (const auto& [id, s] : signals)
            if (s.first && std::fabs(s.first->tone1Hz - p.piece.transmission.tone1Hz) <= kSameSignalHz &&
                std::fabs(s.first->tone2Hz - p.piece.transmission.tone2Hz) <= kSameSignalHz)
                return blocks[p.signal] = id;
    return blocks[p.signal] = p.signal;
}

// Gathers the pieces per signal; with `follow` writes them at once as well.
void Gather(std::vector<ScannedPiece> pieces, std::map<int, SignalText>& signals, std::map<int, int>& blocks,
            FollowLines* follow) {
    for (ScannedPiece& p : pieces) {
        const int block = BlockOf(p, signals, blocks);
        SignalText& s = signals[block];
        if (p.piece.opens) {
            if (!s.first) s.first = p.piece.transmission;
            else if (!s.text.empty() && !EndsLine(s.text)) s.text += "\r\n";
            if (follow) follow->Open(block, Label(*s.first), p.piece.transmission);
        }
        if (!s.first) continue;  // text comes only after a transmission opened
        s.text += p.piece.text;
        if (follow) follow->Write(block, Label(*s.first), p.piece.text);
    }
}

// Every signal is read again as SITOR-B, all in one pass (the receiver
// takes its synchronous words for Baudot or ASCII at whatever rate fits
// them best): one that locks gets SITOR-B's header and text.
void ReadAsSitor(const LevelSourceOptions& source, std::map<int, SignalText>& signals) {
    std::vector<SignalText*> candidates;
    std::vector<std::pair<double, double>> tones;
    for (auto& [id, s] : signals)
        if (s.first) {
            candidates.push_back(&s);
            tones.emplace_back(std::min(s.first->tone1Hz, s.first->tone2Hz), std::max(s.first->tone1Hz, s.first->tone2Hz));
        }
    if (candidates.empty()) return;
    const std::vector<SitorSignal> read = ReadSitorSignals(source, tones);
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (!read[i].found) continue;
        char snr[32];
        std::snprintf(snr, sizeof snr, " \u00b7 %.0f dB", candidates[i]->first->snrDb);
        candidates[i]->sitorHeader = StreamClock(read[i].firstSample) + " \u00b7 " + read[i].heading + snr;
        candidates[i]->text = read[i].text;
        while (EndsLine(candidates[i]->text)) candidates[i]->text.resize(candidates[i]->text.size() - 2);
    }
}

void WriteBlocks(const std::map<int, SignalText>& signals, TextOutput& out) {
    std::vector<const SignalText*> order;
    for (const auto& [id, s] : signals)
        if (s.first) order.push_back(&s);
    std::stable_sort(order.begin(), order.end(),
                     [](const SignalText* a, const SignalText* b) { return a->first->tone1Hz < b->first->tone1Hz; });
    for (const SignalText* s : order) {
        out.Write("== " + (s->sitorHeader.empty() ? Header(*s->first) : s->sitorHeader) + "\r\n");
        out.Write(s->text);
        out.Write("\r\n");
    }
}
}  // namespace

void AllSignalsDecode(const LevelSourceOptions& source, const ReceiverOptions& receiver, bool follow,
                      const std::string& output) {
    RecordingReader reader(source.recording, source.channel);
    ScannerOptions options;
    options.sampleRate = RecordingReader::kRate;
    options.receiver = receiver;
    SignalScanner scanner(options);
    TextOutput out(output);
    FollowLines lines(out);
    std::map<int, SignalText> signals;
    std::map<int, int> blocks;  // signal → the block its text goes to
    std::vector<std::int16_t> samples(kPiece);
    while (const std::size_t n = reader.Read(samples.data(), samples.size())) {
        scanner.Push(samples.data(), n);
        if (!follow) continue;
        Gather(scanner.Take(), signals, blocks, &lines);
        out.Flush();
    }
    ReportWarning(reader);
    scanner.Finish();
    Gather(scanner.Take(), signals, blocks, follow ? &lines : nullptr);
    const bool any = std::any_of(signals.begin(), signals.end(), [](const auto& s) { return s.second.first.has_value(); });
    if (!any) {
        out.Close();
        throw CliError(kNothingFound, "no keyed signal found in 100 ... 4000 Hz");
    }
    if (follow)
        lines.End();
    else {
        if (source.recording != "-") ReadAsSitor(source, signals);
        WriteBlocks(signals, out);
    }
    out.Close();
}

void CheckAllSignals(bool all, bool autoAlign, bool live, bool tonesGiven, bool receiverReads) {
    if (!all) return;
    if (!autoAlign) throw CLI::ValidationError("--all", "goes with --auto: every signal is found and read");
    if (live) throw CLI::ValidationError("--all", "reads a recording or standard input, not --live");
    if (tonesGiven)
        throw CLI::ValidationError("--all", "finds every signal's tones itself: not with --low or --high");
    if (!receiverReads)
        throw CLI::ValidationError("--all", "reads the samples: not with --reader levels, raster options, "
                                            "--soft-trim, --reverse-bits, --reverse-direction, --ignore or --show-bits");
}

}  // namespace morvane::cli
