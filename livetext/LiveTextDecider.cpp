#include "livetext/LiveTextDecider.h"

#include "livetext/LevelReading.h"
#include "livetext/SoftReading.h"

namespace morvane {

std::shared_ptr<const LiveTextDecider> LiveTextDeciderFor(bool soft) {
    if (soft) return std::make_shared<const SoftReading>();
    return std::make_shared<const LevelReading>();
}

}  // namespace morvane
