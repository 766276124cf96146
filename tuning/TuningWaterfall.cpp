#include "tuning/TuningWaterfall.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "dsp/SampleFormat.h"
#include "dsp/Spectrum.h"

namespace morvane {
namespace {

constexpr double kBinHz = static_cast<double>(kSampleRate) / TuningWaterfall::kFftPoints;
constexpr std::size_t kBins = static_cast<std::size_t>(TuningWaterfall::kTopHz / kBinHz) + 1;

}  // namespace

TuningWaterfall::TuningWaterfall(int columns, int rows) : m_columns(columns), m_rows(rows) {
    if (columns < 1 || rows < 1) throw std::invalid_argument("a waterfall needs at least one column and one row");
    m_pixels.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
}

double TuningWaterfall::FrequencyAt(double column) const {
    return m_centreHz + (column - m_columns / 2.0) * kZooms[m_zoom];
}

double TuningWaterfall::ColumnOf(double hz) const { return (hz - m_centreHz) / kZooms[m_zoom] + m_columns / 2.0; }

void TuningWaterfall::SetView(double centreHz, int zoom) {
    m_zoom = std::clamp(zoom, 0, static_cast<int>(std::size(kZooms)) - 1);
    m_centreHz = std::isfinite(centreHz) ? std::clamp(centreHz, 0.0, kTopHz) : m_centreHz;
    const int first = m_rows - static_cast<int>(m_spectra.size());
    std::fill(m_pixels.begin(), m_pixels.begin() + static_cast<std::ptrdiff_t>(first) * m_columns, 0);
    for (int row = first; row < m_rows; ++row) DrawRow(row);
}

void TuningWaterfall::AddBlock(const std::int16_t* samples, std::size_t count) {
    if (samples == nullptr || count < static_cast<std::size_t>(kFftSize)) return;
    std::unique_ptr<float[]> spectrum;
    ComputeSpectrum(samples, count, spectrum, kFftPoints);
    std::vector<std::uint8_t> levels(kBins);
    for (std::size_t k = 0; k < kBins; ++k)
        levels[k] = static_cast<std::uint8_t>(SpectrumLevel(spectrum[2 * k], spectrum[2 * k + 1]));
    if (m_spectra.size() == static_cast<std::size_t>(m_rows)) m_spectra.erase(m_spectra.begin());
    m_spectra.push_back(std::move(levels));
    // Older rows move up by one; the new one is the bottom row.
    std::copy(m_pixels.begin() + m_columns, m_pixels.end(), m_pixels.begin());
    DrawRow(m_rows - 1);
}

void TuningWaterfall::DrawRow(int row) {
    const std::vector<std::uint8_t>& levels = m_spectra[m_spectra.size() - static_cast<std::size_t>(m_rows - row)];
    std::uint8_t* out = m_pixels.data() + static_cast<std::size_t>(row) * m_columns;
    for (int c = 0; c < m_columns; ++c) {
        // The loudest bin the column covers (at least the one nearest its middle).
        const double from = FrequencyAt(c) / kBinHz, to = FrequencyAt(c + 1) / kBinHz;
        auto first = static_cast<long>(std::ceil(from));
        auto last = static_cast<long>(std::floor(to));
        if (last < first) first = last = std::lround((from + to) / 2.0);
        std::uint8_t level = 0;
        for (long k = std::max(0L, first); k <= std::min<long>(last, kBins - 1); ++k) level = std::max(level, levels[k]);
        out[c] = level;
    }
}

std::vector<std::pair<int, int>> TuningWaterfall::Labels(int spacing) const {
    constexpr int kSteps[] = {10, 20, 25, 50, 100, 200, 250, 500, 1000};
    int step = kSteps[std::size(kSteps) - 1];
    for (const int s : kSteps)
        if (s / kZooms[m_zoom] >= spacing) {
            step = s;
            break;
        }
    std::vector<std::pair<int, int>> labels;
    for (auto hz = static_cast<int>(std::ceil(FrequencyAt(0) / step)) * step; hz <= FrequencyAt(m_columns); hz += step)
        if (hz >= 0) labels.emplace_back(static_cast<int>(std::lround(ColumnOf(hz))), hz);
    return labels;
}

}  // namespace morvane
