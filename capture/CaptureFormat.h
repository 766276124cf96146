#pragma once
#include <cstdint>

#include "dsp/SampleFormat.h"

namespace morvane {

/// Size of one device block in bytes: 32 768 samples, about 0.68 s.
inline constexpr std::int32_t kDeviceBlockBytes = 65536;

/// Capacity of the pending and work buffers in bytes: 8 s of sound.
inline constexpr std::int32_t kPendingCapacity = 768000;

}  // namespace morvane
