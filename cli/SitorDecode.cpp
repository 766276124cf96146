#include "cli/SitorDecode.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/TextOutput.h"
#include "receiver/KeyedToneFinder.h"
#include "recording/RecordingReader.h"
#include "sitor/NavtexMessages.h"
#include "sitor/SitorDecoder.h"
#include "sitor/SitorDemodulator.h"

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

std::string Clock(std::int64_t sample) {
    const std::int64_t s = sample / RecordingReader::kRate;
    char t[32];
    std::snprintf(t, sizeof t, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return t;
}

// Reads the recording (at most `seconds` of it; 0: all) into soft bits: the
// tones found on the first 30 s unless both are given.
SoftStream ReadSoft(const LevelSourceOptions& source, std::optional<double> low, std::optional<double> high,
                    double seconds) {
    RecordingReader reader(source.recording, source.channel);
    const auto limit = static_cast<std::size_t>(seconds * RecordingReader::kRate);
    std::vector<std::int16_t> held, piece(kPiece);
    KeyedToneFinder finder(RecordingReader::kRate, kToneSeconds);
    const auto holdLimit = static_cast<std::size_t>(kToneSeconds * RecordingReader::kRate);
    while (!(low && high) && held.size() < holdLimit) {
        const std::size_t n = reader.Read(piece.data(), std::min(piece.size(), holdLimit - held.size()));
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
        const std::size_t n = reader.Read(piece.data(), limit ? std::min(piece.size(), limit - done) : piece.size());
        if (n == 0) break;
        demod.Push(piece.data(), n);
        done += n;
    }
    if (!limit) ReportWarning(reader);
    demod.Finish();
    s.bits = demod.Bits();
    s.samples = demod.BitSamples();
    return s;
}

sitor::CopyChoice Choice(const SitorChoice& c) {
    if (c.diversity == "off") return sitor::CopyChoice::DxOnly;
    if (c.diversity == "valid") return sitor::CopyChoice::Valid;
    return sitor::CopyChoice::Margin;
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
        const std::string block = sitor::NavtexBlock(m, Clock(SampleOfText(s, r.characters, starts, m.at)));
        if (!toDir) {
            out.Write(block);
            continue;
        }
        std::string name = m.id;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        const int copy = ++names[name];
        if (copy > 1) name += "-" + std::to_string(copy);
        TextOutput file((std::filesystem::path(output) / (name + ".txt")).string());
        file.Write(block);
        file.Close();
    }
    out.Close();
}

void Write(const SoftStream& s, const SitorChoice& choice, const std::string& output) {
    const sitor::SitorReading r = sitor::ReadSitorB(s.bits, Choice(choice));
    if (r.characters.empty()) throw CliError(kNothingFound, "code: no SITOR-B (no stretch of 7-bit constant-ratio words)");
    std::fprintf(stderr, "morvane-cli: %s \u00b7 100 Bd \u00b7 %.0f/%.0f Hz \u00b7 SITOR-B \u00b7 %s\n",
                 Clock(s.samples[static_cast<std::size_t>(r.characters.front().bit)]).c_str(), s.lowHz, s.highHz,
                 Polarity(r.strongest).c_str());
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
        std::fprintf(stderr, "morvane-cli: %s \u00b7 NAVTEX %s \u00b7 station %c \u00b7 %s \u00b7 number %s\n",
                     Clock(SampleOfText(s, r.characters, starts, m.at)).c_str(), m.id.c_str(), m.station,
                     std::string(sitor::NavtexSubject(m.subject)).c_str(), m.number.empty() ? "??" : m.number.c_str());
        std::fflush(stderr);
    }
    out.Write(std::string_view(text).substr(done));
    out.Write("\r\n");
    out.Close();
}
}  // namespace

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
    Write(ReadSoft(source, low, high, 0.0), choice, output);
}

bool SitorAutoDecode(const LevelSourceOptions& source, std::optional<double> low, std::optional<double> high,
                     const SitorChoice& choice, const std::string& output) {
    if (source.recording == "-" || source.live) return false;
    SoftStream look;
    try {
        look = ReadSoft(source, low, high, kLookSeconds);
    } catch (const CliError&) {
        return false;  // no tones: the other readers say why
    }
    const sitor::SitorReading r = sitor::ReadSitorB(look.bits, sitor::CopyChoice::Margin);
    if (r.lockedBlocks < 2) return false;
    const sitor::SyncGuess& g = r.strongest;
    std::fprintf(stderr,
                 "morvane-cli: code: sitor-b (synchronous 7-bit constant-ratio words at 100 Bd: four marks in "
                 "%.0f %% of the words at one phase, the DX/RX repetition 35 bits apart in %.0f %% of the "
                 "characters, phasing in %.0f %%; %s)\n",
                 100.0 * g.valid, 100.0 * g.repeat, 100.0 * g.phasing, Polarity(g).c_str());
    SitorDecode(source, look.lowHz, look.highHz, choice, output);
    return true;
}

}  // namespace morvane::cli
