#pragma once
#include <QFrame>
#include <QImage>

#include "raster/RasterModel.h"

/// The "Graphics results" view: shows the raster image of a level stream,
/// pixel for pixel, in the area inside its sunken frame. The stream and the
/// raster parameters belong to a RasterModel that the owner keeps and hands
/// to the view; the view only reads it.
///
/// The owner changes the model and then calls Draw() (or its synonym
/// RedrawNow()), which builds the complete image and shows it at once in a
/// single synchronous repaint; Qt's double-buffered backing store puts each
/// pass on the screen in one step. A platform repaint (expose) shows the
/// last image built; a resize builds a new one for the new size. A pass that
/// fails (the image cannot be made) leaves the image shown as it was.
class CResultsView : public QFrame {
    Q_OBJECT

public:
    explicit CResultsView(QWidget* parent = nullptr);

    /// The model drawn from now on (null: an empty stream with default
    /// parameters). The model must outlive the view or be replaced first.
    void SetModel(const morvane::RasterModel* model) {
        SetRaster(model ? &model->levels : nullptr, model ? &model->params : nullptr);
    }
    /// The same with the levels and the parameters kept apart (null: empty
    /// levels, default parameters); both must outlive the view or be replaced first.
    void SetRaster(const std::vector<std::int32_t>* levels, const morvane::RasterParams* params) {
        m_levels = levels;
        m_params = params;
    }
    /// What the view draws.
    const std::vector<std::int32_t>& Levels() const { return m_levels ? *m_levels : m_empty.levels; }
    const morvane::RasterParams& Params() const { return m_params ? *m_params : m_empty.params; }

    /// Builds the image for the model and the client size and repaints at
    /// once. Returns false, leaving the image as it was, when the image
    /// cannot be made.
    bool Draw();
    bool RedrawNow() { return Draw(); }

    /// The image last built (the client area's size when it was built).
    const QImage& Image() const { return m_image; }
    /// Size of the area inside the frame: the raster's W × H.
    QSize ClientSize() const { return contentsRect().size(); }
    /// Writes qRgb(r, g, b) of each of `pixels` (≥ 1) byte triples of `rgb` to `out`.
    static void ToRgb32(const std::uint8_t* rgb, std::size_t pixels, QRgb* out);

    /// Rows a wheel turn of one notch scrolls.
    static constexpr int kRowsPerNotch = 3;

signals:
    /// The wheel was turned over the view: `rows` rows on (positive: later
    /// rows, further down the stream) or back (negative).
    void scrollRows(int rows);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Prepare();

    const std::vector<std::int32_t>* m_levels = nullptr;
    const morvane::RasterParams* m_params = nullptr;
    morvane::RasterModel m_empty;
    QImage m_image;
    int m_wheelEighths = 0;  // wheel turned and not yet a whole notch
};
