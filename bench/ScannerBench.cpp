#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "scanner/FirKernel.h"
#include "scanner/SignalScanner.h"
#include "synth/RttySynth.h"

namespace {

using namespace morvane;

// Thirty seconds holding `count` senders (45.45 Bd, 170 Hz shift, 550 Hz
// apart from 400 Hz up) in noise 10 dB below each sender.
std::vector<std::int16_t> Senders(int count) {
    constexpr std::size_t kLength = 30 * 48000;
    std::vector<double> sum(kLength, 0.0);
    for (int k = 0; k < count; ++k) {
        RttySynthSettings s;
        s.markHz = 400.0 + 550.0 * k;
        s.spaceHz = s.markHz + 170.0;
        s.baud = 45.45;
        std::string text;
        std::mt19937 random(static_cast<unsigned>(k + 1));
        while (text.size() < 200) text += static_cast<char>('A' + random() % 26), text += random() % 6 ? "" : " ";
        const auto x = SynthesizeRtty(text, s);
        for (std::size_t i = 0; i < kLength && i < x.size(); ++i) sum[i] += 0.25 * x[i];
    }
    std::mt19937 random(9);
    std::normal_distribution<double> noise(0.0, 1500.0);
    std::vector<std::int16_t> out(kLength);
    for (std::size_t i = 0; i < kLength; ++i) out[i] = static_cast<std::int16_t>(std::lround(std::clamp(sum[i] + noise(random), -32768.0, 32767.0)));
    return out;
}

// The scanner's cost per second of sound with 0 … 6 signals in the band
// (items are seconds of sound): the search and the shared front end alone at
// 0, then one receiver more per signal.
void BM_ScannerSignals(benchmark::State& state) {
    const auto samples = Senders(static_cast<int>(state.range(0)));
    std::size_t received = 0;
    for (auto _ : state) {
        SignalScanner scanner{ScannerOptions{}};
        for (std::size_t at = 0; at < samples.size(); at += 32768)
            scanner.Push(samples.data() + at, std::min<std::size_t>(32768, samples.size() - at));
        scanner.Finish();
        benchmark::DoNotOptimize(scanner.Take());
        received = scanner.Received().size();
    }
    state.counters["received"] = static_cast<double>(received);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 30);
}
BENCHMARK(BM_ScannerSignals)->DenseRange(0, 6, 1)->ArgName("signals")->Unit(benchmark::kMillisecond);

// The filters' dot product over 189 taps (the shared low-pass), the vector
// form against the plain loop it equals bit for bit (items are products).
void BM_FirDot(benchmark::State& state) {
    constexpr std::size_t kTaps = 189;
    std::vector<float> taps(kTaps), x(4096);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> u(-1.0F, 1.0F);
    for (float& t : taps) t = u(random);
    for (float& v : x) v = u(random);
    const bool plain = state.range(0) == 1;
    for (auto _ : state) {
        float sum = 0.0F;
        for (std::size_t at = 0; at + kTaps <= x.size(); at += 5)
            sum += plain ? FirDotPlain(taps.data(), x.data() + at, kTaps) : FirDot(taps.data(), x.data() + at, kTaps);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>((x.size() - kTaps) / 5 + 1) * kTaps);
}
BENCHMARK(BM_FirDot)->Arg(0)->Arg(1)->ArgName("plain");

}  // namespace
