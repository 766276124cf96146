#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "recording/RecordingReader.h"
#include "dsp/DemodSettings.h"

namespace morvane {

/// The level stream of a whole recording, processed exactly as live capture
/// processes sound with recording on from its first sample: cut into blocks
/// of 65 536 bytes, each block peak-normalised on its own and appended to the
/// pending buffer, the pending samples demodulated after every block and the
/// consumed bytes dropped. A final shorter block is handled the same way.
std::vector<std::int32_t> RecordingLevels(RecordingReader& reader, const DemodSettings& settings);

/// The same, handing the stream so far to `afterBlock` after every block, so
/// that text can follow a recording (or standard input) while it is read.
std::vector<std::int32_t> RecordingLevels(RecordingReader& reader, const DemodSettings& settings,
                                          const std::function<void(const std::vector<std::int32_t>&)>& afterBlock);

/// The newest block as the waterfall gets it after block `block` (0-based) of
/// the recording: 32 768 peak-normalised samples. A final shorter block is
/// padded with silence, as a device always delivers whole blocks. Empty when
/// the recording has no such block; `blocksSeen` then holds how many it has.
std::optional<std::vector<std::int16_t>> RecordingBlock(RecordingReader& reader, std::int64_t block,
                                                        std::int64_t* blocksSeen = nullptr);

}  // namespace morvane
