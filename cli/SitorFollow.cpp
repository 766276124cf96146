#include "cli/SitorFollow.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <vector>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/ReceiverDecode.h"
#include "cli/TextOutput.h"
#include "cli/WallClock.h"
#include "recording/RecordingReader.h"
#include "sitor/SitorStream.h"
#include "sitor/SitorTextFollower.h"
#ifdef MORVANE_HAVE_LIVE
#include "cli/LiveSource.h"
#endif

namespace morvane::cli {

namespace {
constexpr std::size_t kPiece = 4800;  // 0.1 s

// Writes the follower's pieces as they come.
class FollowWriter {
public:
    FollowWriter(const SitorChoice& choice, const std::string& output)
        : m_choice(choice), m_toDir(choice.navtex && !output.empty() && output != "-" && std::filesystem::is_directory(output)),
          m_dir(output), m_out(m_toDir ? std::string() : output) {}

    void Write(const std::vector<sitor::SitorTextPiece>& pieces, const sitor::SitorStream& stream) {
        for (const sitor::SitorTextPiece& p : pieces) {
            switch (p.kind) {
                case sitor::SitorTextPiece::Kind::Emission:
                    m_any = true;
                    Header(SitorRunHeader(ClockOf(p.sample), stream.LowHz(), stream.HighHz(), stream.Reader().Strongest()));
                    break;
                case sitor::SitorTextPiece::Kind::MessageStart:
                    if (!m_choice.navtex) Header(SitorMessageHeader(ClockOf(p.sample), p.message));
                    break;
                case sitor::SitorTextPiece::Kind::Text:
                    if (!m_choice.navtex) m_out.Write(p.text);
                    break;
                case sitor::SitorTextPiece::Kind::MessageEnd:
                    if (m_choice.navtex && !p.repeat) Message(p);
                    break;
            }
        }
        m_out.Flush();
    }

    void Close(const sitor::SitorStream& stream) {
        if (!m_any) {
            m_out.Close();
            if (!stream.TonesKnown()) throw CliError(kNothingFound, "tones: " + stream.ToneReason());
            throw CliError(kNothingFound, "code: no SITOR-B (no stretch of 7-bit constant-ratio words)");
        }
        if (m_choice.navtex && m_messages == 0) {
            m_out.Close();
            throw CliError(kNothingFound, "SITOR-B read, but no NAVTEX message (ZCZC ... NNNN) in it");
        }
        if (!m_choice.navtex) m_out.Write("\r\n");
        m_out.Close();
    }

    // Live sound: the clock is the time of day, from the wall-clock time of the stream's first sample.
    void StartsAt(std::chrono::system_clock::time_point at) { m_started = at; }

private:
    std::string ClockOf(std::int64_t sample) const {
        if (!m_started) return StreamClock(sample);
        return WallClockAt(*m_started, sample, RecordingReader::kRate);
    }

    void Header(const std::string& line) {
        m_out.Flush();
        std::fprintf(stderr, "morvane-cli: %s\n", line.c_str());
        std::fflush(stderr);
    }

    void Message(const sitor::SitorTextPiece& p) {
        ++m_messages;
        const std::string block = sitor::NavtexBlock(p.message, ClockOf(p.sample));
        if (!m_toDir) return m_out.Write(block);
        TextOutput file((std::filesystem::path(m_dir) / MessageFileName(p.message, m_names)).string());
        file.Write(block);
        file.Close();
    }

    const SitorChoice& m_choice;
    bool m_toDir;
    std::string m_dir;
    TextOutput m_out;
    bool m_any = false;
    int m_messages = 0;
    std::map<std::string, int> m_names;
    std::optional<std::chrono::system_clock::time_point> m_started;
};

sitor::SitorStream MakeStream(const LevelSourceOptions& source, std::optional<double> low, std::optional<double> high,
                              const SitorChoice& choice) {
    sitor::SitorStreamOptions o;
    o.lowHz = low;
    o.highHz = high;
    o.choice = DiversityChoice(choice);
    o.keepHunting = source.live || source.recording == "-";
    try {
        return sitor::SitorStream(o);
    } catch (const std::invalid_argument& e) {
        throw CLI::ValidationError("--low/--high", e.what());
    }
}
}  // namespace

void SitorFollow(const LevelSourceOptions& source, std::optional<double> low, std::optional<double> high,
                 const SitorChoice& choice, const std::string& output) {
#ifdef MORVANE_HAVE_LIVE
    LiveSource::CheckWords(source);  // card switches and --seconds only with --live
#endif
    sitor::SitorStream stream = MakeStream(source, low, high, choice);
    sitor::SitorTextFollower follower;
    std::vector<sitor::SitorTextPiece> pieces;
    const auto step = [&](FollowWriter& writer) {
        follower.Add(stream.Take(), pieces);
        writer.Write(pieces, stream);
        pieces.clear();
    };
#ifdef MORVANE_HAVE_LIVE
    if (source.live) {
        FollowWriter writer(choice, output);
        bool first = true;
        LiveSource(source).CaptureSamples([&](const std::int16_t* samples, std::size_t count, std::int64_t firstSample) {
            if (first) {
                first = false;
                // The capture's sample firstSample + count is now; the stream starts at its first block handed on.
                writer.StartsAt(std::chrono::system_clock::now() -
                                std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                    std::chrono::duration<double>(double(count) / RecordingReader::kRate)));
                (void)firstSample;
            }
            stream.Push(samples, count);
            step(writer);
        });
        stream.Finish();
        step(writer);
        follower.Finish(pieces);
        writer.Write(pieces, stream);
        writer.Close(stream);
        return;
    }
#endif
    RecordingReader reader(source.recording, source.channel);
    FollowWriter writer(choice, output);
    std::vector<std::int16_t> piece(kPiece);
    while (const std::size_t n = reader.Read(piece.data(), piece.size())) {
        stream.Push(piece.data(), n);
        step(writer);
    }
    ReportWarning(reader);
    stream.Finish();
    step(writer);
    follower.Finish(pieces);
    writer.Write(pieces, stream);
    writer.Close(stream);
}

}  // namespace morvane::cli
