#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "receiver/Receiver.h"
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

}  // namespace
