#include "cli/SitorDecode.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/ReceiverDecode.h"
#include "cli/TextOutput.h"
#ifdef MORVANE_HAVE_LIVE
#include "cli/LiveSource.h"
#endif
#include "receiver/KeyedToneFinder.h"
#include "recording/RecordingReader.h"
#include "sitor/NavtexMessages.h"
#include "sitor/SitorDecoder.h"
#include "sitor/SitorDemodulator.h"
#include "sitor/SitorStream.h"
#include "sitor/SitorTextFollower.h"

namespace morvane::cli {

namespace {
constexpr std::size_t kPiece = 32768;
constexpr double kToneSeconds = 30.0;
constexpr double kLookSeconds = 60.0;

struct SoftStream {
    double lowHz = 0.0, highHz = 0.0;
    std::vector<float> bits;
    std::vector<std::int64_t> samples;
};

// Fills a buffer with up to n samples; fewer only at the end.
using SampleRead = std::function<std::size_t(std::int16_t*, std::size_t)>;

// Reads the sound (at most `seconds` of it; 0: all) into soft bits: the
// tones found on the first 30 s unless both are given.
SoftStream ReadSoftFrom(const SampleRead& read, std::optional<double> low, std::optional<double> high,
                        double seconds) {
    const auto limit = static_cast<std::size_t>(seconds * RecordingReader::kRate);
    std::vector<std::int16_t> held, piece(kPiece);
    KeyedToneFinder finder(RecordingReader::kRate, kToneSeconds);
    const auto holdLimit = static_cast<std::size_t>(kToneSeconds * RecordingReader::kRate);
    while (!(low && high) && held.size() < holdLimit) {
        const std::size_t n = read(piece.data(), std::min(piece.size(), holdLimit - held.size()));
        if (n == 0) break;
        held.insert(held.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(n));
        for (std::size_t i = 0; i < n; ++i) finder.Add(static_cast<float>(piece[i]));
    }
    SoftStream s;
    if (low && high) {
        s.lowHz = std::min(*low, *high), s.highHz = std::max(*low, *high);
    } else {
        const KeyedPair pair = finder.Find(low, high);
        if (!pair.found) throw CliError(kNothingFound, "tones: " + pair.reason);
        s.lowHz = pair.lowHz, s.highHz = pair.highHz;
    }
    std::optional<sitor::SitorDemodulator> made;
    try {
        made.emplace(s.lowHz, s.highHz);
    } catch (const std::invalid_argument& e) {
        throw CLI::ValidationError("--low/--high", e.what());
    }
    sitor::SitorDemodulator& demod = *made;
    std::size_t done = std::min(held.size(), limit ? limit : held.size());
    demod.Push(held.data(), done);
    held.clear();
    while (!limit || done < limit) {
        const std::size_t n = read(piece.data(), limit ? std::min(piece.size(), limit - done) : piece.size());
        if (n == 0) break;
        demod.Push(piece.data(), n);
        done += n;
    }
    demod.Finish();
    s.bits = demod.Bits();
    s.samples = demod.BitSamples();
    return s;
}

// The same on a recording.
SoftStream ReadSoft(const LevelSourceOptions& source, std::optional<double> low, std::optional<double> high,
                    double seconds) {
    RecordingReader reader(source.recording, source.channel);
    SoftStream s = ReadSoftFrom([&reader](std::int16_t* out, std::size_t n) { return reader.Read(out, n); }, low,
                                high, seconds);
    if (seconds <= 0.0) ReportWarning(reader);
    return s;
}

std::string Polarity(const sitor::SyncGuess& g) { return g.inverted ? "mark (B) on the low tone" : "mark (B) on the high tone"; }

// The sample where the text at `textAt` was sent.
std::int64_t SampleOfText(const SoftStream& s, const std::vector<sitor::ReadCharacter>& chars,
                          const std::vector<std::size_t>& starts, std::size_t textAt) {
    const auto it = std::upper_bound(starts.begin(), starts.end(), textAt);
    const std::size_t i = it == starts.begin() ? 0 : static_cast<std::size_t>(it - starts.begin()) - 1;
    if (i >= chars.size()) return 0;
    return s.samples[static_cast<std::size_t>(chars[i].bit)];
}

void WriteMessages(const SoftStream& s, const sitor::SitorReading& r, const std::string& text,
                   const std::vector<std::size_t>& starts, const std::string& output) {
    std::vector<sitor::NavtexMessage> messages = sitor::KeepOnce(sitor::FindNavtexMessages(text));
    if (messages.empty()) throw CliError(kNothingFound, "SITOR-B read, but no NAVTEX message (ZCZC ... NNNN) in it");
    const bool toDir = !output.empty() && output != "-" && std::filesystem::is_directory(output);
    std::map<std::string, int> names;
    TextOutput out(toDir ? std::string() : output);
    for (const sitor::NavtexMessage& m : messages) {
        const std::string block = sitor::NavtexBlock(m, StreamClock(SampleOfText(s, r.characters, starts, m.at)));
        if (!toDir) {
            out.Write(block);
            continue;
        }
        TextOutput file((std::filesystem::path(output) / MessageFileName(m, names)).string());
        file.Write(block);
        file.Close();
    }
    out.Close();
}

void Write(const SoftStream& s, const SitorChoice& choice, const std::string& output) {
    const sitor::SitorReading r = sitor::ReadSitorB(s.bits, DiversityChoice(choice));
    if (r.characters.empty()) throw CliError(kNothingFound, "code: no SITOR-B (no stretch of 7-bit constant-ratio words)");
    std::fprintf(stderr, "morvane-cli: %s\n",
                 SitorRunHeader(StreamClock(s.samples[static_cast<std::size_t>(r.characters.front().bit)]), s.lowHz,
                                s.highHz, r.strongest)
                     .c_str());
    std::vector<std::size_t> starts;
    const std::string text = sitor::SitorText(r.characters, &starts);
    if (choice.navtex) return WriteMessages(s, r, text, starts, output);
    // Each NAVTEX message's header goes to standard error where it starts.
    TextOutput out(output);
    std::size_t done = 0;
    for (const sitor::NavtexMessage& m : sitor::FindNavtexMessages(text)) {
        out.Write(std::string_view(text).substr(done, m.at - done));
        out.Flush();
        done = m.at;
        std::fprintf(stderr, "morvane-cli: %s\n",
                     SitorMessageHeader(StreamClock(SampleOfText(s, r.characters, starts, m.at)), m).c_str());
        std::fflush(stderr);
    }
    out.Write(std::string_view(text).substr(done));
    out.Write("\r\n");
    out.Close();
}
}  // namespace

sitor::CopyChoice DiversityChoice(const SitorChoice& c) {
    if (c.diversity == "off") return sitor::CopyChoice::DxOnly;
    if (c.diversity == "valid") return sitor::CopyChoice::Valid;
    return sitor::CopyChoice::Margin;
}

std::string SitorRunHeader(const std::string& clock, double lowHz, double highHz, const sitor::SyncGuess& sync) {
    return clock + " \u00b7 " + sitor::SitorRunHeading(lowHz, highHz, sync);
}

std::string SitorMessageHeader(const std::string& clock, const sitor::NavtexMessage& message) {
    return clock + " \u00b7 " + sitor::NavtexHeading(message);
}

std::string MessageFileName(const sitor::NavtexMessage& message, std::map<std::string, int>& names) {
    std::string name = message.id;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    const int copy = ++names[name];
    if (copy > 1) name += "-" + std::to_string(copy);
    return name + ".txt";
}

std::vector<SitorSignal> ReadSitorSignals(const LevelSourceOptions& source,
                                          const std::vector<std::pair<double, double>>& tones) {
    std::vector<sitor::SitorStream> streams;
    for (const auto& [low, high] : tones) {
        sitor::SitorStreamOptions o;
        o.lowHz = low;
        o.highHz = high;
        streams.emplace_back(o);
    }
    std::vector<sitor::SitorTextFollower> followers(streams.size());
    std::vector<SitorSignal> out(streams.size());
    std::vector<sitor::SitorTextPiece> pieces;
    const auto gather = [&](std::size_t i) {
        followers[i].Add(streams[i].Take(), pieces);
        for (const sitor::SitorTextPiece& p : pieces) {
            if (p.kind == sitor::SitorTextPiece::Kind::Emission && out[i].heading.empty()) out[i].firstSample = p.sample;
            if (p.kind == sitor::SitorTextPiece::Kind::Text) out[i].text += p.text;
        }
        pieces.clear();
    };
    RecordingReader reader(source.recording, source.channel);
    std::vector<std::int16_t> piece(kPiece);
    while (const std::size_t n = reader.Read(piece.data(), piece.size()))
        for (std::size_t i = 0; i < streams.size(); ++i) {
            streams[i].Push(piece.data(), n);
            gather(i);
        }
    for (std::size_t i = 0; i < streams.size(); ++i) {
        streams[i].Finish();
        gather(i);
        followers[i].Finish(pieces);
        for (const sitor::SitorTextPiece& p : pieces)
            if (p.kind == sitor::SitorTextPiece::Kind::Text) out[i].text += p.text;
        pieces.clear();
        const sitor::SitorReader& r = streams[i].Reader();
        out[i].found = r.LockedBlocks() >= 2 && !out[i].text.empty();
        out[i].heading = sitor::SitorRunHeading(streams[i].LowHz(), streams[i].HighHz(), r.Strongest());
    }
    return out;
}

void AddSitorOptions(CLI::App* command, SitorChoice& choice) {
    command->add_flag("--navtex", choice.navtex,
                      "With SITOR-B: print every NAVTEX message (ZCZC ... NNNN) once, as a block under a header "
                      "(time, station, subject, number, errors); with -o DIR one file per message in DIR");
    command->add_option("--diversity", choice.diversity,
                        "With SITOR-B: how a character is taken from its two copies: 'margin' (the copy with the "
                        "larger soft margin), 'valid' (the copy that is a valid word), 'off' (the first copy only)")
        ->check(CLI::IsMember({"margin", "valid", "off"}))
        ->capture_default_str();
}

bool SitorCodeNamed(const std::optional<std::string>& code) { return code && *code == "sitor-b"; }

void SitorDecode(const LevelSourceOptions& source, std::optional<double> low, std::optional<double> high,
                 const SitorChoice& choice, const std::string& output) {
#ifdef MORVANE_HAVE_LIVE
    LiveSource::CheckWords(source);  // card switches and --seconds only with --live
#endif
    Write(ReadSoft(source, low, high, 0.0), choice, output);
}

namespace {
// Whether a look at the first minute found SITOR-B; then its code line goes to standard error.
bool Found(const SoftStream& look) {
    const sitor::SitorReading r = sitor::ReadSitorB(look.bits, sitor::CopyChoice::Margin);
    if (r.lockedBlocks < 2) return false;
    const sitor::SyncGuess& g = r.strongest;
    std::fprintf(stderr,
                 "morvane-cli: code: sitor-b (synchronous 7-bit constant-ratio words at 100 Bd: four marks in "
                 "%.0f %% of the words at one phase, the DX/RX repetition 35 bits apart in %.0f %% of the "
                 "characters, phasing in %.0f %%; %s)\n",
                 100.0 * g.valid, 100.0 * g.repeat, 100.0 * g.phasing, Polarity(g).c_str());
    return true;
}

// Standard input read by hand (raw 16-bit little-endian samples), so that
// what was read can be handed on to another reader untouched: bytes are
// taken with read(2), never through the C library's buffer.
class HeldInput {
public:
    // Holds up to `bytes` bytes of standard input.
    explicit HeldInput(std::size_t bytes) {
        std::vector<unsigned char> buffer(65536);
        while (m_held.size() < bytes) {
            const std::size_t want = std::min(buffer.size(), bytes - m_held.size());
            const std::size_t got = ReadSome(buffer.data(), want);
            if (got == 0) {
                m_ended = true;
                break;
            }
            m_held.insert(m_held.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        }
    }

    // The samples: those held, then (when `more`) the rest of standard input.
    std::size_t Read(std::int16_t* out, std::size_t n, bool more) {
        std::vector<unsigned char> bytes(2 * n);
        std::size_t have = 0;
        if (m_carry) bytes[have++] = m_carryByte, m_carry = false;
        const std::size_t fromHeld = std::min(m_held.size() - m_at, bytes.size() - have);
        std::copy_n(m_held.begin() + static_cast<std::ptrdiff_t>(m_at), fromHeld, bytes.begin() + static_cast<std::ptrdiff_t>(have));
        m_at += fromHeld;
        have += fromHeld;
        while (more && !m_ended && have < bytes.size()) {
            const std::size_t got = ReadSome(bytes.data() + have, bytes.size() - have);
            if (got == 0) m_ended = true;
            have += got;
        }
        if (have % 2 != 0) m_carry = true, m_carryByte = bytes[--have];  // an odd last byte is ignored
        for (std::size_t i = 0; i < have / 2; ++i)
            out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        return have / 2;
    }

    // Reads from the first byte held again.
    void Rewind() {
        m_at = 0;
        m_carry = false;
    }

    // Puts standard input back as it was for the readers after: a pipe
    // that gets the bytes held, then the rest as it comes.
    void HandOn() {
        const int rest = m_ended ? -1 : ::dup(0);
        int ends[2];
        if (::pipe(ends) != 0) throw CannotRead("standard input", std::strerror(errno));
        ::dup2(ends[0], 0);
        ::close(ends[0]);
        std::thread([held = std::move(m_held), rest, to = ends[1]] {
            WriteAll(to, held.data(), held.size());
            std::vector<unsigned char> buffer(65536);
            for (;;) {
                if (rest < 0) break;
                const ssize_t got = ::read(rest, buffer.data(), buffer.size());
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0 || !WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) break;
            }
            ::close(to);
            if (rest >= 0) ::close(rest);
        }).detach();
    }

private:
    static std::size_t ReadSome(unsigned char* to, std::size_t n) {
        for (;;) {
            const ssize_t got = ::read(0, to, n);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) throw CannotRead("standard input", std::strerror(errno));
        }
    }
    static bool WriteAll(int fd, const unsigned char* from, std::size_t n) {
        while (n > 0) {
            const ssize_t put = ::write(fd, from, n);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            from += put;
            n -= static_cast<std::size_t>(put);
        }
        return true;
    }

