#pragma once
#include <QFrame>
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "raster/RasterParams.h"

/// The "Graphics results" view: owns the level stream and the raster
/// parameters and shows the raster image of the stream, pixel for pixel, in
/// the area inside its sunken frame.
///
/// The owner writes the public fields and then calls Draw() (or its synonym
/// RedrawNow()), which builds the complete image and shows it at once in a
/// single synchronous repaint; Qt's double-buffered backing store puts each
/// pass on the screen in one step. A platform repaint (expose) shows the
/// last image built; a resize builds a new one for the new size. A pass that
/// fails (the image cannot be made) changes nothing: the fields, `levels`
/// and the image shown stay as they were.
class CResultsView : public QFrame {
    Q_OBJECT

public:
    explicit CResultsView(QWidget* parent = nullptr);

    // Raster parameters, as the raster layout defines them.
    std::int32_t count = 64;        // levels per raster row
    std::int32_t offset = 0;        // first stream index walked
    float slant = 0.0f;             // extra advance per completed row, in levels
    std::int32_t gridWidth = 24;    // grid line spacing in pixels
    std::int32_t gridShift = 0;     // grid x offset in pixels
    std::int32_t showGrid = 1;      // non-zero: draw the grid
    std::int32_t contrastMode = 0;  // 0 plain, 1 moderate, 2 strong

    /// The level stream (3 … 253, 128 for silence); the processing loop
    /// appends to it and the capture commands empty it.
    std::vector<std::int32_t> levels;
    std::vector<std::int32_t>& Levels() { return levels; }
    const std::vector<std::int32_t>& Levels() const { return levels; }

    /// The parameter fields as one value.
    morvane::RasterParams Params() const;
    void SetParams(const morvane::RasterParams& params);

    /// Builds the image for the current fields and client size and repaints
    /// at once. Returns false, leaving the view as it was, when the image
    /// cannot be made.
    bool Draw();
    bool RedrawNow() { return Draw(); }

    /// The bit string of the current raster (one line per raster row, each
    /// ended by CR LF) into `out`.
    void ExtractBits(std::string& out) const;

    /// The image last built (the client area's size when it was built).
    const QImage& Image() const { return m_image; }
    /// Size of the area inside the frame: the raster's W × H.
    QSize ClientSize() const { return contentsRect().size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Prepare();

    QImage m_image;
};
