// Pixel checks of the guide drawing against the geometry of each style,
// written out independently below, plus the partial-repaint contract of
// coveredRect() and the behaviour on absurd sizes and positions.

#include "overlay/ReadingGuideView.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QImage render(const AppSettings &settings, QSizeF size, double x, double y, double dpr = 1.0)
{
    const auto pixels = [dpr](double points) {
        return std::isfinite(points) && points > 0 ? int(std::ceil(points * dpr)) : 8; // odd sizes: a small image
    };
    QImage image(pixels(size.width()), pixels(size.height()), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(dpr);
    QPainter painter(&image);
    ReadingGuideView(x, y, settings).paint(painter, size);
    return image;
}

// One flat layer of the expected picture, in points.
struct Layer
{
    QRectF rect;
    QColor color;
};

struct Premul
{
    double r = 0, g = 0, b = 0, a = 0;
};

// Expected pixels, assuming every edge lies on the device pixel grid, so a
// pixel is either fully inside a layer or fully outside.
Premul expectedAt(const QList<Layer> &layers, double px, double py)
{
    Premul out;
    for (const Layer &layer : layers) {
        if (!layer.rect.contains(QPointF(px, py)))
            continue;
        const double a = layer.color.alphaF();
        out.r = layer.color.redF() * a + out.r * (1 - a);
        out.g = layer.color.greenF() * a + out.g * (1 - a);
        out.b = layer.color.blueF() * a + out.b * (1 - a);
        out.a = a + out.a * (1 - a);
    }
    return out;
}

// Compares every pixel of the image with the layers; returns a description of
// the first few mismatches, empty when everything matches.
QString compareToModel(const QImage &image, const QList<Layer> &layers, const QList<QRectF> &ignore = {})
{
    const double dpr = image.devicePixelRatio();
    QString report;
    int bad = 0;
    for (int row = 0; row < image.height(); ++row) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(row));
        const double py = (row + 0.5) / dpr;
        for (int col = 0; col < image.width(); ++col) {
            const double px = (col + 0.5) / dpr;
            bool skip = false;
            for (const QRectF &r : ignore)
                skip = skip || r.contains(QPointF(px, py));
            if (skip)
                continue;
            const Premul want = expectedAt(layers, px, py);
            const QRgb got = line[col];
            const auto off = [](int got, double want) { return std::abs(got - want * 255) > 2.01; };
            if (off(qAlpha(got), want.a) || off(qRed(got), want.r) || off(qGreen(got), want.g) ||
                off(qBlue(got), want.b)) {
                if (++bad <= 5)
                    report += QStringLiteral("pixel (%1,%2) = %3,%4,%5,%6 want %7,%8,%9,%10\n")
                                  .arg(col)
                                  .arg(row)
                                  .arg(qRed(got))
                                  .arg(qGreen(got))
                                  .arg(qBlue(got))
                                  .arg(qAlpha(got))
                                  .arg(want.r * 255, 0, 'f', 1)
                                  .arg(want.g * 255, 0, 'f', 1)
                                  .arg(want.b * 255, 0, 'f', 1)
                                  .arg(want.a * 255, 0, 'f', 1);
            }
        }
    }
    if (bad)
        report += QStringLiteral("%1 pixels differ").arg(bad);
    return report;
}

QColor withAlpha(QColor c, double factor)
{
    c.setAlphaF(float(c.alphaF() * factor));
    return c;
}

QColor guideColor(const AppSettings &s, double opacity)
{
    const CodableColor k = s.currentColor();
    return QColor::fromRgbF(float(k.red), float(k.green), float(k.blue), float(k.alpha * opacity));
}

QRectF centred(double w, double h, double cx, double cy) { return QRectF(cx - w / 2, cy - h / 2, w, h); }

