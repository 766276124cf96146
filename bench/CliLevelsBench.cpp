// The `levels` pipeline of morvane-cli over a ten-minute recording: read the
// file in blocks, normalise each block, demodulate after every block.
#if defined(MORVANE_BENCH_IO)
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingWriter.h"
#include "synth/RttySynth.h"

namespace {

constexpr double kMinutes = 10.0;

// A ten-minute noisy transmission, written once and removed at exit.
class TenMinuteRecording {
public:
    TenMinuteRecording()
        : m_path((std::filesystem::temp_directory_path() / ("morvane-bench-" + std::to_string(::getpid()) + ".wav"))
                     .string()) {
        // 7.5 bits of 20 ms a code: 150 ms; about 4000 codes with idle make ten minutes.
        const std::string line = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789\n";
        std::string text;
        while (static_cast<double>(morvane::EncodeBaudot(text + line).size()) * 0.15 < kMinutes * 60.0 - 2.0) text += line;
        morvane::RttySynthSettings settings;
        settings.snrDb = 10.0;
        const double keyedSeconds = static_cast<double>(morvane::EncodeBaudot(text).size()) * 0.15;
        settings.idleSeconds = (kMinutes * 60.0 - keyedSeconds) / 2.0;
        const auto samples = morvane::SynthesizeRtty(text, settings);
        m_samples = static_cast<std::int64_t>(samples.size());
        morvane::WriteWav16Mono(m_path, samples);
    }
    ~TenMinuteRecording() { std::filesystem::remove(m_path); }
    const std::string& Path() const { return m_path; }
    std::int64_t Samples() const { return m_samples; }

private:
    std::string m_path;
    std::int64_t m_samples = 0;
};

const TenMinuteRecording& Recording() {
    static const TenMinuteRecording recording;
    return recording;
}

void BM_CliLevelsTenMinutes(benchmark::State& state) {
    const TenMinuteRecording& recording = Recording();
    std::size_t levels = 0;
    for (auto _ : state) {
        morvane::RecordingReader reader(recording.Path());
        const auto stream = morvane::RecordingLevels(reader, {});
        levels = stream.size();
        benchmark::DoNotOptimize(stream.data());
    }
    state.SetItemsProcessed(state.iterations() * recording.Samples());
    state.counters["levels"] = static_cast<double>(levels);
    state.counters["audio_s_per_s"] = benchmark::Counter(static_cast<double>(recording.Samples()) / 48000.0,
                                                         benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CliLevelsTenMinutes)->Unit(benchmark::kMillisecond);

// Reading alone: the 16-bit 48 kHz file passed through in blocks.
void BM_CliReadTenMinutes(benchmark::State& state) {
    const TenMinuteRecording& recording = Recording();
    std::vector<std::int16_t> block(32768);
    for (auto _ : state) {
        morvane::RecordingReader reader(recording.Path());
        std::int64_t total = 0;
        for (std::size_t n; (n = reader.Read(block.data(), block.size())) > 0;) total += static_cast<std::int64_t>(n);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * recording.Samples());
}
BENCHMARK(BM_CliReadTenMinutes)->Unit(benchmark::kMillisecond);

// libsndfile alone on the same file and blocks: what the reader should come near.
void BM_SndfileReadTenMinutes(benchmark::State& state) {
    const TenMinuteRecording& recording = Recording();
    std::vector<std::int16_t> block(32768);
    for (auto _ : state) {
        SF_INFO info{};
        SNDFILE* file = sf_open(recording.Path().c_str(), SFM_READ, &info);
        if (!file) {
            state.SkipWithError("cannot open the recording");
            return;
        }
        std::int64_t total = 0;
        for (sf_count_t n; (n = sf_readf_short(file, block.data(), static_cast<sf_count_t>(block.size()))) > 0;)
            total += n;
        sf_close(file);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * recording.Samples());
}
BENCHMARK(BM_SndfileReadTenMinutes)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
