#pragma once

namespace morvane {

/// How fast a recording played in place of a sound card delivers its blocks.
enum class RecordingPace {
    RealTime,      // one block per block duration (0.68 s for 65 536 bytes)
    AfterProcess,  // the next block once the previous Process was handled
};

}  // namespace morvane
