#include "tuning/TuningScope.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "dsp/FskDemodulator.h"
#include "dsp/SampleFormat.h"
#include <cstdint>
#include <utility>

namespace morvane {

namespace {

// The energy of the in-phase sum of `group` windows ending at `end`, on each tone.
std::pair<double, double> GroupEnergies(const std::vector<SoftWindow>& soft, std::size_t end, std::size_t group) {
    std::complex<double> one, two;
    for (std::size_t i = end - group; i < end; ++i) {
        one += soft[i].Tone1();
        two += soft[i].Tone2();
    }
    return {std::norm(one), std::norm(two)};
}

// The mean energies on tone 1 and tone 2 of groups of windows of a steady 25 000 peak tone at `hz`.
std::pair<double, double> SteadyToneEnergies(const DemodSettings& tones, double hz, std::size_t group) {
    std::vector<std::int16_t> samples(kSampleRate / 4);
    for (std::size_t n = 0; n < samples.size(); ++n)
        samples[n] = static_cast<std::int16_t>(
            std::lround(25000.0 * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(n) / kSampleRate)));
    std::vector<std::int32_t> levels;
    std::vector<SoftWindow> soft;
    Demodulate(tones, CaptureFormat{}, samples.data(), static_cast<std::int32_t>(samples.size() * 2), levels, &soft);
    double e1 = 0.0, e2 = 0.0;
    std::size_t count = 0;
    for (std::size_t end = soft.size(); end >= group && end > 0; end -= group, ++count) {
        const auto [g1, g2] = GroupEnergies(soft, end, group);
        e1 += g1;
        e2 += g2;
    }
    const double n = count == 0 ? 1.0 : static_cast<double>(count);
    return {e1 / n, e2 / n};
}

}  // namespace

ToneResponse MeasureToneResponse(const DemodSettings& tones) {
    ToneResponse response;
    if (!(tones.tone1Hz > 0.0F && tones.tone2Hz > 0.0F && tones.tone1Hz < 24000.0F && tones.tone2Hz < 24000.0F))
        return response;
    const double shift = std::fabs(static_cast<double>(tones.tone2Hz) - tones.tone1Hz);
    response.group = shift > 0.0 ? std::clamp<std::size_t>(static_cast<std::size_t>(600.0 / shift), 1, kMostGrouped)
                                 : kMostGrouped;
    // Each tone in turn, the way the stream's windows are made.
    const auto [own1, other1] = SteadyToneEnergies(tones, tones.tone1Hz, response.group);
    const auto [other2, own2] = SteadyToneEnergies(tones, tones.tone2Hz, response.group);
    if (own1 <= 0.0 || own2 <= 0.0) return response;
    response.fullEnergy = (own1 + own2) / 2.0;
    response.leak = std::clamp((other1 / own1 + other2 / own2) / 2.0, 0.0, 1.0);
    return response;
}

TuningPicture MeasureTuning(const std::vector<SoftWindow>& soft, std::size_t end, const ToneResponse& response,
                            std::size_t windows) {
    TuningPicture picture;
    end = std::min(end, soft.size());
    const std::size_t group = std::max<std::size_t>(1, response.group);
    const std::size_t groups = std::min(end, windows) / group;
    if (groups == 0) return picture;
    const std::size_t begin = end - groups * group;
    // The energies of each group, newest first.
    std::vector<std::pair<double, double>> energies;
    energies.reserve(groups);
    for (std::size_t at = end; at > begin; at -= group) energies.push_back(GroupEnergies(soft, at, group));
    double strong = 0.0, weak = 0.0, largest = 0.0;
    for (const auto& [e1, e2] : energies) {
        strong += std::max(e1, e2);
        weak += std::min(e1, e2);
        largest = std::max(largest, std::max(e1, e2));
    }
    const auto count = static_cast<double>(groups);
    strong /= count;
    weak /= count;
    picture.levelDb = strong > 0.0 ? std::max(-120.0, 10.0 * std::log10(strong / response.fullEnergy)) : -120.0;
    // The weaker tone holds noise and what it picks up of the stronger.
    // Noise alone fills both tones alike: the stronger of two such windows
    // is on average three times the weaker, a keyed tone over noise one
    // plus its S/N.
    const double noise = std::max(weak - response.leak * strong, 1e-6 * strong);
    const double ratio = noise > 0.0 ? strong / noise - 1.0 : 0.0;
    picture.snrDb = ratio > 0.0 ? std::max(kSnrFloorDb, 10.0 * std::log10(ratio)) : kSnrFloorDb;
    picture.signal = picture.snrDb >= kSignalSnrDb;
    if (largest <= 0.0) return picture;
    const double scale = 1.0 / std::sqrt(largest);
    const std::size_t step = std::max<std::size_t>(1, (groups + kTuningEllipses - 1) / kTuningEllipses);
    for (std::size_t g = 0; g < groups; g += step)
        picture.ellipses.push_back({static_cast<float>(std::sqrt(energies[g].first) * scale),
                                    static_cast<float>(std::sqrt(energies[g].second) * scale)});
    return picture;
}

}  // namespace morvane
