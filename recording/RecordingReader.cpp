#include "recording/RecordingReader.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace morvane {

namespace {

constexpr std::size_t kStdinChunkBytes = 65536;
constexpr int kLowestRate = 1000;       // Hz
constexpr int kHighestRate = 10000000;  // Hz
constexpr std::size_t kFileChunkSamples = 65536;  // interleaved samples per file read

// A sample in the float scale (±1.0 full scale) to 16 bits, rounded half away
// from zero and clipped; NaN reads as silence.
std::int16_t ToSample16(double x) {
    const double v = x * 32768.0;
    if (!(v > -32768.0)) return std::isnan(v) ? 0 : -32768;
    if (v >= 32767.0) return 32767;
    return static_cast<std::int16_t>(std::lround(v));
}

}  // namespace

struct RecordingReader::Impl {
    std::string name;
    std::string warning;
    std::int32_t channel = 0;  // 0-based
    std::int32_t channels = 1;
    std::int32_t sourceRate = kRate;
    std::int64_t sourceFrames = -1;  // as the header announces; -1 unknown
    bool fromStdin = false;
    bool passThrough = false;
    bool inputDone = false;
    bool finished = false;
    long long announcedFrames = 0;  // frames the file's header announces (0: unknown)
    long long framesRead = 0;

    SNDFILE* file = nullptr;
    soxr_t resampler = nullptr;

    std::vector<std::int16_t> ready;  // converted samples not yet handed out
    std::size_t readyPos = 0;

    std::vector<unsigned char> bytes;  // standard input
    bool carry = false;
    unsigned char carryByte = 0;
    std::vector<std::int16_t> shorts;  // 16-bit 48 kHz files, interleaved
    std::vector<double> doubles;       // every other file, interleaved
    std::vector<float> mono;           // the chosen channel, for the resampler
    std::vector<float> resampled;

    ~Impl() {
        if (resampler) soxr_delete(resampler);
        if (file) sf_close(file);
    }

    [[noreturn]] void Fail(const std::string& reason) const {
        throw std::runtime_error("cannot read '" + name + "': " + reason);
    }

