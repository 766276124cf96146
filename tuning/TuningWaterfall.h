#pragma once
#include <cstddef>
#include <complex>
#include <cstdint>
#include <vector>

namespace morvane {

/// The receive column's waterfall: one row a block, newest at the bottom,
/// of the spectrum around the tones, zoomed in past the panoramic strip's
/// 11.7 Hz a pixel: a row with the block's fine detail (AddFine) shows
/// bins of 1.5 … 3 Hz in the band it was made for, elsewhere the strip's
/// (between two bins the grey is interpolated; a column wider than a bin
/// shows its loudest bin). Grey
/// values as the strip's (SpectrumLevel). The spectra of the rows kept are
/// held up to kTopHz, so a new centre or zoom redraws the whole history.
class TuningWaterfall {
public:
    static constexpr double kTopHz = 6000.0;
    static constexpr double kZooms[] = {1.0, 2.0, 3.0, 5.0, 8.0, 12.0};  // Hz a column
    static constexpr int kDefaultZoom = 2;
    static constexpr std::uint8_t kEmptyGrey = 128;  // rows before the first block, as the strip's empty surface

    /// columns, rows: the picture's size (each at least 1, else std::invalid_argument).
    TuningWaterfall(int columns, int rows);

    /// Centres the picture on `centreHz` with zoom step `zoom` (an index of
    /// kZooms, clamped) and redraws the rows kept.
    void SetView(double centreHz, int zoom);
    int Zoom() const { return m_zoom; }
    double CentreHz() const { return m_centreHz; }
    /// Adds a row from `samples` (the newest block, at least 4096 of them;
    /// a shorter block adds nothing), transformed as the strip does.
    void AddBlock(const std::int16_t* samples, std::size_t count);
    /// Adds a row from a transform already made: `bins` complex bins (re, im
    /// interleaved), bin k at k × 48 000 / bins Hz; bins a power of two ≥ 2
    /// (else std::invalid_argument); null adds nothing.
    void AddSpectrum(const float* spectrum, std::int32_t bins);
    /// Gives the newest row the detail of the whole block `samples` (48 kHz,
    /// `count` of them, at least kFineLeast, else nothing): the band shown
    /// now, mixed down, averaged over groups of samples and transformed
    /// (Hann window) into bins of 48 000 / count Hz (1.46 Hz for a
    /// 32 768-sample block), drawn where the row's columns are narrower than
    /// the strip's bins. Work: one pass over the block and a transform of at
    /// most kFineMost points.
    void AddFine(const std::int16_t* samples, std::size_t count);
    static constexpr std::size_t kFineLeast = 4096, kFineMost = 2048;

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    /// Grey 0 … 255, Rows() × Columns(), top row first (the oldest).
    const std::vector<std::uint8_t>& Pixels() const { return m_pixels; }
    /// The frequency (Hz) at a column's left edge (fractions between), and back.
    double FrequencyAt(double column) const;
    double ColumnOf(double hz) const;
    /// Round frequencies to label across the whole width, at least
    /// `spacing` columns apart: (column, Hz) from the left.
    std::vector<std::pair<int, int>> Labels(int spacing = 60) const;

private:
    void DrawRow(int row);

    int m_columns, m_rows;
    double m_centreHz = 1750.0;
    int m_zoom = kDefaultZoom;
    struct Row {
        std::vector<std::uint8_t> coarse;  // the strip's bins 0 … kTopHz
        std::vector<std::uint8_t> fine;    // AddFine's bins from fineLowHz, or none
        double fineLowHz = 0.0, fineBinHz = 0.0;
    };
    std::vector<Row> m_spectra;  // of each row kept, oldest first
    std::vector<double> m_hann;  // AddFine's window and transform, kept between blocks
    std::vector<std::complex<double>> m_fineWork;
    double m_binHz = 0.0;        // of the rows kept
    std::vector<std::uint8_t> m_pixels;
};

}  // namespace morvane
