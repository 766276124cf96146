#include "livetext/LevelReading.h"

#include <utility>

#include "align/FrameFinder.h"

namespace morvane {

namespace {
class LevelStretch : public LiveTextDecider::Stretch {
public:
    explicit LevelStretch(TimeTrueSignal levels) : m_levels(std::move(levels)) {}
    const TimeTrueSignal& Keying() const override { return m_levels; }
    std::string Row(const FrameModel& model, const TrackedFrame& frame) const override {
        return FrameBits(m_levels, model, {frame});
    }

private:
    TimeTrueSignal m_levels;
};
}  // namespace

LiveTextDecider::Reach LevelReading::ReachFor(double) const { return {}; }

std::unique_ptr<LiveTextDecider::Stretch> LevelReading::Lay(TimeTrueSignal levels, const StreamGrid&,
                                                            const std::vector<SoftWindow>&, std::int64_t,
                                                            std::int64_t, double) const {
    return std::make_unique<LevelStretch>(std::move(levels));
}

}  // namespace morvane
