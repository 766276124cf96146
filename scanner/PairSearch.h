#pragma once
#include <vector>

#include "scanner/BandPower.h"

namespace morvane {

/// A keyed tone pair found in the band.
struct FoundPair {
    double lowHz = 0.0;
    double highHz = 0.0;
    double keying = 0.0;   // 0 … 1: how strongly one tone's power falls as the other's rises
    double levelDb = 0.0;  // the weaker tone's mean power over the band's median (dB)
};

/// What the search accepts.
struct PairRules {
    double lowestHz = 100.0, highestHz = 4000.0;     // where the tones may lie
    double minShiftHz = 80.0, maxShiftHz = 1010.0;   // how far apart
    double peakOverFloor = 3.0;   // a tone's mean power over the band's median, at least
    double minKeying = 0.4;       // the least keying of a pair
};

/// Every keyed pair in the frames, strongest first: peaks of the mean power
/// taken two at a time, kept where the two powers' changes from frame to
/// frame run against each other (one tone keyed off as the other comes on;
/// a steady carrier, noise and tones of two different senders do not). A
/// tone serves one pair; a peak whose changes follow a tone already taken
/// (the keying's sidebands) is no tone of another pair. Empty with fewer
/// than 40 frames.
std::vector<FoundPair> FindKeyedPairs(const BandPower& power, const PairRules& rules = {});

/// How strongly the two tones are keyed over the newest `frames` frames
/// (-1 … 1, the correlation of their power changes turned over; 0 with
/// fewer than 8 frames): near 1 while they are keyed against each other,
/// near 0 once only one of them (or neither) carries anything.
/// The first frame where the two tones together carry a fifth of the power
/// they carry at their strongest (their 90th percentile): where a signal
/// that began inside the frames began. 0 when there are no frames.
std::size_t OnsetFrame(const BandPower& power, double lowHz, double highHz);

double KeyingOf(const BandPower& power, double lowHz, double highHz, std::size_t frames);

}  // namespace morvane
