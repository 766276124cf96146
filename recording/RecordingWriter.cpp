#include "recording/RecordingWriter.h"
#include "dsp/SampleFormat.h"

#include <sndfile.h>

#include <stdexcept>

namespace morvane {

namespace {

void WriteTo(SNDFILE* file, const std::string& name, const std::vector<std::int16_t>& samples) {
    if (!file) throw std::runtime_error("cannot write '" + name + "': " + sf_strerror(nullptr));
    const sf_count_t written = sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    const std::string error = sf_strerror(file);
    const bool failed = written != static_cast<sf_count_t>(samples.size());
    if (sf_close(file) != 0 || failed) throw std::runtime_error("cannot write '" + name + "': " + error);
}

SF_INFO WavInfo() {
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    return info;
}

}  // namespace

void WriteWav16Mono(const std::string& path, const std::vector<std::int16_t>& samples) {
    SF_INFO info = WavInfo();
    WriteTo(sf_open(path.c_str(), SFM_WRITE, &info), path, samples);
}

void WriteWav16Mono(std::FILE* file, const std::string& name, const std::vector<std::int16_t>& samples) {
    SF_INFO info = WavInfo();
    std::fflush(file);
    WriteTo(sf_open_fd(fileno(file), SFM_WRITE, &info, SF_FALSE), name, samples);
}

}  // namespace morvane
