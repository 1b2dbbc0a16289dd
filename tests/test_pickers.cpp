// The drawings and value texts of the preferences window, checked in pixels:
// the live preview of every style, the ruler's ticks, the brackets, the tile
// miniatures, the swatch check mark, and the slider steps and value texts.

#include "ui/ColorButton.h"
#include "ui/Preview.h"
#include "ui/SliderBlock.h"

#include <QPainter>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

constexpr double W = 408; // the preview page in the 480-wide window

QImage renderGuide(const preview::Params &params)
{
    QImage image(int(W), 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    preview::previewLine(p, QRectF(0, 0, W, 120), params);
    preview::previewVerticalGuides(p, QRectF(0, 0, W, 120), params);
    return image;
}

// Rows [first, last] of column x whose alpha is at least `minAlpha`, as one
// contiguous run (fails the test through the caller when there are gaps).
QList<int> opaqueRows(const QImage &image, int x, int minAlpha = 250)
{
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (qAlpha(image.pixel(x, y)) >= minAlpha) rows.append(y);
    return rows;
}

QList<int> range(int first, int last)
{
    QList<int> r;
    for (int i = first; i <= last; ++i)
        r.append(i);
    return r;
}

preview::Params params(LineStyle style, double thickness, double opacity = 1.0)
{
    preview::Params p;
    p.style = style;
    p.color = QColor(255, 0, 0);
    p.thickness = thickness;
    p.opacity = opacity;
    return p;
}

const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueTexts()
    {
        using namespace valuetext;
        QCOMPARE(percent(0.57), QStringLiteral("56%")); // 56.99... truncated
        QCOMPARE(percent(0.5), QStringLiteral("50%"));
        QCOMPARE(percent(1.0), QStringLiteral("100%"));
        QCOMPARE(pixels(28), QStringLiteral("28px"));
        QCOMPARE(pixels(27.9), QStringLiteral("27px"));
        QCOMPARE(bracketWidth(20), QStringLiteral("40%"));
        QCOMPARE(bracketWidth(20.5), QStringLiteral("41%"));
        QCOMPARE(zoom(2.0), QStringLiteral("2.0x"));
        QCOMPARE(zoom(1.25), QStringLiteral("1.2x")); // as printf rounds it
        QCOMPARE(zoom(2.96), QStringLiteral("3.0x"));

        // Out of range but sane: shown as it is.
        QCOMPARE(percent(-0.3), QStringLiteral("-30%"));
        QCOMPARE(pixels(250), QStringLiteral("250px"));
        QCOMPARE(zoom(12.0), QStringLiteral("12.0x"));

        // What only a hand-edited file can hold: readable, no crash.
        const QString dash = QStringLiteral("\u2014");
        for (double absurd : {notANumber, infinity, -infinity, 1e308, -1e308, 9.3e18}) {
            QCOMPARE(pixels(absurd), dash);
            QCOMPARE(percent(absurd), dash);
            QCOMPARE(bracketWidth(absurd), dash);
            QCOMPARE(zoom(absurd), dash);
        }
        QCOMPARE(percent(1e16), QStringLiteral("1000000000000000000%"));
        QCOMPARE(percent(1e17), dash); // 1e19 does not fit 64 bits
        QCOMPARE(pixels(9.2e18), QStringLiteral("9200000000000000000px"));
    }

    void slidersSnapWithoutDrift_data()
    {
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("kind"); // 0 percent, 1 pixels, 2 bracket width, 3 zoom
        QTest::newRow("opacity") << 0.1 << 1.0 << 0.05 << 18 << 0;
        QTest::newRow("thickness") << 1.0 << 100.0 << 1.0 << 99 << 1;
        QTest::newRow("line height") << 8.0 << 80.0 << 1.0 << 72 << 1;
        QTest::newRow("bracket width") << 1.0 << 40.0 << 0.5 << 78 << 2;
        QTest::newRow("bracket opacity") << 0.1 << 0.8 << 0.05 << 14 << 0;
        QTest::newRow("zoom") << 1.1 << 3.0 << 0.1 << 19 << 3;
    }

    void slidersSnapWithoutDrift()
    {
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(double, step);
        QFETCH(int, steps);
        QFETCH(int, kind);
        SteppedSlider slider(lower, upper, step);
        QCOMPARE(slider.stepCount(), steps);
        QCOMPARE(slider.valueAt(0), lower);
        QCOMPARE(slider.valueAt(steps), upper);
        // Every position's text is what decimal arithmetic gives: no 0.1 + 9 x 0.05
        // showing as 54%, no 2.9000000000000004.
        const int lowerUnits = int(std::lround(lower * 100));
        const int stepUnits = int(std::lround(step * 100));
        for (int k = 0; k <= steps; ++k) {
            const double v = slider.valueAt(k);
            const int units = lowerUnits + k * stepUnits; // value x 100, exact
            QString expected;
            QString actual;
            switch (kind) {
            case 0:
                expected = QString::number(units) + u'%';
                actual = valuetext::percent(v);
                break;
            case 1:
                expected = QString::number(units / 100) + QStringLiteral("px");
                actual = valuetext::pixels(v);
                break;
            case 2:
                expected = QString::number(units / 50) + u'%';
                actual = valuetext::bracketWidth(v);
                break;
            case 3:
                expected = QStringLiteral("%1.%2x").arg(units / 100).arg(units / 10 % 10);
                actual = valuetext::zoom(v);
                break;
            }
            QCOMPARE(actual, expected);
            QCOMPARE(slider.positionFor(v), k);
            QVERIFY(QString::number(v, 'g', QLocale::FloatingPointShortest).size() <=
                    4); // "0.55", "2.9", no drift digits
        }
        // Outside the range the handle pins to the nearer end.
        QCOMPARE(slider.positionFor(lower - 1000), 0);
        QCOMPARE(slider.positionFor(upper + 1000), steps);
        QCOMPARE(slider.positionFor(notANumber), 0);
        QCOMPARE(slider.positionFor(infinity), steps);
        QCOMPARE(slider.positionFor(-infinity), 0);
        QCOMPARE(slider.positionFor(1e308), steps);
    }

    void sliderReportsOnlyUserMoves()
    {
        SteppedSlider slider(1, 40, 0.5);
        QList<double> edits;
        connect(&slider, &SteppedSlider::valueEdited, this, [&](double v) { edits.append(v); });
        slider.showValue(20);
        QCOMPARE(slider.value(), 38);
        QVERIFY(edits.isEmpty());
        QTest::keyClick(&slider, Qt::Key_Right);
        QCOMPARE(edits, QList<double>{20.5});
        QCOMPARE(slider.positionFor(0.57 * 0 + 0.57), 0); // below 1: pinned at the low end
        SteppedSlider opacity(0.1, 1.0, 0.05);
        QCOMPARE(opacity.positionFor(0.57), 9); // 0.55 is nearest
    }

    void isLightRule()
    {
        QVERIFY(isLight(QColor::fromRgbF(1.0f, 0.75f, 0.0f))); // amber, about 0.74
        QVERIFY(!isLight(QColor::fromRgbF(0, 0, 1)));          // 0.114
        QVERIFY(!isLight(0.5, 0.5, 0.5));                      // exactly 0.5 is dark
        QVERIFY(isLight(0.5, 0.5, 0.5001));
        QVERIFY(!isLight(QColor::fromRgbF(0, 0, 0)));
        QVERIFY(isLight(QColor(Qt::white)));
        QVERIFY(isLight(QColor()));                                  // no RGB form: light
        QVERIFY(isLight(QColor::fromRgbF(1.0f, 0.75f, 0.0f, 0.0f))); // alpha ignored
        // Every palette entry with explicit components is light.
        for (const PresetColor &entry : PresetColor::palette()) {
            static const QStringList explicitIds{"amber", "gold", "peach",        "coral",
                                                 "lime",  "sky",  "ruler-yellow", "steel"};
            if (explicitIds.contains(entry.id)) QVERIFY2(isLight(entry.color), qPrintable(entry.id));
        }
    }

    void swatchCheckMark()
    {
        auto render = [](const QColor &color, bool selected) {
            QImage image(28, 28, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            paintColorSwatch(p, QRectF(0, 0, 28, 28), color, selected, QPalette());
            return image;
        };
        auto count = [](const QImage &image, auto predicate) {
            int n = 0;
            for (int y = 8; y < 20; ++y)
                for (int x = 8; x < 20; ++x)
                    n += predicate(QColor(image.pixel(x, y))) ? 1 : 0;
            return n;
        };
        auto dark = [](const QColor &c) { return c.lightness() < 60; };
        auto white = [](const QColor &c) { return c.lightness() > 230; };
        const QColor amber = QColor::fromRgbF(1.0f, 0.75f, 0.0f);
        const QColor blue = QColor::fromRgbF(0, 0, 1);
        QVERIFY(count(render(amber, true), dark) > 10); // black mark on a light colour
        QCOMPARE(count(render(amber, false), dark), 0);
        QVERIFY(count(render(blue, true), white) > 10); // white mark on a dark colour
        QCOMPARE(count(render(blue, false), white), 0);
        // Inside: the swatch colour.
        QCOMPARE(render(amber, false).pixel(14, 4), amber.rgba());
    }

    void bandStyles()
    {
        // Underline and highlight bar: min(t, 30) high, centred at y = 100.
        QCOMPARE(opaqueRows(renderGuide(params(LineStyle::underline, 4)), 200), range(98, 101));
        QCOMPARE(opaqueRows(renderGuide(params(LineStyle::highlightBar, 28)), 200), range(86, 113));
        QCOMPARE(opaqueRows(renderGuide(params(LineStyle::highlightBar, 45)), 200), range(85, 114));
        QCOMPARE(opaqueRows(renderGuide(params(LineStyle::highlightBar, 45)), 200, 1),
                 range(85, 114)); // crisp edges
        QCOMPARE(opaqueRows(renderGuide(params(LineStyle::underline, 100)), 5), range(85, 114));
        // Opacity and the colour's own alpha multiply.
        preview::Params translucent = params(LineStyle::highlightBar, 28, 0.6);
        translucent.color.setAlphaF(0.5f);
        QVERIFY(std::abs(qAlpha(renderGuide(translucent).pixel(200, 100)) - 77) <= 1);
        // Nonsense thickness draws nothing rather than failing.
        QVERIFY(opaqueRows(renderGuide(params(LineStyle::underline, notANumber)), 200, 1).isEmpty());
        QVERIFY(opaqueRows(renderGuide(params(LineStyle::underline, -5)), 200, 1).isEmpty());
        QCOMPARE(opaqueRows(renderGuide(params(LineStyle::underline, infinity)), 200), range(85, 114));
    }

    void focusWindow()
    {
        const QImage image = renderGuide(params(LineStyle::focusWindow, 50, 0.6));
        QCOMPARE(preview::focusWindow(QRectF(0, 0, W, 120), 50), QRectF(0, 40, W, 40)); // centred at 60
        QCOMPARE(opaqueRows(image, 200, 140), range(0, 39) + range(80, 119));
        QCOMPARE(QColor(image.pixel(10, 10)).rgb() & 0xffffff, 0u); // black, not the guide colour
        QVERIFY(std::abs(qAlpha(image.pixel(10, 10)) - 153) <= 1);  // at the guide opacity
        QCOMPARE(qAlpha(image.pixel(10, 60)), 0);
    }

    void readingStrip()
    {
        const preview::StripGeometry wide = preview::readingStrip(55, 22);
        QCOMPARE(wide.total, 40.0);
        QCOMPARE(wide.band, 9.0);
        QCOMPARE(wide.line, 22.0);
        const preview::StripGeometry narrow = preview::readingStrip(20, 22);
        QCOMPARE(narrow.total, 20.0);
        QCOMPARE(narrow.line, 16.0);
        QCOMPARE(narrow.band, 2.0);
        // Too thin for a clear line: none, two equal bands filling the strip.
        const preview::StripGeometry thin = preview::readingStrip(3, 22);
        QCOMPARE(thin.line, 0.0);
        QCOMPARE(thin.band, 1.5);
        QCOMPARE(preview::readingStrip(notANumber, notANumber).total, 0.0);

        // In pixels: 80..119 is the strip, 9-high bands, the line between.
        QImage image = renderGuide(params(LineStyle::readingStrip, 55));
        QCOMPARE(opaqueRows(image, 200), range(80, 88) + range(111, 119));
        for (int y = 90; y <= 109; ++y)
            QCOMPARE(qAlpha(image.pixel(200, y)), 0);
        QVERIFY(qAlpha(image.pixel(200, 89)) > 0); // the thin outline of the clear line
        QVERIFY(qAlpha(image.pixel(200, 89)) < 200);

        image = renderGuide(params(LineStyle::readingStrip, 20));
        QCOMPARE(opaqueRows(image, 200), range(90, 91) + range(108, 109));

        image = renderGuide(params(LineStyle::readingStrip, 2));
        QCOMPARE(opaqueRows(image, 200), range(99, 100)); // one solid 2-high strip
    }

    void rulerTicks()
    {
        const QList<preview::Tick> ticks = preview::rulerTicks(W, 30);
        QCOMPARE(ticks.size(), 137);
        QCOMPARE(ticks.first().rect.center().x(), 0.0);  // mark 0 centred on the left edge
        QCOMPARE(ticks.last().rect.center().x(), 408.0); // mark 136 on the right edge
        for (int i = 0; i < ticks.size(); ++i) {
            const double factor = i % 10 == 0 ? 0.6 : i % 5 == 0 ? 0.4 : 0.25;
            const double width = i % 10 == 0 ? 1.5 : i % 5 == 0 ? 1.0 : 0.5;
            QCOMPARE(ticks[i].factor, factor);
            QCOMPARE(ticks[i].rect, QRectF(3.0 * i - width / 2, 2, width, 30 * factor));
        }
        QCOMPARE(preview::rulerTicks(2, 10).size(), 1);
        QVERIFY(preview::rulerTicks(notANumber, 10).isEmpty());

        // The ruler: band 85..114, red edge on its top 2 rows, black long ticks.
        preview::Params ruler = params(LineStyle::ruler, 45);
        ruler.color = QColor(Qt::white);
        const QImage image = renderGuide(ruler);
        QCOMPARE(opaqueRows(image, 200), range(85, 114));
        const QRgb red = SystemColors::red().rgba();
        QCOMPARE(image.pixel(200, 85), red);
        QCOMPARE(image.pixel(200, 86), red);
        QCOMPARE(image.pixel(200, 95), qRgb(255, 255, 255));
        // Marks straddle pixel edges (x = 3i), so they show antialiased grey.
        auto dark = [&](int x, int y) { return QColor(image.pixel(x, y)).lightness() < 110; };
        QVERIFY(dark(30, 95));                                  // mark 10: 18 high from y 87
        QCOMPARE(image.pixel(30, 105), qRgb(255, 255, 255));    // below it
        QVERIFY(QColor(image.pixel(15, 95)).lightness() < 160); // mark 5, 1 wide over two pixels: 12 high
        QCOMPARE(image.pixel(15, 100), qRgb(255, 255, 255));
        QVERIFY(dark(0, 95)); // mark 0 on the left edge
        QCOMPARE(image.pixel(1, 95), qRgb(255, 255, 255));
    }

    void brackets()
    {
        preview::Params p = params(LineStyle::underline, 4);
        QVERIFY(preview::bracketBars(QRectF(0, 0, W, 120), p).isEmpty());
        p.bracketsEnabled = true;
        p.bracketMargin = 20;
        p.bracketOpacity = 0.5;
        const QList<QRectF> bars = preview::bracketBars(QRectF(0, 0, W, 120), p);
        QCOMPARE(bars.size(), 2);
        QCOMPARE(bars[0].center(), QPointF(204 - 81.6, 100));
        QCOMPARE(bars[1].center(), QPointF(204 + 81.6, 100));
        QCOMPARE(bars[0].size(), QSizeF(2, 24)); // min(4, 30) + 20
        p.thickness = 80;
        QCOMPARE(preview::bracketBars(QRectF(0, 0, W, 120), p)[0].height(), 50.0);

        const QImage image = renderGuide(p);
        QVERIFY(std::abs(qAlpha(image.pixel(285, 80)) - 128) <= 1); // bracket opacity
        QCOMPARE(qAlpha(image.pixel(285, 74)), 0);                  // bar ends at 75

        p.bracketMargin = 1e308; // pushed off the page, no failure
        for (const QRectF &bar : preview::bracketBars(QRectF(0, 0, W, 120), p))
            QVERIFY(std::isfinite(bar.left()));
    }

    void mockTextAndPanel()
    {
        auto render = [](double thickness) {
            QImage image(440, 152, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            preview::previewSection(p, QRectF(0, 0, 440, 152), params(LineStyle::underline, thickness),
                                    QPalette());
            return image;
        };
        QImage image = render(0);
        // Text bars at y = 4, 24, ... 104 of the page (page top at 16).
        const QRgb background = image.pixel(100, 16 + 18);
        for (int i = 0; i < 6; ++i) {
            QVERIFY(image.pixel(100, 16 + 4 + 20 * i + 6) != background);
            QCOMPARE(image.pixel(100, 16 + 4 + 20 * i + 14), background);
        }
        // The sixth bar is at most 200 wide.
        QVERIFY(image.pixel(16 + 150, 16 + 110) != background);
        QCOMPARE(image.pixel(16 + 260, 16 + 110), background);
        // The guide (red, opaque) sits at page y 98..101.
        image = render(4);
        QCOMPARE(image.pixel(200, 16 + 99), qRgb(255, 0, 0));
        // Rounded corners: the very corner stays clear.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }

    void miniatures()
    {
        auto render = [](LineStyle style) {
            QImage image(60, 32, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            preview::stylePreview(p, QRectF(0, 0, 60, 32), style, QColor(255, 0, 0), QPalette());
            return image;
        };
        auto isRed = [](QRgb px) { return qRed(px) > 200 && qGreen(px) < 120 && qBlue(px) < 120; };
        auto rowsWhere = [](const QImage &image, auto predicate) {
            QList<int> rows;
            for (int y = 0; y < image.height(); ++y)
                if (predicate(image.pixel(30, y))) rows.append(y);
            return rows;
        };
        QCOMPARE(rowsWhere(render(LineStyle::underline), isRed), range(30, 31));
        QCOMPARE(rowsWhere(render(LineStyle::highlightBar),
                           [](QRgb px) { return qGreen(px) < 200 && qRed(px) > 200; }),
                 range(11, 20));
        QCOMPARE(
            rowsWhere(render(LineStyle::focusWindow), [](QRgb px) { return qAlpha(px) && qRed(px) < 140; }),
            range(1, 8) + range(23, 30));
        QCOMPARE(rowsWhere(render(LineStyle::readingStrip),
                           [](QRgb px) { return qGreen(px) < 200 && qRed(px) > 200; }),
                 range(7, 12) + range(19, 24));
        // Ruler: a red line (row 10) right above a band 10 high (rows 11..20).
        const QImage ruler = render(LineStyle::ruler);
        QCOMPARE(
            rowsWhere(ruler, [](QRgb px) { return qRed(px) > 200 && qBlue(px) < 120 && qGreen(px) < 200; }),
            range(10, 20));
        QVERIFY(qGreen(ruler.pixel(30, 10)) >
                qGreen(ruler.pixel(30, 15))); // the line is the lighter system red
        // The page behind: 26 high for most styles (clear above), 32 for underline.
        QCOMPARE(qAlpha(render(LineStyle::highlightBar).pixel(30, 1)), 0);
        QCOMPARE(qAlpha(render(LineStyle::underline).pixel(30, 1)), 255);
        QCOMPARE(qAlpha(render(LineStyle::focusWindow).pixel(30, 0)), 0);
    }
};

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
