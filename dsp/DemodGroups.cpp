#include "dsp/DemodGroups.h"

#include <cmath>

namespace morvane::demod {

References::References(const CallGeometry& g) : cos1(g.window), sin1(g.window), cos2(g.window), sin2(g.window) {
    const double p1 = g.period1;
    const double p2 = g.period2;
    for (std::int32_t j = 0; j < g.window; ++j) {
        const double phi1 = j * kTwoPi / p1;
        const double phi2 = j * kTwoPi / p2;
        cos1[j] = std::cos(phi1);
        sin1[j] = std::sin(phi1);
        cos2[j] = std::cos(phi2);
        sin2[j] = std::sin(phi2);
    }
}

const References& ReferencesFor(const CallGeometry& g) {
    struct Cached {
        float period1 = 0.0f, period2 = 0.0f;
        std::int32_t window = -1;
        References references{CallGeometry{}};
    };
    thread_local Cached cached;
    // Compared bit for bit: NaN never occurs (finite tones), and 0 Hz gives infinity.
    if (std::memcmp(&cached.period1, &g.period1, sizeof(float)) != 0 ||
        std::memcmp(&cached.period2, &g.period2, sizeof(float)) != 0 || cached.window != g.window) {
        cached.references = References(g);
        cached.period1 = g.period1;
        cached.period2 = g.period2;
        cached.window = g.window;
    }
    return cached.references;
}

}  // namespace morvane::demod
