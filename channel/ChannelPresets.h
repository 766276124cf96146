#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

/// A propagation condition of the two-path model: how many equally strong
/// paths, the delay between one path and the next, and the two-sigma
/// Doppler spread of each path's fading.
struct PathProfile {
    int paths = 1;          // 1 ... 4; 1 with a spread of 0 is no fading at all
    double delayMs = 0.0;   // 0 ... 20 ms between neighbouring paths
    double dopplerHz = 0.0; // 0 ... 100 Hz, two sigma of the Gaussian Doppler spectrum
};

/// The named conditions: "none" (one steady path), "good" (2 paths, 0.5 ms,
/// 0.1 Hz), "moderate" (1 ms, 0.5 Hz), "poor" (2 ms, 1 Hz) and "flutter"
/// (0.5 ms, 10 Hz). Throws std::invalid_argument for any other name.
PathProfile PresetProfile(std::string_view name);

/// The preset names in the order above.
const std::vector<std::string>& PresetNames();

}  // namespace morvane
