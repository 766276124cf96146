// The window's work for one captured block with "Signals" open, inside a
// started QApplication (offscreen): the spectrum and waterfall row with the
// signals' marks drawn over it, the block demodulated onto a level stream
// holding an hour, the results view redrawn, the block's samples handed to
// the scanner's thread, and the list shown again from the rows of six
// signals. /0: the same without "Signals", for comparison.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"
#include "dsp/LevelTimeline.h"
#include "scanner/ScannerWorker.h"
#include "scanner/SignalRows.h"
#include "signallist/CSignalMarks.h"
#include "signallist/CSignalsDlg.h"
#include "synth/RttySynth.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"

namespace {

constexpr std::size_t kHourOfLevels = 600u * 3600u;

// A minute of six senders (45.45 Bd, 170 Hz shift, 550 Hz apart from 400 Hz up) in noise.
std::vector<std::int16_t> SixSenders() {
    constexpr std::size_t kLength = 60 * 48000;
    std::vector<double> sum(kLength, 0.0);
    for (int k = 0; k < 6; ++k) {
        morvane::RttySynthSettings s;
        s.markHz = 400.0 + 550.0 * k;
        s.spaceHz = s.markHz + 170.0;
        s.baud = 45.45;
        std::string text;
        std::mt19937 random(static_cast<unsigned>(k + 1));
        while (text.size() < 400) text += static_cast<char>('A' + random() % 26), text += random() % 6 ? "" : " ";
        const auto x = morvane::SynthesizeRtty(text, s);
        for (std::size_t i = 0; i < kLength && i < x.size(); ++i) sum[i] += 0.25 * x[i];
    }
    std::mt19937 random(9);
    std::normal_distribution<double> noise(0.0, 1500.0);
    std::vector<std::int16_t> out(kLength);
    for (std::size_t i = 0; i < kLength; ++i)
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(sum[i] + noise(random), -32768.0, 32767.0)));
    return out;
}

void BM_ProcessAndShowOneBlockWithSignals(benchmark::State& state) {
    const bool open = state.range(0) == 1;
    CPanoramicView panoramic;
    CResultsView results;
    morvane::RasterModel model;
    results.SetModel(&model);
    panoramic.resize(852, 58);
    results.resize(852, 304);
    panoramic.show();
    results.show();
    panoramic.sampleRate = 48000;
    panoramic.CreateSurface();
    CSignalMarks marks(panoramic);
    CSignalsDlg list;
    if (open) list.show();
    QApplication::processEvents();
    model.params.count = 90;
    model.levels.resize(kHourOfLevels);
    for (std::size_t i = 0; i < model.levels.size(); ++i) model.levels[i] = (i / 12) % 2 ? 200 : 50;
    morvane::LevelTimeline timeline;
    const auto hour = static_cast<std::int32_t>(kHourOfLevels);
    timeline.Record(0, 0, hour, hour * timeline.Window() * 2);
    morvane::ScannerWorker worker;
    worker.Restart(morvane::ScannerOptions{});
    morvane::SignalRows rows(16384);
    const std::vector<std::int16_t> sound = SixSenders();
    const auto clock = [](std::int64_t) { return QStringLiteral("12:00:00"); };
    morvane::CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int16_t> block, samples;
    std::size_t at = 0;
    constexpr std::size_t kBlock = morvane::kDeviceBlockBytes / 2;
    for (auto _ : state) {
        state.PauseTiming();
        if (at + kBlock > sound.size()) {
            at = 0;
            worker.Restart(morvane::ScannerOptions{});
            rows.Clear();
        }
        block.assign(sound.begin() + static_cast<std::ptrdiff_t>(at), sound.begin() + static_cast<std::ptrdiff_t>(at + kBlock));
        at += kBlock;
        samples.clear();
        state.ResumeTiming();
        buffers.HandleBlock(block.data(), morvane::kDeviceBlockBytes);
        panoramic.UpdateSpectrum(buffers.Newest().data(), buffers.NewestSize());
        buffers.DemodulatePending({}, morvane::kCaptureFormat, model.levels, {.timeline = &timeline, .samples = &samples});
        if (open) {
            worker.Feed(samples.data(), samples.size());
            // What the scanner posted back: the rows and marks shown.
            morvane::ScannerNews news = worker.Take();
            rows.Add(std::move(news.pieces));
            rows.SetFollowed(news.followed);
            std::vector<SignalMark> shown;
            for (const morvane::ScannedSignal& s : news.followed) shown.push_back({s.lowHz, s.highHz, s.id, s.received});
            marks.SetMarks(std::move(shown));
            list.Show(rows, clock);
        }
        results.Draw();
        state.PauseTiming();
        QApplication::processEvents();
        if (open) worker.Drain();  // the scanner's own work is not the window's
        state.ResumeTiming();
    }
    state.counters["signals"] = static_cast<double>(rows.InToneOrder().size());
    worker.Drain();
}
BENCHMARK(BM_ProcessAndShowOneBlockWithSignals)->Arg(0)->Arg(1)->ArgName("signals")->Unit(benchmark::kMicrosecond);

}  // namespace
