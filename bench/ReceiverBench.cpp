#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "receiver/MixKernel.h"
#include "receiver/Receiver.h"
#include "receiver/ToneMixer.h"
#include "synth/RttySynth.h"

namespace {

using namespace morvane;

// One minute of five-letter groups at 45.45 baud, 170 Hz shift, 10 dB SNR.
const std::vector<std::int16_t>& Minute() {
    static const std::vector<std::int16_t> samples = [] {
        std::mt19937 random(5);
        std::string text;
        while (text.size() < 330) {
            for (int i = 0; i < 5; ++i) text += static_cast<char>('A' + random() % 26);
            text += ' ';
        }
        RttySynthSettings synth;
        synth.baud = 45.45;
        synth.markHz = 2125.0;
        synth.spaceHz = 2295.0;
        synth.snrDb = 10.0;
        return SynthesizeRtty(text, synth);
    }();
    return samples;
}

// The receiver's cost per second of sound: finding the tones, the rate and
// the frames, then following them (items are seconds of sound).
void BM_ReceiverMinute(benchmark::State& state) {
    const auto& samples = Minute();
    for (auto _ : state) {
        ReceiverOptions options;
        if (state.range(0) == 1) {
            options.tone1Hz = 2125.0;
            options.tone2Hz = 2295.0;
        }
        Receiver receiver(options);
        receiver.Push(samples.data(), samples.size());
        receiver.Finish();
        benchmark::DoNotOptimize(receiver.Take());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(samples.size() / 48000));
}
BENCHMARK(BM_ReceiverMinute)->Arg(0)->Arg(1)->ArgName("tonesGiven")->Unit(benchmark::kMillisecond);

// The mixers' kernel over a second of sound in sub-blocks of 20 samples
// (48 kHz to 2400 a second), the vector form against the plain loop it
// equals bit for bit (items are samples).
void BM_MixSecond(benchmark::State& state) {
    const auto& minute = Minute();
    std::vector<float> x(48000);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(minute[i]) / 32768.0F;
    constexpr std::size_t kBlock = 20;
    std::vector<float> taps(4 * kBlock);
    ToneMixer(48000.0, 2125.0, kBlock).WriteTaps(taps.data(), 4);
    ToneMixer(48000.0, 2295.0, kBlock).WriteTaps(taps.data() + 2, 4);
    const bool plain = state.range(0) == 1;
    for (auto _ : state) {
        float sum = 0.0F;
        for (std::size_t at = 0; at + kBlock <= x.size(); at += kBlock) {
            const MixSums m = plain ? MixBlockPlain(x.data() + at, taps.data(), kBlock) : MixBlock(x.data() + at, taps.data(), kBlock);
            sum += m[0];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(x.size()));
}
BENCHMARK(BM_MixSecond)->Arg(0)->Arg(1)->ArgName("plain");

}  // namespace
