#pragma once
#include <cstdint>
#include <string>

namespace morvane {

/// Sound lost during a capture: whole blocks dropped because the program fell
/// behind (the relay's slots or the pending buffer were full), and the times
/// the sound card itself reported input lost before it reached the program.
struct SoundLoss {
    std::uint64_t droppedBlocks = 0;
    std::uint64_t overflows = 0;

    bool Any() const { return droppedBlocks > 0 || overflows > 0; }
};

/// "N blocks dropped (X s of sound lost)", X with one decimal for blocks of
/// blockSamples samples at 48 000 per second, followed by "; the sound card
/// overran K times" when it did. Empty when nothing was lost.
std::string SoundLossText(const SoundLoss& loss, std::int64_t blockSamples);

}  // namespace morvane
