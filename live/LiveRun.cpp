#include "live/LiveRun.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "capture/CaptureFormat.h"
#include "capture/CommandQueue.h"
#include "capture/SoundLoss.h"
#include "live/ProcessingLoop.h"

namespace morvane {
std::vector<std::int32_t> RunLiveCapture(std::unique_ptr<SoundSystem> system, const LiveRunOptions& options,
                                         const std::atomic<bool>& interrupted,
                                         const std::function<void(const std::string&)>& onStatus,
                                         DemodOutputs outputs) {
    using namespace std::chrono;
    CommandQueue queue;
    ProcessingHooks hooks;
    hooks.postProcess = [&queue] { queue.Post(LoopCommand::Process); };
    hooks.inputEnded = [&queue] { queue.Post(LoopCommand::InputEnded); };
    // Until the tones are known every block goes to the search, not to
    // capture. Capture starts while the block that told them is still being
    // handled, so the device's next block is the first one captured.
    bool searching = static_cast<bool>(options.findTones);
    ProcessingLoop* started = nullptr;
    std::size_t handedOn = 0;
    if (searching)
        hooks.updateSpectrum = [&](const std::vector<std::int16_t>& block, std::int32_t byteCount) {
            if (!searching || started == nullptr) return;
            const auto count = std::min(block.size(), static_cast<std::size_t>(std::max(0, byteCount / 2)));
            const std::vector<std::int16_t> samples(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(count));
            DemodSettings demod = options.demod;
            if (!options.findTones(samples, demod)) return;
            searching = false;
            started->SetTones(demod.tone1Hz, demod.tone2Hz);
            started->StartCapture();
            handedOn = 0;
        };
    ProcessingLoop loop(std::move(system), hooks);
    loop.SetKeepSoft(options.keepLevels);
    loop.SetFallbackRecording("");  // without a window a sample must not pass for the card
    if (!options.recording.empty()) loop.UseRecording(options.recording, RecordingPace::AfterProcess);

    if (!searching) loop.StartCapture();  // recording from the very first block
    const std::string status = loop.Start(options.arguments, options.demod.tone1Hz, options.demod.tone2Hz);
    if (!loop.IsOpen()) throw std::runtime_error(status);
    if (onStatus) onStatus(status);
    started = &loop;

    const bool timed = options.seconds > 0.0;
    const auto end = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(timed ? options.seconds : 0.0));
    const auto process = [&] {
        loop.Process();
        const LevelStream& stream = loop.Stream();
        const std::vector<std::int32_t>& levels = stream.levels;
        if (options.onLevels) {
            options.onLevels(levels.data() + handedOn, levels.size() - handedOn);
            handedOn = levels.size();
        }
        if (options.onStream) options.onStream(levels, stream.timeline, stream.soft);
        const std::vector<std::int16_t>& samples = loop.NewSamples();
        if (options.onSamples && !samples.empty())
            options.onSamples(samples.data(), samples.size(), loop.NewSamplesStart());
        if (!options.keepLevels) {
            loop.AdoptLevels({});
            handedOn = 0;
        }
    };
    bool ended = false;
    while (!ended && !interrupted && (!timed || steady_clock::now() < end)) {
        auto wait = milliseconds(100);
        if (timed) wait = std::clamp(duration_cast<milliseconds>(end - steady_clock::now()) + milliseconds(1),
                                     milliseconds(0), wait);
        const auto command = queue.Next(wait);
        if (command == LoopCommand::Process) process();
        if (command == LoopCommand::InputEnded) ended = true;
    }
    // The blocks announced by now are still processed; later ones are not.
    for (std::size_t left = queue.Size(); left > 0; --left)
        if (queue.Next(milliseconds(0)) == LoopCommand::Process) process();
    // Lost sound shifts every later character: it is never kept quiet.
    const SoundLoss loss = loop.Loss();
    loop.Stop();
    if (outputs.soft != nullptr) *outputs.soft = loop.Stream().soft;
    if (outputs.timeline != nullptr) *outputs.timeline = loop.Stream().timeline;
    if (loss.Any() && onStatus) onStatus(SoundLossText(loss, kDeviceBlockBytes / 2));
    return loop.Stream().levels;
}

}  // namespace morvane
