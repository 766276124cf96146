#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingWriter.h"
#include "synth/RttySynth.h"

using namespace morvane;

namespace {

const std::string kData = MORVANE_TEST_DATA;

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("morvane-io-" + std::to_string(::getpid()) + "-" + name)).string();
}

std::vector<std::int16_t> ReadAll(RecordingReader& reader, std::size_t piece = 1000) {
    std::vector<std::int16_t> all, buffer(piece);
    for (std::size_t n; (n = reader.Read(buffer.data(), buffer.size())) > 0;) all.insert(all.end(), buffer.begin(), buffer.begin() + n);
    return all;
}

// Writes interleaved frames with libsndfile in the given format.
template <typename T>
void WriteFile(const std::string& path, int format, int rate, int channels, const std::vector<T>& data) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    if constexpr (std::is_same_v<T, int>) sf_write_int(f, data.data(), static_cast<sf_count_t>(data.size()));
    else if constexpr (std::is_same_v<T, float>) sf_write_float(f, data.data(), static_cast<sf_count_t>(data.size()));
    else sf_write_short(f, data.data(), static_cast<sf_count_t>(data.size()));
    sf_close(f);
}

std::string ErrorOf(const std::string& path, std::int32_t channel = 1) {
    try {
        RecordingReader reader(path, channel);
        ReadAll(reader);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(RecordingReader, SixteenBitAt48kPassesThroughSampleForSample) {
    std::vector<std::int16_t> samples(70001);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>((i * 7919) % 65536 - 32768);
    const std::string path = TempPath("pass.wav");
    WriteWav16Mono(path, samples);
    RecordingReader reader(path);
    EXPECT_FALSE(reader.Resampling());
    EXPECT_EQ(ReadAll(reader, 4096), samples);
    std::filesystem::remove(path);
}

TEST(RecordingReader, OtherSampleFormatsRoundAndClip) {
    // Each format's samples as written (24-bit values as libsndfile's
    // left-aligned ints, or floats) and the 16-bit samples they must become.
    struct FormatCase {
        const char* name;
        int format;
        std::vector<int> ints;
        std::vector<float> floats;
        std::vector<std::int16_t> want;
    };
    const FormatCase cases[] = {
        {"24-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_24,
         {128 << 8, 127 << 8, -128 << 8, -129 << 8, 383 << 8, 384 << 8, 8388607 << 8, -8388608 * 256, 0, 256 << 8},
         {},
         {1, 0, -1, -1, 1, 2, 32767, -32768, 0, 1}},
        {"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT,
         {},
         {1.5f, -2.0f, 1.0f, -1.0f, 0.5f, std::nanf(""), 1.0f / 65536, -1.0f / 65536},
         {32767, -32768, 32767, -32768, 16384, 0, 1, -1}},
    };
    for (const FormatCase& c : cases) {
        const std::string path = TempPath(std::string(c.name) + ".wav");
        if (c.ints.empty()) WriteFile(path, c.format, 48000, 1, c.floats);
        else WriteFile(path, c.format, 48000, 1, c.ints);
        RecordingReader reader(path);
        EXPECT_EQ(ReadAll(reader), c.want) << c.name;
        std::filesystem::remove(path);
    }
}

TEST(RecordingReader, PicksTheAskedChannel) {
    std::vector<std::int16_t> frames;
    for (int i = 0; i < 3000; ++i)
        for (int c = 0; c < 3; ++c) frames.push_back(static_cast<std::int16_t>(i * 3 + c));
    const std::string path = TempPath("three.wav");
    WriteFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 3, frames);
    for (int channel = 1; channel <= 3; ++channel) {
        RecordingReader reader(path, channel);
        const auto got = ReadAll(reader, 777);
        ASSERT_EQ(got.size(), 3000u);
        for (int i = 0; i < 3000; ++i) ASSERT_EQ(got[i], i * 3 + channel - 1) << "channel " << channel;
    }
    EXPECT_NE(ErrorOf(path, 4).find("channel 4 requested, but the recording has 3 channels"), std::string::npos);
    EXPECT_NE(ErrorOf(path, 0).find("channel 0"), std::string::npos);
    std::filesystem::remove(path);
}

TEST(RecordingReader, ResamplesOtherRatesTo48k) {
    // Two seconds of a 1500 Hz tone at 44.1 and 8 kHz: length scales to 48 kHz
    // and the tone keeps its frequency (zero crossings per second).
    for (const int rate : {44100, 8000, 96000}) {
        std::vector<float> tone(static_cast<std::size_t>(rate) * 2);
        for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = 0.5f * std::sin(2 * M_PI * 1500.0 * i / rate);
        const std::string path = TempPath("rate.flac");
        WriteFile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, rate, 1, tone);
        RecordingReader reader(path);
        EXPECT_TRUE(reader.Resampling());
        const auto got = ReadAll(reader, 5000);
        EXPECT_NEAR(static_cast<double>(got.size()), 96000.0, 2.0) << rate;
        int rising = 0;
        for (std::size_t i = 24000; i + 1 < 72000; ++i) rising += got[i] < 0 && got[i + 1] >= 0;
        EXPECT_NEAR(rising, 1500, 2) << rate;
        std::filesystem::remove(path);
    }
}