    std::vector<unsigned char> m_held;
    std::size_t m_at = 0;  // bytes of m_held read
    bool m_ended = false;
    bool m_carry = false;
    unsigned char m_carryByte = 0;
};

// decode - --auto: the first minute held and looked at; read on as a
// recording is when it holds SITOR-B, handed on otherwise.
bool StandardInputAuto(std::optional<double> low, std::optional<double> high, const SitorChoice& choice,
                       const std::string& output) {
    HeldInput input(static_cast<std::size_t>(kLookSeconds * RecordingReader::kRate) * 2);
    SoftStream look;
    bool found = false;
    try {
        look = ReadSoftFrom([&input](std::int16_t* out, std::size_t n) { return input.Read(out, n, false); }, low,
                            high, kLookSeconds);
        found = Found(look);
    } catch (const CliError&) {
        found = false;  // no tones: the other readers say why
    }
    if (!found) {
        input.HandOn();
        return false;
    }
    HeldInput& again = input;
    again.Rewind();
    Write(ReadSoftFrom([&again](std::int16_t* out, std::size_t n) { return again.Read(out, n, true); }, look.lowHz,
                       look.highHz, 0.0),
          choice, output);
    return true;
}
}  // namespace

bool SitorAutoDecode(const LevelSourceOptions& source, std::optional<double> low, std::optional<double> high,
                     const SitorChoice& choice, const std::string& output) {
    if (source.live) return false;
    if (source.recording == "-") return source.channel == 1 && StandardInputAuto(low, high, choice, output);
    SoftStream look;
    try {
        look = ReadSoft(source, low, high, kLookSeconds);
    } catch (const CliError&) {
        return false;  // no tones: the other readers say why
    }
    if (!Found(look)) return false;
    SitorDecode(source, look.lowHz, look.highHz, choice, output);
    return true;
}

}  // namespace morvane::cli
