#include "cli/AutoAlign.h"

#include <cmath>
#include <cstdio>

#include "text/TextNumbers.h"
#include "dsp/SampleFormat.h"

namespace morvane::cli {

namespace {

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}


}  // namespace

AlignedRecording AlignRecording(const LevelSourceOptions& source, const ToneOptions& tones, bool soft) {
    AlignedRecording r;
    LevelSource levels(source, tones.Demod());
    r.tonesSearched = tones.Missing().Any();
    levels.SearchTones(tones.Missing(), true);
    LevelStream stream = levels.Run(SourceRun::Whole(soft));
    r.demod = levels.Demod();
    r.tones = levels.Tones();
    r.levels = std::move(stream.levels);
    r.soft = std::move(stream.soft);
    r.timeline = std::move(stream.timeline);
    r.signal = MakeTimeTrueSignal(r.levels, r.timeline);
    r.alignment = FindFrames(r.signal, r.timeline, &r.frames);
    return r;
}

std::string OptionLine(const AlignedRecording& r) {
    const FrameAlignment& a = r.alignment;
    std::string line = "--low " + ShortDecimal(r.demod.tone1Hz, 1) + " --high " + ShortDecimal(r.demod.tone2Hz, 1) +
                       " --count " + std::to_string(a.raster.count) + " --offset " + std::to_string(a.raster.offset) +
                       " --slant " + ShortDecimal(a.raster.slant, 4) + " --grid-width " + std::to_string(a.raster.gridWidth);
    if (a.reverseBits) line += " --reverse-bits";
    if (a.reverseDirection) line += " --reverse-direction";
    line += " --ignore " + std::to_string(a.ignore);
    if (a.code.code != TextCode::Baudot)
        line += " --code " + std::string(TextCodeName(a.code.code)) + " --parity " + std::string(ParityName(a.code.parity));
    return line;
}

std::string AlignmentReport(const AlignedRecording& r) {
    const FrameAlignment& a = r.alignment;
    std::string out;
    out += "tones: low " + ShortDecimal(r.demod.tone1Hz, 1) + " Hz (tone 1), high " + ShortDecimal(r.demod.tone2Hz, 1) + " Hz (tone 2)" +
           (r.tonesSearched ? ", found in the spectrum\n" : ", as given\n");
    if (!a.found) {
        out += "frames: " + a.reason + "\n";
        return out;
    }
    const double window = r.signal.window;
    out += "baud: " + Format("%.3f", a.baud);
    if (a.nominalBaud > 0.0)
        out += " (usual rate " + ShortDecimal(a.nominalBaud, 2) + ", drift " + Format("%+.0f", a.drift * 1e6) + " ppm)";
    out += "\n";
    out += "bit: " + Format("%.2f", a.model.bit) + " levels (" + Format("%.1f", a.model.bit * window) + " samples)\n";
    out += "stop bits: " + ShortDecimal(a.model.stopBits, 1) + "\n";
    out += "code: " + CodeSettingsName(a.code) + " (" + a.codeReason + ")\n";
    out += "frame: " + Format("%.2f", a.model.frame) + " levels of time, " +
           Format("%.2f", a.raster.count + static_cast<double>(a.raster.slant)) + " levels of the stream\n";
    out += std::string("polarity: mark is the ") + (a.model.polarity > 0 ? "low tone (tone 1)" : "high tone (tone 2)") + "\n";
    out += std::string("direction: ") +
           (a.reverseDirection ? "least significant bit first (reverse direction)" : "most significant bit first") + "\n";
    out += "first frame: level " + std::to_string(a.raster.offset) + ", sample " + Format("%.0f", a.firstFrameSample) +
           " (" + Format("%.3f", a.firstFrameSample / kSampleRate) + " s)\n";
    out += "ignore: " + std::to_string(a.ignore) + "\n";
    out += "frames: " + std::to_string(a.frames) + "\n";
    out += "confidence: " + Format("%.2f", a.confidence) + "\n";
    return out;
}

}  // namespace morvane::cli
