#pragma once
#include <cstddef>
#include <vector>

#include "dsp/DemodSettings.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// Below this S/N the stretch holds no keyed signal (noise alone reads 3 … 7 dB:
/// the two tones' windows overlap in frequency).
inline constexpr double kSignalSnrDb = 10.0;
inline constexpr double kSnrFloorDb = -10.0;

/// What the tuning indicator shows of the last stretch of the stream.
struct TuningPicture {
    /// One ellipse a window (a few windows apart): the tone 1 and tone 2
    /// amplitudes, 0 … 1 of the largest in the stretch. Mark alone is a flat
    /// ellipse, space alone an upright one; a signal tuned right draws a cross.
    struct Axes {
        float tone1 = 0.0F, tone2 = 0.0F;
    };
    std::vector<Axes> ellipses;
    double levelDb = -120.0;  // the stronger tone's mean energy, dB of a steady tone at the capture's full peak
    double snrDb = kSnrFloorDb;  // the stronger tone over the noise in the weaker (its pick-up of the stronger and
                              // noise's own share taken out), dB in a group's band, ≥ kSnrFloorDb
    bool signal = false;      // snrDb reaches kSignalSnrDb
};

/// Windows the picture looks back over (0.5 s of 80-sample windows at 48 kHz) and at most ellipses drawn.
inline constexpr std::size_t kTuningWindows = 300;
inline constexpr std::size_t kTuningEllipses = 60;

/// How a steady tone at the capture's full peak (25 000) shows in the
/// windows made with `tones`: its own energy (the level's 0 dB) and the
/// share of it the other tone picks up (the windows are short: close tones
/// overlap). Measured by demodulating such a tone.
struct ToneResponse {
    double fullEnergy = 1.0;
    double leak = 0.0;  // 0 … 1
    /// Windows added up (in phase) into one of the picture's: 80 samples
    /// hear a band 600 Hz wide, too wide to tell tones 170 Hz apart, so
    /// close tones are looked at over as many windows as their shift asks
    /// (⌊600 Hz / shift⌋: 3 for 170 Hz, 1 from 300 Hz; at most kMostGrouped).
    std::size_t group = 1;
};
inline constexpr std::size_t kMostGrouped = 8;
ToneResponse MeasureToneResponse(const DemodSettings& tones);

/// The picture of the `windows` soft windows before `end` (fewer at the
/// stream's start; `end` past the size reads as the size), made with tones
/// that respond as `response`, in groups of response.group windows counted
/// back from `end` (a group cut short at the start is left out). Silent windows count as they are; an empty
/// stretch gives the default picture. Work: O(windows), whatever the
/// stream's length.
TuningPicture MeasureTuning(const std::vector<SoftWindow>& soft, std::size_t end, const ToneResponse& response,
                            std::size_t windows = kTuningWindows);

}  // namespace morvane
