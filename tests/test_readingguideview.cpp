// The guide drawing: where each style stands relative to the pointer's line
// (worked examples read down one pixel column), and absurd sizes and
// positions. That the pieces the guide is shown in add up to this drawing is
// test_displayguide's; the underline, the highlight bar and the focus window
// at whole points, at the display's bottom edge and on lines of text, in the
// exact blend of their colour, are read back from real servers (tests/x11,
// tests/wayland, tests/textlines).

#include "overlay/ReadingGuideView.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <cmath>

namespace {

// Sides that are not a positive number give an 8 x 8 image; huge ones are
// painted on at most 1000 points of it.
QImage render(const AppSettings &settings, QSizeF size, double x, double y, double dpr = 1.0,
             double lineHeight = 0)
{
    const auto pixels = [dpr](double v) { return v > 0 ? int(std::ceil(std::min(v, 1e3) * dpr)) : 8; };
    QImage image(pixels(size.width()), pixels(size.height()), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(dpr);
    QPainter painter(&image);
    ReadingGuideView::onLine(x, y, lineHeight, settings).paint(painter, size);
    return image;
}

bool isClear(const QImage &image)
{
    QImage clear(image);
    clear.fill(Qt::transparent);
    return image == clear;
}

// Rows [top, bottom) of a column, in points, where the alpha is the third.
using Span = std::array<double, 3>;

// Compares the alpha down the pixel column at `x` points with the spans;
// every row outside them must be clear. Empty when all rows match.
QString columnMismatch(const QImage &image, double x, const QList<Span> &spans)
{
    const double dpr = image.devicePixelRatio();
    for (int row = 0; row < image.height(); ++row) {
        const double y = (row + 0.5) / dpr;
        double want = 0;
        for (const auto &[top, bottom, alpha] : spans)
            want = top <= y && y < bottom ? alpha : want;
        const int got = qAlpha(image.pixel(int(x * dpr), row));
        if (std::abs(got - want * 255) > 2)
            return QStringLiteral(": y %1: alpha %2, want %3").arg(y).arg(got).arg(want * 255);
    }
    return {};
}

// The view is 1000 x 150 points, the pointer at x 300 and row y; x: the
// column probed; h: the height of the line of text the pointer is on (0:
// none). The guide's own colour is 0.3 alpha, the focus shade and the
// ruler's red edge and ticks 0.6 (not scaled by the colour), the strip's
// outline 0.15, the brackets 0.5 x 0.5. Overlaps: 0.72 = 0.6 over 0.3, 0.888
// = 0.6 over 0.72, 0.405 = 0.15 over 0.3, 0.475 = 0.25 over 0.3. The edges lie
// on the device pixel grid, so an edge row blended where none should be
// shows up as a wrong alpha.
const LineStyle u = LineStyle::underline, f = LineStyle::focusWindow, r = LineStyle::ruler,
                rs = LineStyle::readingStrip;
const struct { const char *name; LineStyle style; double t, y, dpr, x; bool brackets; double h; QList<Span> spans; } cases[] = {
    {"underline, odd thickness at 2x", u, 5, 47, 2, 500, false, 0, {{44.5, 49.5, .3}}},
    {"focus: shades above and below the band", f, 51, 50, 2, 500, false, 0, {{0, 24.5, .6}, {75.5, 150, .6}}},
    {"focus near the top: no upper shade", f, 50, 12.5, 2, 500, false, 0, {{37.5, 150, .6}}},
    {"ruler between ticks: red edge over the band", r, 40, 40, 4, 1.5, false, 0, {{20, 22, .72}, {22, 60, .3}}},
    {"ruler short tick at 3", r, 40, 40, 4, 3, false, 0, {{20, 22, .888}, {22, 30, .72}, {30, 60, .3}}},
    {"ruler middle tick at 15", r, 40, 40, 4, 15, false, 0, {{20, 22, .888}, {22, 36, .72}, {36, 60, .3}}},
    {"ruler long tick at 0", r, 40, 40, 4, 0.25, false, 0, {{20, 22, .888}, {22, 44, .72}, {44, 60, .3}}},
    // t 23: clear line t - 2 = 21, bands 1; t 55: line 22, bands 16.5.
    {"strip, thin bands", rs, 23, 50, 2, 500, false, 0,
     {{38.5, 39, .3}, {39, 39.5, .405}, {39.5, 40, .15}, {60, 60.5, .15}, {60.5, 61, .405}, {61, 61.5, .3}}},
    {"strip, wide bands", rs, 55, 50, 2, 500, false, 0,
     {{22.5, 38.5, .3}, {38.5, 39, .405}, {39, 39.5, .15}, {60.5, 61, .15}, {61, 61.5, .405}, {61.5, 77.5, .3}}},
    {"strip outline's left side", rs, 23, 50, 2, 0.25, false, 0,
     {{38.5, 39, .3}, {39, 39.5, .405}, {39.5, 60.5, .15}, {60.5, 61, .405}, {61, 61.5, .3}}},
    // Brackets 200 points either side, 2 points wide, 20 points beyond the band.
    {"bracket over the band", u, 10, 50, 2, 500.25, true, 0, {{25, 45, .25}, {45, 55, .475}, {55, 75, .25}}},
    {"just left of the bracket", u, 10, 50, 2, 498.75, true, 0, {{45, 55, .3}}},
    // On a line of text from 40 to 60 each style stands where it stands
    // around the pointer's row, relative to the line.
    {"text line: underline under it", u, 10, 40, 2, 500, false, 20, {{60, 70, .3}}},
    {"text line: focus window clears it", f, 50, 40, 2, 500, false, 20, {{0, 40, .6}, {60, 150, .6}}},
    {"text line: ruler's red edge under it", r, 40, 40, 2, 1.5, false, 20, {{60, 62, .72}, {62, 100, .3}}},
    {"text line: strip clears it, bands kept", rs, 55, 40, 2, 500, false, 20,
     {{23.5, 39.5, .3}, {39.5, 40, .405}, {40, 40.5, .15}, {59.5, 60, .15}, {60, 60.5, .405}, {60.5, 76.5, .3}}},
    {"text line: brackets around it", u, 10, 40, 2, 500.25, true, 20, {{20, 60, .25}, {60, 70, .475}, {70, 80, .25}}},
};

} // namespace

class TestReadingGuideView : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    AppSettings m_settings{m_dir.filePath(QStringLiteral("tovani.conf"))};

