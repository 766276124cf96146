#pragma once
#include <complex>
#include <cstdint>
#include <vector>

#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// The windows' tone correlations summed over stretches of the sound's time.
/// Keeps the correlations unpacked to 32-bit floats (exact: 16 bytes a window).
class SoftSpans {
public:
    /// The two tone correlations of a stretch, summed in phase.
    struct Sum {
        std::complex<double> tone1, tone2;
        /// Tone-1 minus tone-2 energy: above 0 when tone 1 is the stronger.
        double Evidence() const { return std::norm(tone1) - std::norm(tone2); }
        double Energy() const { return std::norm(tone1) + std::norm(tone2); }
    };

    /// `soft` holds one window per level of the stream `timeline` describes;
    /// a timeline that does not describe it is taken as evenly spaced
    /// windows of `window` samples (≥ 1) from sample 0.
    SoftSpans(const LevelTimeline& timeline, const std::vector<SoftWindow>& soft, std::int32_t window);

    /// The correlations over samples [a, b), each window weighted by the part
    /// of it inside the stretch. Zero sums for an empty stretch or one beside
    /// the stream.
    Sum Over(double a, double b) const;

private:
    std::vector<float> m_values;  // re1, im1, re2, im2 of every window
    std::int64_t m_window;
    std::vector<std::int64_t> m_start;  // first sample of every window
};

}  // namespace morvane
