// The window's work for one captured block, inside a started QApplication
// (offscreen): the spectrum and waterfall row (Process, step 1), the block
// demodulated onto a level stream holding an hour (step 2), and the results
// view redrawn (Show), at the window's default view sizes. Also 8 192 cosine
// calls alone, the plain SSE work that suffers when upper vector state is
// left dirty by code that ran before.
#include <QApplication>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"
#include "dsp/LevelTimeline.h"
#include "dsp/Spectrum.h"
#include "dsp/VectorState.h"
#include "livetext/LiveTextWorker.h"
#include "synth/RttySynth.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"
#include "widgets/CTuningScope.h"
#include "widgets/CTuningWaterfall.h"
#include "tuning/InputLevel.h"
#include "tuning/ToneFollower.h"
#include "tuning/TuningScope.h"
#include "tuning/TuningWaterfall.h"

namespace {

constexpr std::size_t kHourOfLevels = 600u * 3600u;

std::vector<std::int16_t> ToneBlock(std::size_t first) {
    std::vector<std::int16_t> block(morvane::kDeviceBlockBytes / 2);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::int16_t>(9000.0 * std::sin(6.283185307179586 * 1500.0 * double(first + i) / 48000.0));
    return block;
}

void BM_ProcessAndShowOneBlock(benchmark::State& state) {
    CPanoramicView panoramic;
    CResultsView results;
    morvane::RasterModel model;
    results.SetModel(&model);
    panoramic.resize(852, 58);   // 426 × 29 dialog units
    results.resize(852, 304);    // 426 × 152 dialog units
    panoramic.show();
    results.show();
    QApplication::processEvents();
    model.params.count = 90;
    model.levels.assign(kHourOfLevels, 128);
    for (std::size_t i = 0; i < model.levels.size(); ++i) model.levels[i] = (i / 12) % 2 ? 200 : 50;
    morvane::CaptureBuffers buffers;
    buffers.SetRecording(true);
    const std::vector<std::int16_t> tone = ToneBlock(0);
    std::vector<std::int16_t> block;
    for (auto _ : state) {
        block = tone;
        buffers.HandleBlock(block.data(), morvane::kDeviceBlockBytes);
        panoramic.UpdateSpectrum(buffers.Newest().data(), buffers.NewestSize());
        buffers.DemodulatePending({}, morvane::kCaptureFormat, model.levels);
        results.Draw();
        state.PauseTiming();
        model.levels.resize(kHourOfLevels);  // an hour in the stream, every time
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ProcessAndShowOneBlock)->Unit(benchmark::kMicrosecond);

// The same with the receive pane's tuning on: the block's tone energies
// kept on the stream, the scope's picture and figures measured from them and
// drawn, the card's input level, AFC's search on the strip's transforms, a
// row of the tuning waterfall computed with the block's fine detail and
// drawn, and a line of text added to the pane.
void BM_ProcessAndShowOneBlockWithTuning(benchmark::State& state) {
    CPanoramicView panoramic;
    CResultsView results;
    CTuningScope scope;
    CTuningWaterfall fallView;
    QPlainTextEdit pane;
    morvane::RasterModel model;
    results.SetModel(&model);
    panoramic.resize(852, 58);
    results.resize(852, 304);
    scope.resize(136, 136);
    fallView.resize(306, 150);
    pane.resize(306, 200);
    for (QWidget* w : std::initializer_list<QWidget*>{&panoramic, &results, &scope, &fallView, &pane}) w->show();
    QApplication::processEvents();
    model.params.count = 90;
    model.levels.resize(kHourOfLevels);
    for (std::size_t i = 0; i < model.levels.size(); ++i) model.levels[i] = (i / 12) % 2 ? 200 : 50;
    std::vector<morvane::SoftWindow> soft;
    soft.reserve(kHourOfLevels + 4096);  // a stream long grown: no reallocation a block
    soft.resize(kHourOfLevels);
    const morvane::ToneResponse response = morvane::MeasureToneResponse({});
    morvane::TuningWaterfall fall(306, 150 - CTuningWaterfall::kLabelHeight);
    morvane::ToneFollower follower;
    morvane::CaptureBuffers buffers;
    buffers.SetRecording(true);
    const std::vector<std::int16_t> tone = ToneBlock(0);
    std::vector<std::int16_t> block;
    for (auto _ : state) {
        block = tone;
        buffers.HandleBlock(block.data(), morvane::kDeviceBlockBytes);
        const std::vector<std::int16_t>& newest = buffers.Newest();
        panoramic.UpdateSpectrum(newest.data(), buffers.NewestSize());
        benchmark::DoNotOptimize(morvane::InputPeak(newest));
        follower.Add(panoramic.spectrum.get(), panoramic.fftSize);
        benchmark::DoNotOptimize(follower.Find());
        fall.AddSpectrum(panoramic.spectrum.get(), panoramic.fftSize);
        fall.AddFine(newest.data(), newest.size());
        fallView.SetPicture(fall, 1500.0, 2000.0);
        buffers.DemodulatePending({}, morvane::kCaptureFormat, model.levels, {.soft = &soft});
        results.Draw();
        scope.SetPicture(morvane::MeasureTuning(soft, soft.size(), response), CTuningScope::State::Locked);
        pane.appendPlainText(QStringLiteral("RYRY CQ CQ DE MORVANE"));
        scope.repaint();
        fallView.repaint();
        state.PauseTiming();
        model.levels.resize(kHourOfLevels);
        soft.resize(kHourOfLevels);
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ProcessAndShowOneBlockWithTuning)->Unit(benchmark::kMicrosecond);

// Only what the receive pane's tuning adds to a block (the pieces of the
// benchmark above past the plain Process + Show, the soft windows aside).
void BM_TuningAloneOneBlock(benchmark::State& state) {
    CPanoramicView panoramic;
    CTuningScope scope;
    CTuningWaterfall fallView;
    QPlainTextEdit pane;
    panoramic.resize(852, 58);
    scope.resize(136, 136);
    fallView.resize(306, 150);
    pane.resize(306, 200);
    for (QWidget* w : std::initializer_list<QWidget*>{&panoramic, &scope, &fallView, &pane}) w->show();
    QApplication::processEvents();
    std::vector<morvane::SoftWindow> soft(kHourOfLevels);
    for (std::size_t i = 0; i < soft.size(); ++i) soft[i].re1 = morvane::Half(float(i % 24 < 12 ? 900 : 30));
    const morvane::ToneResponse response = morvane::MeasureToneResponse({});
    morvane::TuningWaterfall fall(306, 150 - CTuningWaterfall::kLabelHeight);
    morvane::ToneFollower follower;
    morvane::CaptureBuffers buffers;
    buffers.HandleBlock(ToneBlock(0).data(), morvane::kDeviceBlockBytes);
    panoramic.UpdateSpectrum(buffers.Newest().data(), buffers.NewestSize());
    for (auto _ : state) {
        benchmark::DoNotOptimize(morvane::InputPeak(buffers.Newest()));
        follower.Add(panoramic.spectrum.get(), panoramic.fftSize);
        benchmark::DoNotOptimize(follower.Find());
        fall.AddSpectrum(panoramic.spectrum.get(), panoramic.fftSize);
        fall.AddFine(buffers.Newest().data(), buffers.Newest().size());
        fallView.SetPicture(fall, 1500.0, 2000.0);
        scope.SetPicture(morvane::MeasureTuning(soft, soft.size(), response), CTuningScope::State::Locked);
        pane.appendPlainText(QStringLiteral("RYRY CQ CQ DE MORVANE"));
        scope.repaint();
        fallView.repaint();
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TuningAloneOneBlock)->Unit(benchmark::kMicrosecond);

// One row of the tuning waterfall (306 × 136, the default zoom): /0 from
// the strip's transform alone, /1 with the block's fine detail too.
void BM_TuningWaterfallRow(benchmark::State& state) {
    morvane::TuningWaterfall fall(306, 150 - CTuningWaterfall::kLabelHeight);
    fall.SetView(2210.0, morvane::TuningWaterfall::kDefaultZoom);
    morvane::CaptureBuffers buffers;
    buffers.HandleBlock(ToneBlock(0).data(), morvane::kDeviceBlockBytes);
    std::unique_ptr<float[]> spectrum;
    morvane::ComputeSpectrum(buffers.Newest().data(), buffers.Newest().size(), spectrum, morvane::kFftSize);
    for (auto _ : state) {
        fall.AddSpectrum(spectrum.get(), morvane::kFftSize);
        if (state.range(0) != 0) fall.AddFine(buffers.Newest().data(), buffers.Newest().size());
        benchmark::DoNotOptimize(fall.Pixels().data());
    }
}
BENCHMARK(BM_TuningWaterfallRow)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same with the live text window open: the block's levels and timeline
// are handed to the live-text reader's thread, which reads them meanwhile
// (hunting through noise, its most costly work).
void BM_ProcessAndShowOneBlockWithLiveText(benchmark::State& state) {
    CPanoramicView panoramic;
    CResultsView results;
    morvane::RasterModel model;
    results.SetModel(&model);
    panoramic.resize(852, 58);
    results.resize(852, 304);
    panoramic.show();
    results.show();
    QApplication::processEvents();
    model.params.count = 90;
    model.levels.resize(kHourOfLevels);
    for (std::size_t i = 0; i < model.levels.size(); ++i) model.levels[i] = (i / 12) % 2 ? 200 : 50;
    morvane::LevelTimeline timeline;
    const auto hour = static_cast<std::int32_t>(kHourOfLevels);
    timeline.Record(0, 0, hour, hour * timeline.Window() * 2);
    morvane::LiveTextWorker worker;
    worker.Restart({1500.0F, 2000.0F, {}, morvane::LiveTextDeciderFor(false)});
    worker.Feed(model.levels, timeline, {});
    worker.Drain();
    morvane::CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int16_t> block;
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 4000.0);  // noise only: the reader hunts all the time
    for (auto _ : state) {
        state.PauseTiming();
        block.resize(morvane::kDeviceBlockBytes / 2);
        for (std::int16_t& v : block) v = static_cast<std::int16_t>(noise(random));
        state.ResumeTiming();
        buffers.HandleBlock(block.data(), morvane::kDeviceBlockBytes);
        panoramic.UpdateSpectrum(buffers.Newest().data(), buffers.NewestSize());
        buffers.DemodulatePending({}, morvane::kCaptureFormat, model.levels, {.timeline = &timeline});
        worker.Feed(model.levels, timeline, {});
        results.Draw();
        state.PauseTiming();
        QApplication::processEvents();
        (void)worker.Take();
        state.ResumeTiming();
    }
    worker.Drain();
}
BENCHMARK(BM_ProcessAndShowOneBlockWithLiveText)->Unit(benchmark::kMicrosecond);

// The same with the live text read from the samples: the block's samples
// (as they came, before the peak normalisation) are handed to the receiver
// on the live text's thread. /0: noise alone (the receiver searches for
// tones all the time); /1: a teleprinter signal at 10 dB (it follows it).
void BM_ProcessAndShowOneBlockWithReceiver(benchmark::State& state) {
    CPanoramicView panoramic;
    CResultsView results;
    morvane::RasterModel model;
    results.SetModel(&model);
    panoramic.resize(852, 58);
    results.resize(852, 304);
    panoramic.show();
    results.show();
    QApplication::processEvents();
    model.params.count = 90;
    model.levels.resize(kHourOfLevels);
    for (std::size_t i = 0; i < model.levels.size(); ++i) model.levels[i] = (i / 12) % 2 ? 200 : 50;
    morvane::LevelTimeline timeline;
    const auto hour = static_cast<std::int32_t>(kHourOfLevels);
    timeline.Record(0, 0, hour, hour * timeline.Window() * 2);
    morvane::LiveTextWorker worker;
    worker.RestartOnSamples({});
    std::vector<std::int16_t> sound;
    if (state.range(0) == 0) {
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, 4000.0);
        sound.resize(48000 * 60);
        for (std::int16_t& v : sound) v = static_cast<std::int16_t>(noise(random));
    } else {
        morvane::RttySynthSettings synth;
        synth.snrDb = 10.0;
        std::string text;
        for (int i = 0; i < 12; ++i) text += "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 ";
        sound = morvane::SynthesizeRtty(text, synth);
    }
    morvane::CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int16_t> block, samples;
    std::size_t at = 0;
    constexpr std::size_t kBlock = morvane::kDeviceBlockBytes / 2;
    for (auto _ : state) {
        state.PauseTiming();
        if (at + kBlock > sound.size()) at = 0;
        block.assign(sound.begin() + static_cast<std::ptrdiff_t>(at), sound.begin() + static_cast<std::ptrdiff_t>(at + kBlock));
        at += kBlock;
        samples.clear();
        state.ResumeTiming();
        buffers.HandleBlock(block.data(), morvane::kDeviceBlockBytes);
        panoramic.UpdateSpectrum(buffers.Newest().data(), buffers.NewestSize());
        buffers.DemodulatePending({}, morvane::kCaptureFormat, model.levels, {.timeline = &timeline, .samples = &samples});
        worker.FeedSamples(samples.data(), samples.size());
        results.Draw();
        state.PauseTiming();
        QApplication::processEvents();
        (void)worker.Take();
        state.ResumeTiming();
    }
    worker.Drain();
}
BENCHMARK(BM_ProcessAndShowOneBlockWithReceiver)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Right after Qt has painted the results view, as the spectrum's window used
// to be computed (two cosines per sample of 4 096): /0 as painted, /1 with
// the upper vector state cleared after painting.
void BM_CosineCallsAfterQtPainted(benchmark::State& state) {
    const bool cleared = state.range(0) != 0;
    CResultsView results;
    morvane::RasterModel model{std::vector<std::int32_t>(100000, 200), {}};
    results.SetModel(&model);
    results.resize(852, 304);
    results.show();
    QApplication::processEvents();
    double sum = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        results.Draw();
        if (cleared) morvane::ClearUpperVectorState();
        state.ResumeTiming();
        for (int i = 0; i < 8192; ++i) sum += std::cos(i * 0.001);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_CosineCallsAfterQtPainted)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