    // A half-transparent blue at opacity 0.6; the file's defaults otherwise:
    // line height 22, brackets 20% of the view's width either side.
    AppSettings &use(LineStyle style, double thickness, bool brackets = false)
    {
        m_settings.setCurrentStyle(style);
        m_settings.setCustomThickness(thickness);
        m_settings.setCustomOpacity(0.6);
        m_settings.setCurrentColor({0, 0, 1, 0.5});
        m_settings.setVerticalGuidesEnabled(brackets);
        return m_settings;
    }

private Q_SLOTS:
    void guideStandsOnItsLine_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(cases)); ++i)
            QTest::newRow(cases[i].name) << i;
    }

    void guideStandsOnItsLine()
    {
        QFETCH(int, index);
        const auto &c = cases[index];
        const QImage image = render(use(c.style, c.t, c.brackets), QSizeF(1000, 150), 300, c.y, c.dpr, c.h);
        const QString diff = columnMismatch(image, c.x, c.spans);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    // The ruler's labels hang below a thin band: "1" under the tick at 30,
    // centred 0.6 t + 8 below the top edge (37); a line height that is no
    // number puts the guide at the pointer's row.
    void labelsAndOddLineHeights()
    {
        QVERIFY(!isClear(render(use(r, 6), QSizeF(100, 100), 0, 40).copy(25, 45, 10, 8)));
        const AppSettings &s = use(u, 10);
        QCOMPARE(render(s, QSizeF(100, 100), 0, 40, 1, qQNaN()), render(s, QSizeF(100, 100), 0, 40));
    }

    // Empty, NaN and huge sizes and positions; a huge ruler on a small
    // surface stays bounded and draws its start.
    void absurdValuesGiveClearResults()
    {
        const AppSettings &s = use(LineStyle::underline, 10);
        const QSizeF size(64, 48);
        for (const QImage &image : {render(s, QSizeF(0, 0), 10, 10), render(s, QSizeF(qQNaN(), 48), 10, 10),
                                    render(s, size, 10, 1e308), render(s, size, 10, -qInf())})
            QVERIFY(isClear(image));
        QCOMPARE(render(s, size, qQNaN(), qQNaN()), render(s, size, 0, 0)); // NaN reads as 0
        use(LineStyle::ruler, 45);
        QCOMPARE(render(s, QSizeF(1e308, 48), 0, 24).copy(0, 0, 60, 48), render(s, size, 0, 24).copy(0, 0, 60, 48));
    }
};

QTEST_MAIN(TestReadingGuideView)
#include "test_readingguideview.moc"
