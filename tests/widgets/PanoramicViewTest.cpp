#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "WidgetTests.h"
#include "dsp/Spectrum.h"
#include "widgets/CPanoramicView.h"

namespace {

constexpr int kWidth = 642;  // about the main window's strip
constexpr int kHeight = 48;
// The waterfall fills the client area, inside the one-pixel sunken frame, so
// that pixel x shows bin x right under the labels, the markers and the clicks.
constexpr int kSurfaceWidth = kWidth - 2;
constexpr int kSurfaceHeight = kHeight - 2;
constexpr QRgb kGrey = 0xFF808080;

std::vector<std::int16_t> Sine(double hz, double amplitude) {
    std::vector<std::int16_t> s(32768);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / 48000.0)));
    return s;
}

// The grey levels the newest row must hold, from the spectrum routines alone.
std::vector<int> ExpectedRow(const std::vector<std::int16_t>& block, int width) {
    std::unique_ptr<float[]> spectrum;
    morvane::ComputeSpectrum(block.data(), block.size(), spectrum, 4096);
    std::vector<int> row(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) row[static_cast<std::size_t>(x)] = morvane::SpectrumLevel(spectrum[2 * x], spectrum[2 * x + 1]);
    return row;
}

std::vector<int> SurfaceRow(const QImage& surface, int y) {
    std::vector<int> row(static_cast<std::size_t>(surface.width()));
    for (int x = 0; x < surface.width(); ++x) {
        const QRgb p = surface.pixel(x, y);
        // Grey, opaque: one value stands for the pixel.
        row[static_cast<std::size_t>(x)] = (qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qAlpha(p) == 255) ? qRed(p) : -1;
    }
    return row;
}

bool RowIsGrey(const QImage& surface, int y) { return SurfaceRow(surface, y) == std::vector<int>(static_cast<std::size_t>(surface.width()), 128); }

struct Strip {
    CPanoramicView view;
    explicit Strip(bool show = true) {
        view.resize(kWidth, kHeight);
        view.sampleRate = 48000;
        view.markerLowHz = 1500;
        view.markerHighHz = 2000;
        if (show) {
            view.show();
            (void)QTest::qWaitForWindowExposed(&view);
            QCoreApplication::processEvents();
        }
        view.CreateSurface();
    }
    QPoint Client(int x, int y) const { return view.contentsRect().topLeft() + QPoint(x, y); }
};

}  // namespace

class PanoramicViewTest : public QObject {
    Q_OBJECT

private slots:
    void surfaceIsTheClientAreaInGrey() {
        Strip s(false);
        QCOMPARE(s.view.Surface().size(), QSize(kSurfaceWidth, kSurfaceHeight));
        for (int y = 0; y < kSurfaceHeight; ++y) QVERIFY(RowIsGrey(s.view.Surface(), y));
        QCOMPARE(s.view.Surface().pixel(0, 0), kGrey);
    }