// The picture each style should give, straight from its geometry.
QList<Layer> model(const AppSettings &s, double W, double H, double x, double yc, QList<QRectF> *labels = nullptr)
{
    const double t = s.customThickness();
    const double a = s.customOpacity();
    const QColor black = QColor::fromRgbF(0, 0, 0, float(a));
    QList<Layer> layers;
    switch (s.currentStyle()) {
    case LineStyle::underline:
        layers.append({centred(W, t, W / 2, yc), guideColor(s, a)});
        break;
    case LineStyle::highlightBar:
        layers.append({centred(W, t, W / 2, yc - t / 2), guideColor(s, a)});
        break;
    case LineStyle::focusWindow: {
        const double upper = std::max(yc - t / 2, 0.0);
        const double lower = std::max(H - yc - t / 2, 0.0);
        layers.append({centred(W, upper, W / 2, (yc - t / 2) / 2), black});
        layers.append({centred(W, lower, W / 2, yc + t / 2 + (H - yc - t / 2) / 2), black});
        break;
    }
    case LineStyle::ruler: {
        layers.append({centred(W, t, W / 2, yc), guideColor(s, a)});
        layers.append({centred(W, 2, W / 2, yc - t / 2 + 1), withAlpha(SystemColors::red(), a)});
        const double top = yc - t / 2;
        const int n = int(W / 3);
        for (int i = 0; i <= n; ++i) {
            const double w = i % 10 == 0 ? 1.5 : i % 5 == 0 ? 1.0 : 0.5;
            const double len = (i % 10 == 0 ? 0.6 : i % 5 == 0 ? 0.4 : 0.25) * t;
            layers.append({QRectF(i * 3 - w / 2, top, w, len), black});
            if (labels && i % 10 == 0 && i != 0)
                labels->append(centred(16, 16, i * 3, top + len + 8));
        }
        break;
    }
    case LineStyle::readingStrip: {
        const double L = s.readingStripLineHeight();
        const double h = t - 2 < L ? t - 2 : L;
        const double p = std::max((t - h) / 2, 0.0);
        const QColor band = guideColor(s, a);
        const QColor line = guideColor(s, a * 0.5);
        layers.append({centred(W, p, W / 2, yc - t / 2 + p / 2), band});
        layers.append({centred(W, p, W / 2, yc + t / 2 - p / 2), band});
        const double top = yc - h / 2, bottom = yc + h / 2;
        layers.append({QRectF(QPointF(-0.5, top - 0.5), QPointF(W + 0.5, top + 0.5)), line});
        layers.append({QRectF(QPointF(-0.5, bottom - 0.5), QPointF(W + 0.5, bottom + 0.5)), line});
        layers.append({QRectF(QPointF(-0.5, top + 0.5), QPointF(0.5, bottom - 0.5)), line});
        layers.append({QRectF(QPointF(W - 0.5, top + 0.5), QPointF(W + 0.5, bottom - 0.5)), line});
        break;
    }
    }
    if (s.verticalGuidesEnabled()) {
        const double m = W * s.verticalGuideMargin() / 100;
        const QColor c = guideColor(s, s.verticalGuideOpacity());
        layers.append({centred(2, t + 40, x - m, yc), c});
        layers.append({centred(2, t + 40, x + m, yc), c});
    }
    return layers;
}

int maxDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int most = 0;
    for (int row = 0; row < a.height(); ++row) {
        const QRgb *la = reinterpret_cast<const QRgb *>(a.constScanLine(row));
        const QRgb *lb = reinterpret_cast<const QRgb *>(b.constScanLine(row));
        for (int col = 0; col < a.width(); ++col) {
            most = std::max({most, std::abs(qRed(la[col]) - qRed(lb[col])), std::abs(qGreen(la[col]) - qGreen(lb[col])),
                             std::abs(qBlue(la[col]) - qBlue(lb[col])), std::abs(qAlpha(la[col]) - qAlpha(lb[col]))});
        }
    }
    return most;
}

bool isTransparent(const QImage &image)
{
    for (int row = 0; row < image.height(); ++row) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(row));
        for (int col = 0; col < image.width(); ++col)
            if (line[col] != 0)
                return false;
    }
    return true;
}

// A repaint after a move: clear what the old and the new position cover and
// paint the new position there only, like the overlay does.
void repaintMove(QImage &image, const AppSettings &s, QSizeF size, QPointF from, QPointF to, bool useRegion)
{
    const ReadingGuideView before(from.x(), from.y(), s), after(to.x(), to.y(), s);
    const QRegion area = useRegion ? before.coveredRegion(size) | after.coveredRegion(size)
                                   : QRegion((before.coveredRect(size) | after.coveredRect(size)).toAlignedRect());
    QPainter painter(&image);
    painter.setClipRegion(area);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect &r : area)
        painter.fillRect(r, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    after.paint(painter, size);
}

} // namespace

