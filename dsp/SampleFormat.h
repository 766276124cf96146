#pragma once
#include <cstdint>

namespace morvane {

/// Samples per second of everything the program demodulates and shows.
inline constexpr std::int32_t kSampleRate = 48000;

/// Level windows per symbol at the reference speed (80 samples a window at
/// 48 kHz and 50 baud).
inline constexpr float kWindowsPerSymbol = 12.0f;

/// The sample format: 16-bit signed PCM, mono, 48 000 samples per second.
struct CaptureFormat {
    std::uint16_t formatTag = 1;           // plain PCM
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSec = kSampleRate;
    std::uint32_t avgBytesPerSec = 2 * kSampleRate;
    std::uint16_t blockAlign = 2;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extraSize = 0;
};

inline constexpr CaptureFormat kCaptureFormat{};

/// The speed in baud of a bit cell `cellPixels` wide in the raster (two pixels
/// a level), in single precision: referenceBaud × 2 × 12 / cellPixels. A cell
/// of 0 pixels gives infinity.
inline float SpeedForCellWidth(float referenceBaud, float cellPixels) {
    return referenceBaud * 2.0f * kWindowsPerSymbol / cellPixels;
}

}  // namespace morvane