    void missingOrShortBlocksChangeNothing() {
        Strip s;
        const auto block = Sine(1500, 25000);
        s.view.UpdateSpectrum(nullptr, 65536);
        s.view.UpdateSpectrum(block.data(), 2047);
        s.view.UpdateSpectrum(block.data(), -4);
        QVERIFY(!s.view.spectrum);
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 1));
        // 2048 bytes are enough: the missing samples count as silence.
        const std::vector<std::int16_t> head(block.begin(), block.begin() + 1024);
        s.view.UpdateSpectrum(head.data(), 2048);
        QVERIFY(s.view.spectrum != nullptr);
        QCOMPARE(SurfaceRow(s.view.Surface(), kSurfaceHeight - 1), ExpectedRow(head, kSurfaceWidth));
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 2));
    }

    void eachSpectrumAddsExactlyOneRow() {
        Strip s;
        const auto sine = Sine(1500, 25000);
        const std::vector<std::int16_t> constant(32768, 1000);
        s.view.UpdateSpectrum(sine.data(), 65536);
        const std::vector<int> sineRow = ExpectedRow(sine, kSurfaceWidth);
        QCOMPARE(sineRow[128], 227);  // the tone's bin stands out
        QCOMPARE(SurfaceRow(s.view.Surface(), kSurfaceHeight - 1), sineRow);
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 2));
        s.view.UpdateSpectrum(constant.data(), 65536);
        QCOMPARE(SurfaceRow(s.view.Surface(), kSurfaceHeight - 1), ExpectedRow(constant, kSurfaceWidth));
        QCOMPARE(SurfaceRow(s.view.Surface(), kSurfaceHeight - 2), sineRow);
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 3));
        QVERIFY(RowIsGrey(s.view.Surface(), 0));
    }

    void rowsScrollUpAndTheTopRowIsLost() {
        Strip s(false);
        const auto sine = Sine(1000, 20000);
        for (int i = 0; i < kSurfaceHeight + 3; ++i) s.view.UpdateSpectrum(sine.data(), 65536);
        const std::vector<int> row = ExpectedRow(sine, kSurfaceWidth);
        for (int y = 0; y < kSurfaceHeight; ++y) QCOMPARE(SurfaceRow(s.view.Surface(), y), row);
    }

    void paintRequestRepeatsTheNewestSpectrum() {
        Strip s;
        s.view.update();  // before any spectrum: nothing to repeat
        QCoreApplication::processEvents();
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 1));
        const auto sine = Sine(1500, 25000);
        s.view.UpdateSpectrum(sine.data(), 65536);
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 2));
        s.view.update();
        QCoreApplication::processEvents();
        const std::vector<int> row = ExpectedRow(sine, kSurfaceWidth);
        QCOMPARE(SurfaceRow(s.view.Surface(), kSurfaceHeight - 2), row);
        QCOMPARE(SurfaceRow(s.view.Surface(), kSurfaceHeight - 1), row);
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 3));
    }

    void clickPicksAFrequencyQueued_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("hz");
        const int cases[][2] = {{128, 1500}, {171, 2003}, {17, 200}, {18, 210}, {273, 3199},
                                {274, 3200}, {0, 200},    {600, 3200}};
        for (const auto& c : cases) QTest::addRow("x=%d", c[0]) << c[0] << c[1];
    }
    void clickPicksAFrequencyQueued() {
        QFETCH(int, x);
        QFETCH(int, hz);
        Strip s;
        QSignalSpy picks(&s.view, &CPanoramicView::tonePicked);
        QTest::mouseClick(&s.view, Qt::LeftButton, {}, s.Client(x, 10));
        QCOMPARE(picks.count(), 0);  // posted, not sent
        QTRY_COMPARE(picks.count(), 1);
        QCOMPARE(picks.at(0).at(0).toInt(), hz);
    }

    void clickAdvancesTheWaterfallOnlyWithASpectrum() {
        Strip s;
        QTest::mouseClick(&s.view, Qt::LeftButton, {}, s.Client(100, 10));
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 1));
        const auto sine = Sine(2000, 20000);
        s.view.UpdateSpectrum(sine.data(), 65536);
        QTest::mouseClick(&s.view, Qt::LeftButton, {}, s.Client(100, 10));
        const std::vector<int> row = ExpectedRow(sine, kSurfaceWidth);
        QCOMPARE(SurfaceRow(s.view.Surface(), kSurfaceHeight - 2), row);
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 3));
    }

    void labelDotsAndToneMarkers() {
        Strip s;
        QCOMPARE(s.view.LabelSpacing(), 42);
        QCOMPARE(s.view.MarkerX(1500), 128);
        QCOMPARE(s.view.MarkerX(2000), 170);
        const QImage shown = s.view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint o = s.view.contentsRect().topLeft();
        const QRgb red = qRgb(200, 0, 0);
        for (int x = 0; x < 300; ++x) {
            const bool dot = x % 42 == 0 && x <= 294;
            QVERIFY2((shown.pixel(o.x() + x, o.y()) == red) == dot, qPrintable(QStringLiteral("x = %1").arg(x)));
        }
        // A dark bar (on the grey 128 image) in the bottom 20 pixels at each marker, nothing between them.
        const int bottom = s.view.contentsRect().height();
        auto darkNear = [&](int cx) {
            for (int x = cx - 2; x <= cx + 2; ++x)
                for (int y = bottom - 20; y < bottom; ++y)
                    if (qGray(shown.pixel(o.x() + x, o.y() + y)) < 96) return true;
            return false;
        };
        QVERIFY(darkNear(128));
        QVERIFY(darkNear(170));
        QVERIFY(!darkNear(149));
        s.view.sampleRate = 8000;  // before the owner sets 48000
        QCOMPARE(s.view.LabelSpacing(), 256);
        QCOMPARE(s.view.FrequencyAt(100), 200);
        QCOMPARE(s.view.FrequencyAt(1024), 2000);
    }

    void unusableScaleFieldsGiveDefinedResults() {
        Strip s(false);
        const auto sine = Sine(1500, 25000);
        s.view.fftSize = 0;  // no transform of that size: nothing changes
        s.view.UpdateSpectrum(sine.data(), 65536);
        QVERIFY(!s.view.spectrum);
        QVERIFY(RowIsGrey(s.view.Surface(), kSurfaceHeight - 1));
        QCOMPARE(s.view.FrequencyAt(128), 200);
        s.view.fftSize = 4096;
        s.view.sampleRate = 0;
        QCOMPARE(s.view.LabelSpacing(), 0);
        QCOMPARE(s.view.MarkerX(1500), 0);
        QCOMPARE(s.view.FrequencyAt(128), 200);
        s.view.sampleRate = 48000;
        QCOMPARE(s.view.MarkerX(2147483647), 1000000);  // far off the strip, no overflow
        QCOMPARE(s.view.FrequencyAt(2147483647), 3200);
        QCOMPARE(s.view.FrequencyAt(-5), 200);
        QCOMPARE(s.view.MarkerX(0), 0);
    }

    void fittedRectKeepsTheAspect_data() {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QRect>("covered");
        // Taller than the area: full height, width 642 × 46 / 48 = 615.25 → 615, halved to 307.
        QTest::newRow("strip with frame") << QSize(642, 48) << QRect(0, 0, 640, 46) << QRect(13, 0, 614, 46);
        QTest::newRow("wider image") << QSize(100, 10) << QRect(0, 0, 50, 10) << QRect(0, 3, 50, 4);
        QTest::newRow("exact half rounds down") << QSize(4, 3) << QRect(0, 0, 2, 2) << QRect(0, 1, 2, 0);
        QTest::newRow("above half rounds up") << QSize(8, 7) << QRect(0, 0, 2, 2) << QRect(0, 0, 2, 2);
        QTest::newRow("offset area") << QSize(10, 10) << QRect(5, 7, 21, 11) << QRect(10, 7, 10, 10);
        QTest::newRow("empty image") << QSize(0, 0) << QRect(0, 0, 20, 10) << QRect(10, 5, 0, 0);
    }
    void fittedRectKeepsTheAspect() {
        QFETCH(QSize, image);
        QFETCH(QRect, rect);
        QFETCH(QRect, covered);
        QCOMPARE(CPanoramicView::FittedRect(image, rect), covered);
    }
};

MORVANE_WIDGET_TEST(PanoramicViewTest);

#include "PanoramicViewTest.moc"
