#include "tuning/TuningWaterfall.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "dsp/SampleFormat.h"
#include "dsp/Spectrum.h"

namespace morvane {

TuningWaterfall::TuningWaterfall(int columns, int rows) : m_columns(columns), m_rows(rows) {
    if (columns < 1 || rows < 1) throw std::invalid_argument("a waterfall needs at least one column and one row");
    m_pixels.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), kEmptyGrey);
}

double TuningWaterfall::FrequencyAt(double column) const {
    return m_centreHz + (column - m_columns / 2.0) * kZooms[m_zoom];
}

double TuningWaterfall::ColumnOf(double hz) const { return (hz - m_centreHz) / kZooms[m_zoom] + m_columns / 2.0; }

void TuningWaterfall::SetView(double centreHz, int zoom) {
    m_zoom = std::clamp(zoom, 0, static_cast<int>(std::size(kZooms)) - 1);
    m_centreHz = std::isfinite(centreHz) ? std::clamp(centreHz, 0.0, kTopHz) : m_centreHz;
    const int first = m_rows - static_cast<int>(m_spectra.size());
    std::fill(m_pixels.begin(), m_pixels.begin() + static_cast<std::ptrdiff_t>(first) * m_columns, kEmptyGrey);
    for (int row = first; row < m_rows; ++row) DrawRow(row);
}

void TuningWaterfall::AddBlock(const std::int16_t* samples, std::size_t count) {
    if (samples == nullptr || count < static_cast<std::size_t>(kFftSize)) return;
    std::unique_ptr<float[]> spectrum;
    ComputeSpectrum(samples, count, spectrum, kFftSize);
    AddSpectrum(spectrum.get(), kFftSize);
}

void TuningWaterfall::AddSpectrum(const float* spectrum, std::int32_t bins) {
    if (bins < 2 || (bins & (bins - 1)) != 0) throw std::invalid_argument("bins must be a power of two of at least 2");
    if (spectrum == nullptr) return;
    const double binHz = static_cast<double>(kSampleRate) / bins;
    if (binHz != m_binHz) m_spectra.clear();  // rows of another transform are not kept
    m_binHz = binHz;
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(kTopHz / binHz) + 2, static_cast<std::size_t>(bins));
    std::vector<std::uint8_t> levels(count);
    for (std::size_t k = 0; k < count; ++k)
        levels[k] = static_cast<std::uint8_t>(SpectrumLevel(spectrum[2 * k], spectrum[2 * k + 1]));
    if (m_spectra.size() == static_cast<std::size_t>(m_rows)) m_spectra.erase(m_spectra.begin());
    m_spectra.push_back(std::move(levels));
    // Older rows move up by one; the new one is the bottom row.
    std::copy(m_pixels.begin() + m_columns, m_pixels.end(), m_pixels.begin());
    DrawRow(m_rows - 1);
}

void TuningWaterfall::DrawRow(int row) {
    const std::vector<std::uint8_t>& levels = m_spectra[m_spectra.size() - static_cast<std::size_t>(m_rows - row)];
    const auto last = static_cast<long>(levels.size()) - 1;
    std::uint8_t* out = m_pixels.data() + static_cast<std::size_t>(row) * m_columns;
    for (int c = 0; c < m_columns; ++c) {
        const double from = FrequencyAt(c) / m_binHz, to = FrequencyAt(c + 1) / m_binHz;
        auto k0 = static_cast<long>(std::ceil(from));
        const auto k1 = std::min(static_cast<long>(std::floor(to)), last);
        if (k1 >= k0) {
            // The loudest bin the column covers.
            std::uint8_t level = 0;
            for (k0 = std::max(0L, k0); k0 <= k1; ++k0) level = std::max(level, levels[k0]);
            out[c] = level;
            continue;
        }
        // Between two bins: the grey at the column's middle, interpolated.
        const double at = std::clamp((from + to) / 2.0, 0.0, static_cast<double>(last));
        const auto k = std::min(static_cast<long>(at), last - 1 < 0 ? 0 : last - 1);
        const double t = at - static_cast<double>(k);
        const double grey = k + 1 <= last ? levels[k] * (1.0 - t) + levels[k + 1] * t : levels[k];
        out[c] = static_cast<std::uint8_t>(std::lround(grey));
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
