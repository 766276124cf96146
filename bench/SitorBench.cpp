#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "sitor/SitorDecoder.h"
#include "sitor/SitorDemodulator.h"
#include "sitor/SitorSynth.h"

namespace {

using namespace morvane::sitor;

// About a minute of NAVTEX at 100 baud, 10 dB SNR.
const std::vector<std::int16_t>& Minute() {
    static const std::vector<std::int16_t> samples = [] {
        std::string text = "ZCZC EA01\r\n";
        while (text.size() < 420) text += "GALE WARNING SEA AREA 12 WINDS 8 TO 9 VEERING NORTH. ";
        SitorSynthSettings s;
        s.snrDb = 10.0;
        return SynthesizeSitorB(text + "\r\nNNNN", s);
    }();
    return samples;
}

// SITOR-B read from the samples: the soft bits (matched filters, bit timing),
// then the word sync and the characters (items are seconds of sound).
void BM_SitorMinute(benchmark::State& state) {
    const auto& samples = Minute();
    for (auto _ : state) {
        SitorDemodulator demod(1615.0, 1785.0);
        demod.Push(samples.data(), samples.size());
        demod.Finish();
        benchmark::DoNotOptimize(ReadSitorB(demod.Bits(), CopyChoice::Margin));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(samples.size() / 48000));
}
BENCHMARK(BM_SitorMinute)->Unit(benchmark::kMillisecond);

}  // namespace
