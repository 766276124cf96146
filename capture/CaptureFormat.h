#pragma once
#include <cstdint>

namespace morvane {

/// The capture format: 16-bit signed PCM, mono, 48 000 samples per second.
struct CaptureFormat {
    std::uint16_t formatTag = 1;           // plain PCM
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSec = 48000;
    std::uint32_t avgBytesPerSec = 96000;
    std::uint16_t blockAlign = 2;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extraSize = 0;
};

inline constexpr CaptureFormat kCaptureFormat{};

/// Size of one device block in bytes: 32 768 samples, about 0.68 s.
inline constexpr std::int32_t kDeviceBlockBytes = 65536;

/// Capacity of the pending and work buffers in bytes: 8 s of sound.
inline constexpr std::int32_t kPendingCapacity = 768000;

}  // namespace morvane
