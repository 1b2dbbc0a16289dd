// The drawings and value texts of the preferences window: the live preview
// against the overlay's drawing, the swatch check mark, and the slider steps
// and value texts.

#include "overlay/ReadingGuideView.h"
#include "ui/ColorButton.h"
#include "ui/PreferencesView.h"
#include "ui/Preview.h"
#include "ui/SliderBlock.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

// Pixels of `rect` (device pixels) that differ between the two images.
int differences(const QImage &a, const QImage &b, const QRect &rect, QString *first)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                if (count++ == 0)
                    *first = QStringLiteral("(%1, %2): %3 instead of %4")
                                 .arg(x)
                                 .arg(y)
                                 .arg(a.pixel(x, y), 8, 16)
                                 .arg(b.pixel(x, y), 8, 16);
            }
    return count;
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueTexts()
    {
        using namespace valuetext;
        // Truncated, not rounded; the bracket width shows both sides; the zoom
        // rounds as printf does.
        QCOMPARE(percent(0.57), QStringLiteral("56%")); // 56.99...
        QCOMPARE(pixels(27.9), QStringLiteral("27px"));
        QCOMPARE(bracketWidth(20.5), QStringLiteral("41%"));
        QCOMPARE(zoom(1.25), QStringLiteral("1.2x"));
        QCOMPARE(zoom(2.96), QStringLiteral("3.0x"));
        // Out of range but sane: shown as it is.
        QCOMPARE(percent(-0.3), QStringLiteral("-30%"));
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

    void previewDrawsTheOverlaysGuide_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("brackets");
        for (LineStyle style : LineStyles::allCases)
            for (bool brackets : {false, true})
                QTest::addRow("%s%s", qPrintable(LineStyles::rawValue(style)), brackets ? " with brackets" : "")
                    << int(LineStyles::index(style)) << brackets;
    }

    // The page of the preview shows exactly what the overlay's window shows
    // on a screen of the page's size, with the pointer where the preview puts
    // it, laid over the page.
    void previewDrawsTheOverlaysGuide()
    {
        QFETCH(int, style);
        QFETCH(bool, brackets);
        QTemporaryDir dir;
        AppSettings settings(dir.filePath(QStringLiteral("tovani.conf")));
        // Far down inside a window, as in the preferences.
        QWidget window;
        window.resize(480, 500);
        auto *panel = new PreviewPanel(settings, &window);
        panel->setGeometry(20, 331, 440, 152);
        // Changed after the panel exists: it draws the settings of the moment.
        settings.applyStyle(*LineStyles::fromIndex(style));
        settings.setCurrentColor({0.1, 0.4, 0.9, 1});
        settings.setVerticalGuidesEnabled(brackets);
        const QImage shown = window.grab(panel->geometry()).toImage();

        const QRectF panelRect(0, 0, 440, 152);
        const QRectF page = preview::page(panelRect);
        QImage bare(shown.size(), shown.format());
        bare.setDevicePixelRatio(shown.devicePixelRatio());
        bare.fill(Qt::transparent);
        {
            QPainter p(&bare);
            preview::background(p, panelRect, panel->palette());
        }
        // The overlay paints a transparent window; the compositor lays it over
        // what lies beneath.
        QImage overlayWindow(page.size().toSize(), QImage::Format_ARGB32_Premultiplied);
        overlayWindow.fill(Qt::transparent);
        {
            QPainter p(&overlayWindow);
            const QPointF at = preview::pointer(page.size());
            ReadingGuideView(at.x(), at.y(), settings).paint(p, page.size());
        }
        QImage onScreen = bare;
        {
            QPainter p(&onScreen);
            p.drawImage(page.topLeft(), overlayWindow);
        }

        const QRect pixels = page.toAlignedRect();
        QString first;
        QVERIFY2(differences(onScreen, bare, pixels, &first) > 100, "the overlay drew no guide on the page");
        const int wrong = differences(shown, onScreen, pixels, &first);
        QVERIFY2(wrong == 0, qPrintable(QStringLiteral("%1 pixels differ, first at %2").arg(wrong).arg(first)));
    }
};

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