    void OpenFile(const std::string& path, std::int32_t wantedChannel) {
        std::error_code ec;
        const auto status = std::filesystem::status(path, ec);
        if (!std::filesystem::exists(status)) Fail("no such file");
        if (std::filesystem::is_directory(status)) Fail("it is a directory");
        if (std::filesystem::is_regular_file(status) && std::filesystem::file_size(path, ec) == 0 && !ec)
            Fail("the file is empty");

        SF_INFO info{};
        file = sf_open(path.c_str(), SFM_READ, &info);
        if (!file) Fail(std::string("not a recording this program can read (") + sf_strerror(nullptr) + ")");
        if (info.channels <= 0) Fail("the recording has no channels");
        // Below 1 kHz no tone worth decoding fits, and resampling a mislabelled
        // file to 48 kHz would make it thousands of times longer.
        if (info.samplerate < kLowestRate || info.samplerate > kHighestRate)
            Fail("sample rate " + std::to_string(info.samplerate) + " Hz is outside " + std::to_string(kLowestRate) +
                 " ... " + std::to_string(kHighestRate) + " Hz");
        channels = info.channels;
        sourceRate = info.samplerate;
        sourceFrames = info.frames >= 0 && info.frames < SF_COUNT_MAX ? static_cast<std::int64_t>(info.frames) : -1;
        if (wantedChannel < 1 || wantedChannel > channels)
            Fail("channel " + std::to_string(wantedChannel) + " requested, but the recording has " +
                 std::to_string(channels) + (channels == 1 ? " channel" : " channels"));
        channel = wantedChannel - 1;
        // libsndfile gives SF_COUNT_MAX when it does not know the length.
        announcedFrames = info.frames < SF_COUNT_MAX / 2 ? static_cast<long long>(info.frames) : 0;
        NoteTruncation();
        passThrough = sourceRate == kRate && (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
        if (passThrough) return;
        if (sourceRate != kRate) {
            soxr_error_t error = nullptr;
            const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
            const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
            resampler = soxr_create(sourceRate, kRate, 1, &error, &io, &quality, nullptr);
            if (!resampler) Fail(std::string("cannot resample: ") + (error ? error : "unknown error"));
        }
    }

    // libsndfile reads what a cut-off file holds, gives the frames that are
    // there as the file's length and notes in its log that a chunk is shorter
    // than its header says: "data : 513600 (should be 29956)" (WAV),
    // " SSND : ..." (AIFF), "  Data Size : ..." (AU), "riff : ..." (W64),
    // "RIFF : 96036 (should be 35)" (a WAV cut inside its header).
    void NoteTruncation() {
        std::string log(16384, '\0');
        sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
        log.resize(std::strlen(log.c_str()));
        std::size_t lineStart = 0;
        while (lineStart < log.size()) {
            std::size_t lineEnd = log.find('\n', lineStart);
            if (lineEnd == std::string::npos) lineEnd = log.size();
            std::string line = log.substr(lineStart, lineEnd - lineStart);
            lineStart = lineEnd + 1;
            line.erase(0, line.find_first_not_of(" \t"));
            if (NoteUnannounced(log, line)) return;
            const std::size_t colon = line.find(" : ");
            const std::size_t should = line.find("(should be ");
            if (colon == std::string::npos || should == std::string::npos) continue;
            std::string key = line.substr(0, colon);
            key.erase(key.find_last_not_of(' ') + 1);
            if (key != "data" && key != "SSND" && key != "Data Size" && key != "RIFF" && key != "riff" &&
                key != "FORM" && key != "RF64")
                continue;
            const long long announced = std::atoll(line.c_str() + colon + 3);
            const long long present = std::atoll(line.c_str() + should + 11);
            if (present < announced) {
                warning = "the file is cut off (" + line + "); reading the sound it holds";
                return;
            }
        }
    }

    // A header that announces less sound than the file holds: libsndfile
    // reads what the header announces and stops at the bytes behind it,
    // which are no chunk ("*** Unknown chunk marker (D8C4FDAE) at position
    // 602444. Exiting parser."; the file's "Length : 1204844" heads the
    // log). Those bytes are not read: they may be anything.
    bool NoteUnannounced(const std::string& log, const std::string& line) {
        static constexpr const char* kMarker = "*** Unknown chunk marker";
        const std::size_t at = line.find(" at position ");
        if (line.rfind(kMarker, 0) != 0 || at == std::string::npos) return false;
        const long long position = std::atoll(line.c_str() + at + 13);
        const std::size_t lengthAt = log.find("Length : ");
        const long long length = lengthAt == std::string::npos ? 0 : std::atoll(log.c_str() + lengthAt + 9);
        if (length <= position) return false;
        warning = "the header announces less sound than the file holds (" + std::to_string(length - position) +
                  " bytes after the sound it announces are no part of the recording); reading the " +
                  std::to_string(announcedFrames) + " frames it announces";
        return true;
    }

    // Formats whose length libsndfile knows without counting (FLAC, Ogg, ...)
    // end early when the file is cut off: fewer frames than announced.
    void NoteShortRead() {
        if (!warning.empty() || announcedFrames <= 0 || framesRead >= announcedFrames) return;
        warning = "the file is cut off (" + std::to_string(framesRead) + " of the " + std::to_string(announcedFrames) +
                  " frames its header announces); reading the sound it holds";
    }

    void CheckFileError() const {
        if (sf_error(file) != SF_ERR_NO_ERROR) Fail(std::string("corrupt or truncated data (") + sf_strerror(file) + ")");
    }

    std::size_t ChunkFrames() const {
        std::size_t frames = std::max<std::size_t>(1, kFileChunkSamples / static_cast<std::size_t>(channels));
        // Keep the resampler's output per chunk near the chunk's own size.
        if (sourceRate < kRate)
            frames = std::max<std::size_t>(1, frames * static_cast<std::size_t>(sourceRate) / kRate);
        return frames;
    }

    // Appends the next converted samples to `ready`. Returns false at the end.
    bool Refill() {
        if (finished) return false;
        if (fromStdin) return RefillStdin();
        if (passThrough) return RefillShorts();
        return RefillDoubles();
    }

    bool RefillStdin() {
        bytes.resize(kStdinChunkBytes + 1);
        std::size_t have = 0;
        if (carry) bytes[have++] = carryByte;
        const std::size_t got = std::fread(bytes.data() + have, 1, kStdinChunkBytes, stdin);
        if (got == 0) {
            if (std::ferror(stdin)) Fail(std::strerror(errno));
            finished = true;  // an odd last byte is ignored
            return false;
        }
        have += got;
        carry = (have % 2) != 0;
        if (carry) carryByte = bytes[have - 1];
        const std::size_t count = have / 2;
        const std::size_t at = ready.size();
        ready.resize(at + count);
        for (std::size_t i = 0; i < count; ++i)
            ready[at + i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        return true;
    }

    bool RefillShorts() {
        const std::size_t frames = ChunkFrames();
        shorts.resize(frames * static_cast<std::size_t>(channels));
        const sf_count_t got = sf_readf_short(file, shorts.data(), static_cast<sf_count_t>(frames));
        if (got <= 0) {
            CheckFileError();
            NoteShortRead();
            finished = true;
            return false;
        }
        framesRead += got;
        const std::size_t at = ready.size();
        ready.resize(at + static_cast<std::size_t>(got));
        for (sf_count_t f = 0; f < got; ++f) ready[at + static_cast<std::size_t>(f)] = shorts[f * channels + channel];
        return true;
    }

    bool RefillDoubles() {
        if (!inputDone) {
            const std::size_t frames = ChunkFrames();
            doubles.resize(frames * static_cast<std::size_t>(channels));
            const sf_count_t got = sf_readf_double(file, doubles.data(), static_cast<sf_count_t>(frames));
            if (got <= 0) {
                CheckFileError();
                NoteShortRead();
                inputDone = true;
            } else if (!resampler) {
                framesRead += got;
                const std::size_t at = ready.size();
                ready.resize(at + static_cast<std::size_t>(got));
                for (sf_count_t f = 0; f < got; ++f)
                    ready[at + static_cast<std::size_t>(f)] = ToSample16(doubles[f * channels + channel]);
                return true;
            } else {
                framesRead += got;
                mono.resize(static_cast<std::size_t>(got));
                for (sf_count_t f = 0; f < got; ++f) mono[f] = static_cast<float>(doubles[f * channels + channel]);
                Resample(mono.data(), mono.size());
                return true;
            }
        }
        if (!resampler) {
            finished = true;
            return false;
        }
        // End of input: drain what the resampler still holds.
        const std::size_t before = ready.size();
        Resample(nullptr, 0);
        if (ready.size() == before) {
            finished = true;
            return false;
        }
        return true;
    }

    // Feeds `count` samples (nullptr: end of input) and appends the output.
    void Resample(const float* in, std::size_t count) {
        const std::size_t capacity =
            count * static_cast<std::size_t>(kRate) / static_cast<std::size_t>(sourceRate) + 4096;
        resampled.resize(capacity);
        std::size_t offset = 0;
        do {
            std::size_t used = 0, made = 0;
            const soxr_error_t error = soxr_process(resampler, in ? in + offset : nullptr, in ? count - offset : 0,
                                                    &used, resampled.data(), capacity, &made);
            if (error) Fail(std::string("cannot resample: ") + error);
            const std::size_t at = ready.size();
            ready.resize(at + made);
            for (std::size_t i = 0; i < made; ++i) ready[at + i] = ToSample16(resampled[i]);
            offset += used;
            if (!in || (used == 0 && made == 0)) break;
        } while (offset < count);
    }
};

RecordingReader::RecordingReader(const std::string& path, std::int32_t channel) : m_impl(std::make_unique<Impl>()) {
    if (path == "-") {
        m_impl->name = "standard input";
        m_impl->fromStdin = true;
        if (channel != 1)
            m_impl->Fail("channel " + std::to_string(channel) + " requested, but raw input has 1 channel");
        return;
    }
    m_impl->name = path;
    m_impl->OpenFile(path, channel);
}

RecordingReader::~RecordingReader() = default;

std::size_t RecordingReader::Read(std::int16_t* out, std::size_t maxSamples) {
    Impl& d = *m_impl;
    std::size_t written = 0;
    while (written < maxSamples) {
        if (d.readyPos < d.ready.size()) {
            const std::size_t n = std::min(maxSamples - written, d.ready.size() - d.readyPos);
            std::copy_n(d.ready.begin() + static_cast<std::ptrdiff_t>(d.readyPos), n, out + written);
            d.readyPos += n;
            written += n;
            continue;
        }
        d.ready.clear();
        d.readyPos = 0;
        if (d.passThrough && d.channels == 1 && !d.finished) {
            // 16-bit mono at 48 kHz: straight from libsndfile into the caller's buffer.
            const sf_count_t got = sf_readf_short(d.file, out + written, static_cast<sf_count_t>(maxSamples - written));
            if (got > 0) {
                d.framesRead += got;
                written += static_cast<std::size_t>(got);
                continue;
            }
            d.CheckFileError();
            d.NoteShortRead();
            d.finished = true;
            break;
        }
        if (!d.Refill()) break;
    }
    return written;
}

const std::string& RecordingReader::Name() const { return m_impl->name; }
std::int32_t RecordingReader::SourceRate() const { return m_impl->sourceRate; }
std::int32_t RecordingReader::Channels() const { return m_impl->channels; }
bool RecordingReader::Resampling() const { return m_impl->resampler != nullptr; }
const std::string& RecordingReader::Warning() const { return m_impl->warning; }

std::int64_t RecordingReader::ExpectedSamples() const {
    const Impl& d = *m_impl;
    if (d.sourceFrames < 0 || d.sourceRate <= 0) return -1;
    if (d.sourceRate == kRate) return d.sourceFrames;
    return static_cast<std::int64_t>(static_cast<long double>(d.sourceFrames) * kRate / d.sourceRate);
}

}  // namespace morvane