class TestReadingGuideView : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    std::unique_ptr<AppSettings> settings(LineStyle style, double thickness, double opacity)
    {
        auto s = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("s%1.conf").arg(m_files++)));
        s->setCurrentStyle(style);
        s->setCustomThickness(thickness);
        s->setCustomOpacity(opacity);
        return s;
    }

private Q_SLOTS:
    void stylesMatchTheirGeometry_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<double>("t");
        QTest::addColumn<double>("W");
        QTest::addColumn<double>("H");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("dpr");
        const int u = int(LineStyle::underline), hb = int(LineStyle::highlightBar), f = int(LineStyle::focusWindow);
        QTest::newRow("underline") << u << 10.0 << 200.0 << 100.0 << 50.0 << 50.0 << 1.0;
        // Cursor in the bottom-left corner: half the underline is below the view.
        QTest::newRow("underline bottom-left") << u << 10.0 << 200.0 << 100.0 << 0.0 << 100.0 << 1.0;
        QTest::newRow("underline dpr2 odd t") << u << 5.0 << 120.0 << 80.0 << 10.0 << 47.0 << 2.0;
        QTest::newRow("highlight") << hb << 28.0 << 200.0 << 100.0 << 50.0 << 50.0 << 1.0;
        // Bottom-left: the bar sits fully visible just above the bottom edge.
        QTest::newRow("highlight bottom-left") << hb << 28.0 << 200.0 << 100.0 << 0.0 << 100.0 << 1.0;
        QTest::newRow("focus") << f << 50.0 << 200.0 << 150.0 << 50.0 << 75.0 << 1.0;
        // Bottom-left: the lower shade has height 0.
        QTest::newRow("focus bottom-left") << f << 50.0 << 200.0 << 150.0 << 0.0 << 150.0 << 1.0;
        // Cursor t/4 below the top: no upper shade, everything below the band dimmed.
        QTest::newRow("focus near top") << f << 50.0 << 200.0 << 150.0 << 0.0 << 12.5 << 2.0;
        QTest::newRow("focus dpr2") << f << 51.0 << 160.0 << 90.0 << 20.0 << 50.0 << 2.0;
        // dpr 4 puts the 0.25-point tick edges on the pixel grid.
        QTest::newRow("ruler") << int(LineStyle::ruler) << 40.0 << 100.0 << 100.0 << 0.0 << 40.0 << 4.0;
        QTest::newRow("ruler wide") << int(LineStyle::ruler) << 20.0 << 400.0 << 60.0 << 0.0 << 20.0 << 4.0;
    }

    void stylesMatchTheirGeometry()
    {
        QFETCH(int, style);
        QFETCH(double, t);
        QFETCH(double, W);
        QFETCH(double, H);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, dpr);
        auto s = settings(LineStyle(style), t, 0.6);
        QList<QRectF> labels;
        const QImage image = render(*s, QSizeF(W, H), x, y, dpr);
        const QString diff = compareToModel(image, model(*s, W, H, x, y, &labels), labels);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void readingStripWorkedValues_data()
    {
        QTest::addColumn<double>("t");
        QTest::addColumn<double>("L");
        QTest::addColumn<double>("h");
        QTest::addColumn<double>("p");
        QTest::newRow("t20 L22") << 20.0 << 22.0 << 18.0 << 1.0;
        QTest::newRow("t55 L60") << 55.0 << 60.0 << 53.0 << 1.0;
        QTest::newRow("t55 L22") << 55.0 << 22.0 << 22.0 << 16.5;
    }

    void readingStripWorkedValues()
    {
        QFETCH(double, t);
        QFETCH(double, L);
        QFETCH(double, h);
        QFETCH(double, p);
        auto s = settings(LineStyle::readingStrip, t, 0.55);
        s->setReadingStripLineHeight(L);
        // Half-point edges land on the grid at device pixel ratio 2.
        const double W = 120, H = 100, yc = 50;
        const QImage image = render(*s, QSizeF(W, H), 0, yc, 2.0);
        const QString diff = compareToModel(image, model(*s, W, H, 0, yc));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

        // Check the worked numbers themselves in the middle column: band rows,
        // then the outline, then the clear line.
        const auto alphaAt = [&](double py) { return qAlpha(image.pixel(int(W), int(py * 2))); };
        const int band = qRound(0.55 * 255);
        QCOMPARE(alphaAt(yc - t / 2 - 0.25), 0);
        QVERIFY(std::abs(alphaAt(yc - t / 2 + 0.25) - band) <= 2);
        QVERIFY(std::abs(alphaAt(yc + t / 2 - 0.25) - band) <= 2);
        QCOMPARE(alphaAt(yc + t / 2 + 0.25), 0);
        if (p - 0.5 > 0.25) // band alone just above the outline
            QVERIFY(std::abs(alphaAt(yc - t / 2 + p - 0.75) - band) <= 2);
        QVERIFY(alphaAt(yc - h / 2) > 0);          // outline top
        QVERIFY(alphaAt(yc + h / 2 - 0.25) > 0);   // outline bottom
        QCOMPARE(alphaAt(yc - h / 2 + 0.75), 0);    // clear line
        QCOMPARE(alphaAt(yc), 0);
    }

    void rulerScale()
    {
        // 100 points wide: N = 33, ticks at 0, 3, ..., 99.
        const double W = 100, H = 100, t = 40, y = 40, dpr = 4;
        auto s = settings(LineStyle::ruler, t, 0.85);
        const QImage image = render(*s, QSizeF(W, H), 0, y, dpr);
        const double top = y - t / 2;
        const QRgb bandPixel = image.pixel(int(1.5 * dpr), int((top + 5) * dpr));

        // Tick runs along a row below the red edge and above the short ticks' ends.
        QList<double> centres;
        const int row = int((top + 5) * dpr);
        for (int col = 0; col < image.width();) {
            if (image.pixel(col, row) == bandPixel) {
                ++col;
                continue;
            }
            const int start = col;
            while (col < image.width() && image.pixel(col, row) != bandPixel)
                ++col;
            centres.append((start + col) / 2.0 / dpr);
        }
        QCOMPARE(centres.size(), 34);
        for (int i = 1; i < 33; ++i)
            QCOMPARE(centres[i], i * 3.0);

        // Lengths: long at multiples of 30, middle at 15, 45, 75.
        const auto tickAt = [&](double x, double depth) {
            const double beside = x + 1.5 < W ? x + 1.5 : x - 1.5;
            const int row = int((top + depth) * dpr);
            return image.pixel(int(x * dpr), row) != image.pixel(int(beside * dpr), row);
        };
        for (int i = 1; i <= 33; ++i) {
            const double x = i * 3;
            const double len = (i % 10 == 0 ? 0.6 : i % 5 == 0 ? 0.4 : 0.25) * t;
            QVERIFY2(tickAt(x, len - 0.3), qPrintable(QString::number(i)));
            QVERIFY2(!tickAt(x, len + 0.3), qPrintable(QString::number(i)));
        }
    }

    void rulerLabelsBelowThinBand()
    {
        // A thin band lets the labels hang below it; they are drawn, and
        // coveredRect reaches them.
        auto s = settings(LineStyle::ruler, 6, 1.0);
        const QSizeF size(100, 100);
        const QImage image = render(*s, size, 0, 40);
        const double top = 40 - 3;
        bool ink = false;
        for (int r = int(top + 8); r < int(top + 16); ++r)
            for (int c = 25; c < 35; ++c)
                ink = ink || qAlpha(image.pixel(c, r)) > 0;
        QVERIFY(ink);
        QVERIFY(ReadingGuideView(0, 40, *s).coveredRect(size).bottom() >= top + 0.6 * 6 + 8 + 6);
    }

    void brackets_data()
    {
        QTest::addColumn<double>("x");
        QTest::newRow("centre") << 500.0;
        QTest::newRow("left bracket outside") << 300.0;
        QTest::newRow("both outside") << 0.0;
    }

    void brackets()
    {
        QFETCH(double, x);
        auto s = settings(LineStyle::underline, 10, 0.6);
        s->setVerticalGuidesEnabled(true);
        s->setVerticalGuideMargin(40);
        s->setVerticalGuideOpacity(0.5);
        const double W = 1000, H = 100, y = 50;
        const QImage image = render(*s, QSizeF(W, H), x, y);
        QString diff = compareToModel(image, model(*s, W, H, x, y));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        // 400 points either side, 20 points above and below the band.
        if (x == 300) {
            QVERIFY(qAlpha(image.pixel(699, 50 - 25)) > 0);
            QVERIFY(qAlpha(image.pixel(700, 50 + 24)) > 0);
            QCOMPARE(qAlpha(image.pixel(700, 50 + 25)), 0);
            QCOMPARE(qAlpha(image.pixel(698, 50 - 25)), 0);
        }
        // The same on a focus window, over the shade.
        s->setCurrentStyle(LineStyle::focusWindow);
        const QImage focus = render(*s, QSizeF(W, H), x, y, 2.0);
        diff = compareToModel(focus, model(*s, W, H, x, y));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void colourAlphaTimesOpacity()
    {
        auto s = settings(LineStyle::underline, 10, 0.6);
        s->setCurrentColor({0.0, 0.0, 1.0, 0.5});
        const QImage image = render(*s, QSizeF(50, 50), 0, 25);
        const QRgb p = image.pixel(10, 25);
        QVERIFY2(std::abs(qAlpha(p) - 0.3 * 255) <= 1, qPrintable(QString::number(qAlpha(p))));
        QVERIFY(std::abs(qBlue(p) - 0.3 * 255) <= 1);
        QCOMPARE(qRed(p), 0);
    }

    void crispAtDevicePixelRatio2_data()
    {
        QTest::addColumn<int>("style");
        for (LineStyle style : LineStyles::allCases)
            QTest::newRow(qPrintable(LineStyles::rawValue(style))) << int(style);
    }

    void crispAtDevicePixelRatio2()
    {
        // Integral point edges are whole pixel rows at ratio 2: in a column
        // away from the ticks, every row has one of the full colours, none is
        // a half-covered blend.
        QFETCH(int, style);
        auto s = settings(LineStyle(style), 30, 0.6);
        s->setReadingStripLineHeight(20);
        s->setVerticalGuidesEnabled(true);
        const QSizeF size(100, 80);
        const QImage image = render(*s, size, 50, 40, 2.0);
        QList<QRectF> ignore;
        if (style == int(LineStyle::ruler)) {
            // Tick edges fall on quarter points; the ticks themselves are
            // checked at ratio 4 above. Here: the band and the red edge.
            for (int i = 0; i <= 33; ++i)
                ignore.append(QRectF(i * 3 - 1, 0, 2, 80));
        }
        const QString diff = compareToModel(image, model(*s, 100, 80, 50, 40, &ignore), ignore);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        if (style == int(LineStyle::ruler) || style == int(LineStyle::readingStrip))
            return; // their half-point features make one-row colours on purpose
        // Down a column, a flat colour always spans at least two device rows:
        // no single blended row at an edge.
        const int col = 3;
        for (int row = 1; row + 1 < image.height(); ++row) {
            const QRgb a = image.pixel(col, row - 1), b = image.pixel(col, row), c = image.pixel(col, row + 1);
            if (b != a && b != c)
                QFAIL(qPrintable(QStringLiteral("single blended row %1").arg(row)));
        }
    }

    void partialRepaintMatchesFullRender_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("brackets");
        QTest::addColumn<double>("dpr");
        for (LineStyle style : LineStyles::allCases)
            for (bool brackets : {false, true})
                for (double dpr : {1.0, 1.5, 2.0})
                    QTest::newRow(qPrintable(QStringLiteral("%1%2 @%3")
                                                 .arg(LineStyles::rawValue(style), brackets ? " +brackets" : "")
                                                 .arg(dpr)))
                        << int(style) << brackets << dpr;
    }

    void partialRepaintMatchesFullRender()
    {
        QFETCH(int, style);
        QFETCH(bool, brackets);
        QFETCH(double, dpr);
        const QSizeF size(300, 200);
        const QList<QPointF> path{{150, 100}, {153, 98}, {153.3, 98.3}, {10, 10},   {0, 200},
                                  {299, 1},   {40, 140}, {41, 160},     {-50, -200}, {150, 99.5}};
        for (double t : {1.0, 6.0, 45.0, 55.5}) {
            auto s = settings(LineStyle(style), t, 0.7);
            s->setVerticalGuidesEnabled(brackets);
            s->setVerticalGuideMargin(15);
            s->setReadingStripLineHeight(22);
            for (int i = 0; i + 1 < path.size(); ++i) {
                const QImage fresh = render(*s, size, path[i + 1].x(), path[i + 1].y(), dpr);
                QImage image = render(*s, size, path[i].x(), path[i].y(), dpr);
                repaintMove(image, *s, size, path[i], path[i + 1], false);
                QImage tight = render(*s, size, path[i].x(), path[i].y(), dpr);
                repaintMove(tight, *s, size, path[i], path[i + 1], true);
                // At whole ratios the repaint is exact. At a fractional ratio
                // Qt's antialiasing may round the coverage of a rectangle's
                // side column one unit differently when the rectangle's height
                // differs (the focus window's shades): invisible, allowed.
                const int allowed = dpr == std::floor(dpr) ? 0 : 1;
                QVERIFY2(maxDifference(image, fresh) <= allowed && maxDifference(tight, fresh) <= allowed, qPrintable(QStringLiteral("t %1, move %2 -> %3")
                                                        .arg(t)
                                                        .arg(QStringLiteral("%1,%2").arg(path[i].x()).arg(path[i].y()))
                                                        .arg(QStringLiteral("%1,%2")
                                                                 .arg(path[i + 1].x())
                                                                 .arg(path[i + 1].y()))));
            }
        }
    }

    void coveredRectIsTheBand()
    {
        // A move repaints a band, not the screen.
        auto s = settings(LineStyle::underline, 4, 0.6);
        const QSizeF size(2560, 1440);
        const QRectF r = ReadingGuideView(100, 740, *s).coveredRect(size);
        QCOMPARE(r.left(), 0.0);
        QCOMPARE(r.width(), 2560.0);
        QVERIFY(r.height() <= 12);
        QVERIFY(r.contains(QPointF(100, 740)));
        s->setCurrentStyle(LineStyle::focusWindow);
        s->setCustomThickness(50);
        QVERIFY(ReadingGuideView(100, 740, *s).coveredRect(size).height() <= 60);
        // Off the view: nothing to repaint.
        QVERIFY(ReadingGuideView(100, 1940, *s).coveredRect(size).isEmpty());
        QVERIFY(ReadingGuideView(100, 1940, *s).coveredRegion(size).isEmpty());
        // With brackets the rectangle grows to their height; the region keeps
        // them to their own columns.
        s->setVerticalGuidesEnabled(true);
        const ReadingGuideView view(1000, 740, *s);
        QCOMPARE(view.coveredRect(size).height(), 50.0 + 40 + 4);
        const QRegion region = view.coveredRegion(size);
        QCOMPARE(region.boundingRect(), view.coveredRect(size).toAlignedRect());
        QVERIFY(region.contains(QPoint(1000 - 512, 740 - 45)));
        QVERIFY(region.contains(QPoint(1000 + 512, 740 + 44)));
        QVERIFY(!region.contains(QPoint(1000, 740 - 45)));
        QVERIFY(!region.contains(QPoint(1000 - 516, 740 - 45)));
    }

    void absurdValuesGiveClearResults()
    {
        const QSizeF size(64, 48);
        auto s = settings(LineStyle::underline, 10, 0.6);
        QVERIFY(isTransparent(render(*s, QSizeF(0, 0), 10, 10)));
        QVERIFY(isTransparent(render(*s, QSizeF(kNaN, 48), 10, 10)));
        // A NaN position reads as (0, 0).
        QCOMPARE(render(*s, size, kNaN, kNaN), render(*s, size, 0, 0));
        // Far outside the view the band is simply not there.
        QVERIFY(isTransparent(render(*s, size, 10, 1e308)));
        QVERIFY(isTransparent(render(*s, size, 10, -kInf)));
        // A huge ruler width on a small surface stays bounded and draws its start.
        s->setCurrentStyle(LineStyle::ruler);
        s->setCustomThickness(45);
        QImage ruler(64, 48, QImage::Format_ARGB32_Premultiplied);
        ruler.fill(Qt::transparent);
        {
            QPainter painter(&ruler);
            ReadingGuideView(0, 24, *s).paint(painter, QSizeF(1e308, 48));
        }
        const QImage small = render(*s, QSizeF(64, 48), 0, 24);
        QCOMPARE(ruler.copy(0, 0, 60, 48), small.copy(0, 0, 60, 48));
    }
};

QTEST_MAIN(TestReadingGuideView)
#include "test_readingguideview.moc"
