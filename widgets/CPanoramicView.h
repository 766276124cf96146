#pragma once
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QRect>
#include <cstdint>
#include <memory>

/// The "Sound input" strip: a grey waterfall of the incoming audio's spectrum
/// (pixel column x shows bin x, newest spectrum in the bottom row), frequency
/// labels every 500 Hz and a "|" marker at each tone. A left click picks a
/// frequency and reports it with tonePicked, queued: the receiver handles it
/// after the click handler has returned.
///
/// Set-up by the owner: sampleRate, markerLowHz and markerHighHz, then
/// CreateSurface() once, after the control has its final size. Until then
/// the view draws nothing but its frame.
///
/// Every draw with a spectrum present adds one waterfall row: each
/// UpdateSpectrum, each click and each paint request from the window system
/// (the newest spectrum repeats). The view's own repaints add nothing more.
class QPainter;

class CPanoramicView : public QFrame {
    Q_OBJECT

public:
    explicit CPanoramicView(QWidget* parent = nullptr);

    std::int32_t fftSize = 4096;          // transform size; pixel column x shows bin x
    std::unique_ptr<float[]> spectrum;    // last spectrum, 2 × fftSize floats, re/im interleaved
    std::int32_t sampleRate = 8000;       // Hz behind the frequency scale
    std::int32_t markerLowHz = 1500;      // low tone marker
    std::int32_t markerHighHz = 2000;     // high tone marker

    /// Computes the spectrum of the first 4096 samples of `block` (16-bit
    /// samples, `blockBytes` bytes) and draws it as a new waterfall row. A
    /// null block or fewer than 2048 bytes changes nothing.
    void UpdateSpectrum(const std::int16_t* block, std::int32_t blockBytes);
    /// As UpdateSpectrum, but leaves the screen as it was until the next
    /// repaint (RedrawMarkers): for blocks arriving faster than the eye
    /// follows. Returns whether a row was added.
    bool AddSpectrumRow(const std::int16_t* block, std::int32_t blockBytes);

    /// Makes the waterfall surface, the size of the whole control (frame
    /// included), opaque grey 0xFF808080, and the label font.
    void CreateSurface();

    /// Moves every surface row up by one and puts the newest spectrum in the
    /// bottom row as grey levels. Nothing without a surface or a spectrum.
    void AdvanceWaterfall();

    /// The rectangle an image of `image` size covers when drawn centred into
    /// `rect` with its aspect ratio kept (single-precision comparison and
    /// rounding, halves truncated).
    static QRect FittedRect(QSize image, const QRect& rect);
    /// Draws `image` scaled into FittedRect(image, rect) and stores that
    /// rectangle back into `rect`.
    static void DrawImageFitted(const QImage& image, QPainter& painter, QRect& rect);

    /// The frequency a click at client x picks: sampleRate × x / fftSize
    /// truncated, clamped to 200 … 3200 Hz.
    std::int32_t FrequencyAt(std::int32_t x) const;
    /// Client x of a marker for `hz`: hz × fftSize / sampleRate truncated.
    std::int32_t MarkerX(std::int32_t hz) const;
    /// Spacing of the 500 Hz labels in pixels: fftSize × 500 / sampleRate truncated.
    std::int32_t LabelSpacing() const;

    /// Repaints labels and markers over the waterfall as it stands, without
    /// adding a row: after a marker frequency has changed.
    void RedrawMarkers() { RepaintNow(); }
    /// Moves the markers to the tones (Hz; their whole numbers, within 32
    /// bits) and redraws them.
    void ShowTones(float lowHz, float highHz);

    const QImage& Surface() const { return m_surface; }
    const QFont& LabelFont() const { return m_labelFont; }

signals:
    /// A picked frequency in Hz, 200 … 3200; always delivered queued.
    void tonePicked(int hz);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    /// Repaints at once without adding a waterfall row for that repaint.
    void RepaintNow();

    QImage m_surface;
    QFont m_labelFont;
    std::int32_t m_spectrumBins = 0;  // bins in `spectrum` when it was computed
    bool m_ownRepaint = false;
};
