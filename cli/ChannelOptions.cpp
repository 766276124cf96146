#include "cli/ChannelOptions.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "channel/ChannelPresets.h"
#include "cli/CliError.h"
#include "cli/LevelSource.h"
#include "cli/NumberChecks.h"
#include "recording/RecordingReader.h"

namespace morvane::cli {

std::vector<std::int16_t> ReadWholeRecording(const std::string& path, std::int32_t channel) {
    std::vector<std::int16_t> samples;
    try {
        RecordingReader reader(path, channel);
        std::vector<std::int16_t> piece(65536);
        while (const std::size_t got = reader.Read(piece.data(), piece.size()))
            samples.insert(samples.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
        ReportWarning(reader);  // a cut-off file is known once it has been read
    } catch (const std::runtime_error& e) {
        throw CliError(1, e.what());
    }
    return samples;
}

namespace {

double Number(const std::string& text, const std::string& option, const std::string& whole) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        throw CLI::ValidationError(option, "'" + text + "' in '" + whole + "' is not a number");
    return value;
}

Carrier ParseCarrier(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        throw CLI::ValidationError("--cw", "'" + text + "' is not HZ:DB");
    return {Number(text.substr(0, colon), "--cw", text), Number(text.substr(colon + 1), "--cw", text)};
}

std::vector<double> ReadWhole(const std::string& path) {
    const std::vector<std::int16_t> samples = ReadWholeRecording(path, 1);
    return {samples.begin(), samples.end()};
}

// FILE:DB:SHIFT_HZ, split from the right so that the file name may hold colons.
MixedSignal ParseMix(const std::string& text) {
    const std::size_t second = text.rfind(':');
    const std::size_t first = second == std::string::npos || second == 0 ? std::string::npos : text.rfind(':', second - 1);
    if (first == std::string::npos || first == 0) throw CLI::ValidationError("--mix", "'" + text + "' is not FILE:DB:SHIFT_HZ");
    MixedSignal mix;
    mix.db = Number(text.substr(first + 1, second - first - 1), "--mix", text);
    mix.shiftHz = Number(text.substr(second + 1), "--mix", text);
    mix.samples = ReadWhole(text.substr(0, first));
    return mix;
}

}  // namespace

void AddChannelOptions(CLI::App* command, ChannelOptions& o) {
    o.given.push_back(command->add_option("--channel", o.preset,
                                          "Send through this HF channel: none, good (2 paths 0.5 ms apart, 0.1 Hz "
                                          "Doppler spread), moderate (1 ms, 0.5 Hz), poor (2 ms, 1 Hz), flutter (0.5 ms, 10 Hz)")
                          ->check(CLI::IsMember(PresetNames()))
                          ->capture_default_str());
    o.pathsOption = command->add_option("--paths", o.paths, "Number of equally strong fading paths (overrides the channel's)")
                        ->check(CLI::Range(1, 4));
    o.delayOption = command->add_option("--delay-ms", o.delayMs, "Delay from one path to the next in ms (overrides the channel's)")
                        ->check(FiniteRange(0.0, 20.0));
    o.dopplerOption = command->add_option("--doppler-hz", o.dopplerHz,
                                          "Doppler spread of each path in Hz, two sigma of its Gaussian spectrum "
                                          "(overrides the channel's)")
                          ->check(FiniteRange(0.0, 100.0));
    o.given.insert(o.given.end(), {o.pathsOption, o.delayOption, o.dopplerOption});
    o.given.push_back(command->add_option("--offset-hz", o.offsetHz, "Frequency offset of the signal in Hz")
                          ->check(FiniteRange(-10000.0, 10000.0)));
    o.given.push_back(command->add_option("--drift-hz-per-min", o.driftHzPerMinute,
                                          "Frequency drift of the signal in Hz per minute, from the start")
                          ->check(FiniteRange(-60000.0, 60000.0)));
    o.given.push_back(command->add_option("--cw", o.carriers,
                                          "A steady carrier at HZ, DB relative to the signal's power (HZ:DB; repeatable)"));
    o.given.push_back(command->add_option("--mix", o.mixes,
                                          "Another recording mixed in, DB relative to the signal's power, shifted by "
                                          "SHIFT_HZ (FILE:DB:SHIFT_HZ; repeatable)"));
    o.given.push_back(command->add_option("--silence", o.silenceSeconds,
                                          "Seconds of silence put before and after the signal (noise runs on there)")
                          ->check(FiniteRange(0.0, 60.0)));
}

bool AnyChannelOption(const ChannelOptions& options) {
    for (const CLI::Option* option : options.given)
        if (option->count() > 0) return true;
    return false;
}

ChannelSettings ChosenChannel(const ChannelOptions& o, std::optional<double> snrDb, std::uint64_t seed) {
    ChannelSettings s;
    s.profile = PresetProfile(o.preset);
    if (o.pathsOption->count() > 0) s.profile.paths = o.paths;
    if (o.delayOption->count() > 0) s.profile.delayMs = o.delayMs;
    if (o.dopplerOption->count() > 0) s.profile.dopplerHz = o.dopplerHz;
    s.offsetHz = o.offsetHz;
    s.driftHzPerMinute = o.driftHzPerMinute;
    for (const std::string& c : o.carriers) s.carriers.push_back(ParseCarrier(c));
    for (const std::string& m : o.mixes) s.mixes.push_back(ParseMix(m));
    s.snrDb = snrDb;
    s.silenceSeconds = o.silenceSeconds;
    s.seed = seed;
    return s;
}

}  // namespace morvane::cli
