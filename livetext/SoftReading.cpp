#include "livetext/SoftReading.h"

#include <cmath>

#include "align/FrameSoftBits.h"
#include "align/SoftTimeTrueSignal.h"
#include "dsp/LevelTimeline.h"
#include "livetext/StreamGrid.h"

namespace morvane {

namespace {
class SoftStretch : public LiveTextDecider::Stretch {
public:
    SoftStretch(const TimeTrueSignal& levels, const StreamGrid& grid, const std::vector<SoftWindow>& soft,
                std::int64_t a, std::int64_t b, double bit) {
        grid.Cut(soft, a, b, m_timeline, m_soft);
        m_keying = MakeSoftTimeTrueSignal(levels, m_timeline, m_soft, bit);
    }
    const TimeTrueSignal& Keying() const override { return m_keying; }
    std::string Row(const FrameModel& model, const TrackedFrame& frame) const override {
        return FrameSoftBits(m_keying, m_timeline, m_soft, model, {frame});
    }

private:
    LevelTimeline m_timeline;
    std::vector<SoftWindow> m_soft;  // the correlations of the stretch's windows
    TimeTrueSignal m_keying;
};
}  // namespace

LiveTextDecider::Reach SoftReading::ReachFor(double bit) const {
    // A keying point sums half a bit on either side of its window.
    return {static_cast<std::int64_t>(std::ceil(0.5 * bit)) + 1, bit + 2.0, 0.5 * bit};
}

std::unique_ptr<LiveTextDecider::Stretch> SoftReading::Lay(TimeTrueSignal levels, const StreamGrid& grid,
                                                           const std::vector<SoftWindow>& soft, std::int64_t a,
                                                           std::int64_t b, double bit) const {
    return std::make_unique<SoftStretch>(levels, grid, soft, a, b, bit);
}

}  // namespace morvane
