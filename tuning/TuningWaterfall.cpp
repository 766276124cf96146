#include "tuning/TuningWaterfall.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
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
    m_spectra.push_back(Row{std::move(levels), {}, 0.0, 0.0});
    // Older rows move up by one; the new one is the bottom row.
    std::copy(m_pixels.begin() + m_columns, m_pixels.end(), m_pixels.begin());
    DrawRow(m_rows - 1);
}

namespace {

// The grey of a column from `from` to `to` (in bins of `levels`): the
// loudest bin it covers, or between two bins the grey at its middle, interpolated.
std::uint8_t ColumnGrey(const std::vector<std::uint8_t>& levels, double from, double to) {
    const auto last = static_cast<long>(levels.size()) - 1;
    auto k0 = static_cast<long>(std::ceil(from));
    const auto k1 = std::min(static_cast<long>(std::floor(to)), last);
    if (k1 >= k0) {
        std::uint8_t level = 0;
        for (k0 = std::max(0L, k0); k0 <= k1; ++k0) level = std::max(level, levels[k0]);
        return level;
    }
    const double at = std::clamp((from + to) / 2.0, 0.0, static_cast<double>(last));
    const auto k = std::min(static_cast<long>(at), last - 1 < 0 ? 0 : last - 1);
    const double t = at - static_cast<double>(k);
    const double grey = k + 1 <= last ? levels[k] * (1.0 - t) + levels[k + 1] * t : levels[k];
    return static_cast<std::uint8_t>(std::lround(grey));
}

// a × b written out (std::complex's product checks for infinities, a call each).
std::complex<double> Times(std::complex<double> a, std::complex<double> b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// Complex radix-2 transform in place (negative exponent); n a power of two.
void Transform(std::vector<std::complex<double>>& x) {
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1.0;
            for (std::size_t k = 0; k < len / 2; ++k, w = Times(w, step)) {
                const std::complex<double> a = x[i + k], b = Times(x[i + k + len / 2], w);
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
            }
        }
    }
}

}  // namespace

void TuningWaterfall::AddFine(const std::int16_t* samples, std::size_t count) {
    if (samples == nullptr || count < kFineLeast || m_spectra.empty()) return;
    // The band shown, a quarter wider; samples averaged in groups of a
    // power of two as long as the band still fits the averaged rate.
    const double span = 1.25 * m_columns * kZooms[m_zoom];
    std::size_t group = 1;
    while (count / (group * 2) >= 64 && static_cast<double>(kSampleRate) / static_cast<double>(group * 2) >= span) group *= 2;
    std::size_t points = 1;
    while (points * 2 <= count / group && points * 2 <= kFineMost) points *= 2;
    const std::size_t used = points * group;  // the newest samples of the block
    const std::int16_t* from = samples + (count - used);
    // Mixed down by the centre.
    const double turn = -2.0 * std::numbers::pi * m_centreHz / kSampleRate;
    // Each group: the sum of its samples times the phasor's turns within a
    // group (a table), turned by where the group starts.
    std::vector<double> turnRe(group), turnIm(group);
    for (std::size_t i = 0; i < group; ++i) {
        turnRe[i] = std::cos(turn * static_cast<double>(i));
        turnIm[i] = std::sin(turn * static_cast<double>(i));
    }
    const std::complex<double> groupStep = std::polar(1.0, turn * static_cast<double>(group));
    std::complex<double> start = 1.0;
    if (m_hann.size() != points) {
        m_hann.resize(points);
        for (std::size_t p = 0; p < points; ++p)
            m_hann[p] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(p) / static_cast<double>(points));
    }
    std::vector<std::complex<double>>& x = m_fineWork;
    x.resize(points);
    for (std::size_t p = 0; p < points; ++p, start = Times(start, groupStep)) {
        const std::int16_t* in = from + p * group;
        double re[4] = {}, im[4] = {};  // four sums side by side
        std::size_t i = 0;
        for (; i + 4 <= group; i += 4)
            for (std::size_t lane = 0; lane < 4; ++lane) {
                const auto v = static_cast<double>(in[i + lane]);
                re[lane] += v * turnRe[i + lane];
                im[lane] += v * turnIm[i + lane];
            }
        for (; i < group; ++i) {
            re[0] += static_cast<double>(in[i]) * turnRe[i];
            im[0] += static_cast<double>(in[i]) * turnIm[i];
        }
        const std::complex<double> sum = Times({(re[0] + re[1]) + (re[2] + re[3]), (im[0] + im[1]) + (im[2] + im[3])}, start);
        const double scale = m_hann[p] / static_cast<double>(group);
        x[p] = {sum.real() * scale, sum.imag() * scale};
    }
    Transform(x);
    // Greys as the strip's: its Blackman window over 4 096 samples sums to 4 096 × 0.42, this Hann to points / 2.
    const double gain = kFftSize * 0.42 / (static_cast<double>(points) * 0.5);
    Row& row = m_spectra.back();
    row.fine.resize(points);
    for (std::size_t k = 0; k < points; ++k) {
        const std::complex<double> v(x[(k + points / 2) % points].real() * gain, x[(k + points / 2) % points].imag() * gain);  // lowest first
        row.fine[k] = static_cast<std::uint8_t>(SpectrumLevel(static_cast<float>(v.real()), static_cast<float>(v.imag())));
    }
    row.fineBinHz = static_cast<double>(kSampleRate) / static_cast<double>(used);
    row.fineLowHz = m_centreHz - row.fineBinHz * static_cast<double>(points / 2);
    DrawRow(m_rows - 1);
}

void TuningWaterfall::DrawRow(int row) {
    const Row& kept = m_spectra[m_spectra.size() - static_cast<std::size_t>(m_rows - row)];
    std::uint8_t* out = m_pixels.data() + static_cast<std::size_t>(row) * m_columns;
    // The fine bins where they cover the column (their outer eighths left
    // out: the averaging dims the band's edges) and are finer than it asks.
    const double fineLow = kept.fineLowHz + kept.fineBinHz * static_cast<double>(kept.fine.size()) / 8.0;
    const double fineHigh = kept.fineLowHz + kept.fineBinHz * static_cast<double>(kept.fine.size()) * 7.0 / 8.0;
    const bool fine = !kept.fine.empty() && kept.fineBinHz < m_binHz;
    for (int c = 0; c < m_columns; ++c) {
        const double lowHz = FrequencyAt(c), highHz = FrequencyAt(c + 1);
        if (fine && lowHz >= fineLow && highHz <= fineHigh)
            out[c] = ColumnGrey(kept.fine, (lowHz - kept.fineLowHz) / kept.fineBinHz, (highHz - kept.fineLowHz) / kept.fineBinHz);
        else
            out[c] = ColumnGrey(kept.coarse, lowHz / m_binHz, highHz / m_binHz);
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