TEST(RecordingReader, BadFilesGiveClearErrors) {
    const std::pair<std::string, std::string> cases[] = {
        {kData + "/does-not-exist.wav", "no such file"},
        {kData + "/empty.wav", "the file is empty"},
        {kData + "/not-audio.wav", "not a recording"},
        {kData + "/cut-header.wav", "not a recording"},
        {kData + "/corrupt.flac", "cannot read"},
        {kData, "is a directory"},
    };
    for (const auto& [path, reason] : cases) {
        const std::string error = ErrorOf(path);
        EXPECT_NE(error.find("cannot read '" + path + "'"), std::string::npos) << error;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

TEST(RecordingReader, ZeroLengthReadsEmptyAndCutOffFilesKeepWhatTheyHold) {
    RecordingReader zero(kData + "/zero-length.wav");
    EXPECT_TRUE(ReadAll(zero).empty());
    EXPECT_TRUE(zero.Warning().empty());
    RecordingReader cut(kData + "/truncated.wav");
    EXPECT_EQ(ReadAll(cut).size(), 2400u);
    EXPECT_NE(cut.Warning().find("cut off"), std::string::npos);
}

TEST(RecordingReader, EveryCutOffFormatIsNoticed) {
    std::vector<std::int16_t> samples(9600);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>((i * 37) % 20000 - 10000);
    struct Case {
        const char* name;
        int format;
    };
    const Case cases[] = {
        {"cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},   {"cut.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        {"cut.au", SF_FORMAT_AU | SF_FORMAT_PCM_16},     {"cut.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16},
        {"cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}, {"cut.rate.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
    };
    for (const Case& c : cases) {
        const std::string path = TempPath(c.name);
        WriteFile(path, c.format, 48000, 1, samples);
        {
            RecordingReader whole(path);
            EXPECT_EQ(ReadAll(whole).size(), samples.size()) << c.name;
            EXPECT_EQ(whole.Warning(), "") << c.name;
        }
        std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
        RecordingReader cut(path);
        const std::size_t held = ReadAll(cut).size();
        EXPECT_GT(held, 0u) << c.name;
        EXPECT_LT(held, samples.size()) << c.name;
        EXPECT_NE(cut.Warning().find("cut off"), std::string::npos) << c.name << ": " << cut.Warning();
        std::filesystem::remove(path);
    }
    // A WAV cut inside its header: no sound at all, and it says so.
    const std::string path = TempPath("cut-header.wav");
    WriteFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, samples);
    std::filesystem::resize_file(path, 43);
    RecordingReader header(path);
    EXPECT_TRUE(ReadAll(header).empty());
    EXPECT_NE(header.Warning().find("cut off"), std::string::npos) << header.Warning();
    std::filesystem::remove(path);
}

TEST(RecordingPipeline, LevelsDoNotDependOnHowTheFileIsRead) {
    // The same synthesised transmission as a 16-bit WAV and as FLAC: identical levels.
    RttySynthSettings settings;
    settings.snrDb = 15.0;
    const auto samples = SynthesizeRtty("RYRY CQ 73", settings);
    const std::string wav = TempPath("t.wav");
    WriteWav16Mono(wav, samples);
    const std::string flac = TempPath("t.flac");
    WriteFile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 1, samples);
    RecordingReader a(wav), b(flac);
    const auto levels = RecordingLevels(a, {});
    EXPECT_EQ(levels, RecordingLevels(b, {}));
    // 600 levels a second, less the few at each block's end.
    EXPECT_NEAR(static_cast<double>(levels.size()), samples.size() / 80.0, 3.0 * (samples.size() / 32768 + 1));
    std::filesystem::remove(wav);
    std::filesystem::remove(flac);
}

TEST(RecordingPipeline, EachBlockIsNormalisedOnItsOwn) {
    // Block 0 loud, block 1 a tone at 1/100 of the level, block 2 a short tail:
    // block 1 and the tail come out at the same full scale as block 0.
    std::vector<std::int16_t> samples(32768 * 2 + 5000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double amplitude = i < 32768 ? 20000.0 : 200.0;
        samples[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * 1500.0 * i / 48000.0)));
    }
    const std::string path = TempPath("blocks.wav");
    WriteWav16Mono(path, samples);
    for (std::int64_t k = 0; k < 3; ++k) {
        RecordingReader reader(path);
        std::int64_t seen = 0;
        const auto block = RecordingBlock(reader, k, &seen);
        ASSERT_TRUE(block.has_value()) << k;
        EXPECT_EQ(seen, k + 1);
        ASSERT_EQ(block->size(), 32768u);
        std::int32_t peak = 0;
        for (std::int16_t s : *block) peak = std::max(peak, std::abs(static_cast<std::int32_t>(s)));
        EXPECT_GE(peak, 12501) << k;
        EXPECT_LE(peak, 25000) << k;
        if (k == 2) {  // the tail is padded with silence, not the block before it
            for (std::size_t i = 5000; i < block->size(); ++i) ASSERT_EQ((*block)[i], 0) << i;
        }
    }
    RecordingReader reader(path);
    std::int64_t seen = 0;
    EXPECT_FALSE(RecordingBlock(reader, 3, &seen).has_value());
    EXPECT_EQ(seen, 3);
    RecordingReader again(path);
    const auto levels = RecordingLevels(again, {});
    ASSERT_GT(levels.size(), 800u);
    for (std::size_t i = 0; i < levels.size(); ++i) EXPECT_GT(levels[i], 200) << i;
    std::filesystem::remove(path);
}

// A WAV header whose fields lie in every way libsndfile lets through or not:
// each gives a clear error or a defined result, never a crash or a hang.
TEST(RecordingReader, ImpossibleWavHeadersAreHandled) {
    struct Field {
        std::size_t offset;
        std::uint32_t value;
        int bytes;
        const char* what;
    };
    const Field fields[] = {
        {22, 0, 2, "no channels"},         {22, 65535, 2, "65535 channels"},
        {24, 0, 4, "rate 0"},              {24, 1, 4, "rate 1 Hz"},
        {24, 0x7FFFFFFF, 4, "huge rate"},  {34, 0, 2, "0 bits a sample"},
        {34, 13, 2, "13 bits a sample"},   {32, 0, 2, "block align 0"},
        {20, 0x55, 2, "MP3 format tag"},   {40, 0xFFFFFFFF, 4, "data size beyond the file"},
        {4, 0, 4, "RIFF size 0"},          {16, 0xFFFFFF, 4, "fmt chunk size huge"},
    };
    std::vector<std::int16_t> samples(4800);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(10000 * std::sin(i * 0.2));
    const std::string good = TempPath("good.wav");
    WriteWav16Mono(good, samples);
    std::string bytes;
    {
        std::FILE* f = std::fopen(good.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
        std::fclose(f);
    }
    ASSERT_EQ(bytes.substr(36, 4), "data");
    for (const Field& field : fields) {
        std::string bad = bytes;
        for (int i = 0; i < field.bytes; ++i) bad[field.offset + i] = static_cast<char>((field.value >> (8 * i)) & 0xFF);
        const std::string path = TempPath("bad.wav");
        {
            std::FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(bad.data(), 1, bad.size(), f);
            std::fclose(f);
        }
        try {
            RecordingReader reader(path);
            const auto got = ReadAll(reader, 32768);
            // Read as sound: never more samples than the file has bytes.
            EXPECT_LE(got.size() * sizeof(std::int16_t), bad.size() * 8) << field.what;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("cannot read '" + path + "'"), std::string::npos) << field.what;
        }
        std::filesystem::remove(path);
    }
    std::filesystem::remove(good);
}
