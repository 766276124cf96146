#include <QImage>
#include <QTest>
#include <cstdint>
#include <vector>

#include "WidgetTests.h"
#include "widgets/CResultsView.h"
#include "raster/RasterImage.h"

Q_DECLARE_METATYPE(morvane::RasterParams)

namespace {

// A level stream with structure in it: a ramp over the whole level range
// with every seventh level at silence.
std::vector<std::int32_t> Ramp(int n) {
    std::vector<std::int32_t> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = i % 7 == 0 ? 128 : 3 + (i * 37) % 251;
    return v;
}

morvane::RasterParams Params(std::int32_t count, std::int32_t offset, float slant, std::int32_t gridWidth,
                             std::int32_t gridShift, std::int32_t showGrid, std::int32_t contrast) {
    morvane::RasterParams p;
    p.count = count;
    p.offset = offset;
    p.slant = slant;
    p.gridWidth = gridWidth;
    p.gridShift = gridShift;
    p.showGrid = showGrid;
    p.contrastMode = contrast;
    return p;
}

// The pixels inside the frame, as they reach the screen.
QImage ClientPixels(CResultsView& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(view.contentsRect());
}

// First pixel where the shown image differs from the core's raster image.
QString FirstDifference(const QImage& shown, const morvane::RgbImage& expected) {
    if (shown.width() != expected.width || shown.height() != expected.height)
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(shown.width()).arg(shown.height()).arg(expected.width).arg(expected.height);
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const std::uint8_t* e = &expected.rgb[static_cast<std::size_t>((y * expected.width + x) * 3)];
            const QRgb s = shown.pixel(x, y);
            if (qRed(s) != e[0] || qGreen(s) != e[1] || qBlue(s) != e[2])
                return QStringLiteral("pixel (%1, %2) is %3,%4,%5, expected %6,%7,%8")
                    .arg(x).arg(y).arg(qRed(s)).arg(qGreen(s)).arg(qBlue(s)).arg(e[0]).arg(e[1]).arg(e[2]);
        }
    return {};
}

}  // namespace

class ResultsViewTest : public QObject {
    Q_OBJECT

private slots:
    // The word-at-a-time conversion gives qRgb of every triple, at every
    // length (the last pixel, read by bytes, included) and for every byte value.
    void toRgb32MatchesQRgb() {
        std::vector<std::uint8_t> rgb(3 * 300);
        for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>((i * 97 + 13) % 256);
        for (const std::size_t pixels : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{255}, std::size_t{300}}) {
            // Exactly the triples asked for: nothing past them is read.
            const std::vector<std::uint8_t> exact(rgb.begin(), rgb.begin() + static_cast<std::ptrdiff_t>(3 * pixels));
            std::vector<QRgb> out(pixels + 1, 0x12345678U);
            CResultsView::ToRgb32(exact.data(), pixels, out.data());
            for (std::size_t i = 0; i < pixels; ++i)
                QCOMPARE(out[i], qRgb(exact[3 * i], exact[3 * i + 1], exact[3 * i + 2]));
            QCOMPARE(out[pixels], QRgb{0x12345678U});
        }
    }

    void showsTheCoreRasterPixelForPixel_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("levelCount");
        QTest::addColumn<morvane::RasterParams>("params");
        QTest::newRow("empty stream, grid only") << 100 << 40 << 0 << Params(64, 0, 0.0f, 24, 0, 1, 0);
        QTest::newRow("defaults") << 300 << 120 << 20000 << Params(64, 0, 0.0f, 24, 0, 1, 0);
        QTest::newRow("slant, shift, moderate") << 200 << 61 << 5000 << Params(64, 3, 0.5f, 24, -5, 1, 1);
        QTest::newRow("backwards slant, strong") << 151 << 90 << 3000 << Params(10, 5, -1.5f, 7, 2, 1, 2);
        QTest::newRow("no grid, narrow rows") << 64 << 64 << 900 << Params(1, 0, -1.0f, 24, 0, 0, 0);
        QTest::newRow("two pixels wide") << 2 << 30 << 100 << Params(64, 0, 0.0f, 1, 0, 1, 0);
        QTest::newRow("offset beyond the stream") << 80 << 20 << 50 << Params(8, 60, 0.0f, 10, 0, 1, 0);
    }
    void showsTheCoreRasterPixelForPixel() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, levelCount);
        QFETCH(morvane::RasterParams, params);
        CResultsView view;
        morvane::RasterModel model{Ramp(levelCount), params};
        view.SetModel(&model);
        view.resize(width + 2, height + 2);  // one frame pixel on each side
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.ClientSize(), QSize(width, height));
        QVERIFY(view.Draw());
        const morvane::RgbImage expected = morvane::RenderRaster(model.levels, params, width, height);
        QCOMPARE(FirstDifference(ClientPixels(view), expected), QString());
    }

    void resizingShowsTheRasterAtTheNewSize() {
        CResultsView view;
        morvane::RasterModel model{Ramp(4000), {}};
        view.SetModel(&model);
        view.resize(102, 52);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.resize(242, 82);
        QCoreApplication::processEvents();
        const auto expected = morvane::RenderRaster(model.levels, model.params, 240, 80);
        QCOMPARE(FirstDifference(ClientPixels(view), expected), QString());
    }

    void failedPassKeepsEverythingAsItWas() {
        CResultsView view;
        morvane::RasterModel model{Ramp(500), {}};
        view.SetModel(&model);
        view.resize(50, 40);
        QVERIFY(view.Draw());
        const QImage before = view.Image();
        const std::vector<std::int32_t> levels = model.levels;
        // Too large an area for a raster image: the pass cannot be made.
        view.resize(9000, 9000);
        model.params.count = 17;
        QVERIFY(!view.Draw());
        QCOMPARE(view.Image(), before);
        QCOMPARE(model.params.count, 17);
        QVERIFY(model.levels == levels);
        view.resize(50, 40);
        QVERIFY(view.Draw());
        QVERIFY(view.Image() != before);  // count 17 lays the stream out differently
    }
};

MORVANE_WIDGET_TEST(ResultsViewTest);

#include "ResultsViewTest.moc"
