#include "cli/ReceiverDecode.h"

#include "cli/SharedRules.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/DecodeOptions.h"
#include "cli/TextOutput.h"
#include "livetext/TransmissionInfo.h"
#include "receiver/RateEstimate.h"
#include "receiver/Receiver.h"
#include "recording/RecordingReader.h"

namespace morvane::cli {

/// hh:mm:ss of a sample on the stream's time line.
std::string StreamClock(std::int64_t sample) {
    const std::int64_t seconds = sample / RecordingReader::kRate;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string ReceivedHeader(const ReceivedTransmission& t) {
    TransmissionInfo info;
    info.firstSample = t.firstSample;
    info.baud = t.baud;
    info.nominalBaud = UsualBaud(t.baud);
    info.stopBits = t.stopBits;
    info.tone1Hz = static_cast<float>(t.tone1Hz);
    info.tone2Hz = static_cast<float>(t.tone2Hz);
    info.code = t.code;
    char quality[64];
    std::snprintf(quality, sizeof quality, " \u00b7 quality %.2f", t.quality);
    return TransmissionHeader(StreamClock(t.firstSample), info) + quality;
}

namespace {
constexpr std::size_t kPiece = 32768;  // samples read at a time (64 KiB)

// Writes the pieces: each transmission on a new line after its header.
void WritePieces(std::vector<ReceiverPiece> pieces, TextOutput& out, bool& atLineStart, bool& any,
                 std::optional<Parity> parity) {
    for (const ReceiverPiece& piece : pieces) {
        if (piece.opens) {
            // --parity alone goes with the code found: a usage error on Baudot frames.
            if (parity) CheckParity({piece.transmission.code.code, *parity}, true);
            if (!atLineStart) out.Write("\r\n");
            out.Flush();
            std::fprintf(stderr, "morvane-cli: %s\n", ReceivedHeader(piece.transmission).c_str());
            std::fflush(stderr);
            atLineStart = true;
            any = true;
        }
        if (piece.text.empty()) continue;
        out.Write(piece.text);
        atLineStart = piece.text.size() >= 2 && piece.text.compare(piece.text.size() - 2, 2, "\r\n") == 0;
    }
}
}  // namespace

void ReceiverDecode(const LevelSourceOptions& source, const ReceiverOptions& options, bool follow,
                    const std::string& output, std::optional<Parity> parityAlone) {
    RecordingReader reader(source.recording, source.channel);
    ReceiverOptions o = options;
    o.sampleRate = RecordingReader::kRate;
    o.parity = parityAlone;
    Receiver receiver(o);
    TextOutput out(output);
    std::vector<std::int16_t> samples(kPiece);
    bool atLineStart = true, any = false;
    while (const std::size_t n = reader.Read(samples.data(), samples.size())) {
        receiver.Push(samples.data(), n);
        if (!follow) continue;
        WritePieces(receiver.Take(), out, atLineStart, any, parityAlone);
        out.Flush();
    }
    ReportWarning(reader);
    receiver.Finish();
    WritePieces(receiver.Take(), out, atLineStart, any, parityAlone);
    if (!any) {
        out.Close();
        throw CliError(kNothingFound, receiver.Reason());
    }
    out.Write("\r\n");
    out.Close();
}

}  // namespace morvane::cli

namespace morvane::cli {

void AddReceiverOptions(CLI::App* command, ReceiverChoice& choice) {
    command->add_option("--reader", choice.reader,
                        "With --auto: 'samples' reads the recording's samples with the receiver (filters matched "
                        "to the bit, fading correction, squelch), 'levels' the earlier reading of the level stream")
        ->check(CLI::IsMember({"samples", "levels"}))
        ->capture_default_str();
    command->add_option("--squelch", choice.squelch,
                        "With --auto (receiver): the least tone-over-noise in dB a frame needs for text, or 'off'")
        ->check([](const std::string& value) -> std::string {
            if (value == "off") return {};
            try {
                std::size_t used = 0;
                const double db = std::stod(value, &used);
                if (used == value.size() && std::isfinite(db) && db >= -50.0 && db <= 50.0) return {};
            } catch (const std::exception&) {
            }
            return "a number of dB (-50 ... 50) or 'off'";
        })
        ->capture_default_str();
    command->add_flag("--no-unshift-on-space", choice.noUnshift,
                      "With --auto (receiver): a Baudot space in figures stays in figures");
}

bool UseReceiver(const DecodeOptions& o) {
    if (o.receiver.reader != "samples" || o.source.live) return false;
    const RasterOptions& r = o.raster;
    const bool rasterGiven = r.LayoutGiven() || r.gridShift || r.timeTrue;
    return !rasterGiven && !o.soft.trim && !o.reverseBits && !o.reverseDirection && !o.ignore && !o.showBits;
}

ReceiverOptions ReceiverSettings(const ReceiverChoice& choice, const ToneOptions& tones, const CodeOptions& code) {
    ReceiverOptions o;
    if (tones.low) o.tone1Hz = *tones.low;
    if (tones.high) o.tone2Hz = *tones.high;
    if (code.code) {
        const CodeSettings named = code.Named();
        CheckParity(named, false);
        o.code = named;
    }
    o.unshiftOnSpace = !choice.noUnshift;
    if (choice.squelch == "off")
        o.squelchDb.reset();
    else
        o.squelchDb = std::stod(choice.squelch);
    return o;
}

}  // namespace morvane::cli
