// The preferences window's drawings and value texts: the live preview against
// the overlay's own drawing, and the sliders' steps and value texts.

#include "overlay/ReadingGuideView.h"
#include "ui/PreferencesView.h"
#include "ui/Preview.h"
#include "ui/SliderBlock.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

using Text = QString (*)(double);
using Want = QString (*)(long); // the text for value x 100
// clang-format off
const std::tuple<const char *, double, double, double, int, Text, Want> sliders[] = {
    {"opacity", 0.1, 1.0, 0.05, 18, valuetext::percent, [](long u) { return QString::number(u) + '%'; }},
    {"thickness", 1, 100, 1, 99, valuetext::pixels, [](long u) { return QString::number(u / 100) + "px"; }},
    {"bracket width", 1, 40, 0.5, 78, valuetext::bracketWidth, [](long u) { return QString::number(u / 50) + '%'; }},
    {"zoom", 1.1, 3.0, 0.1, 19, valuetext::zoom, [](long u) { return QString::number(u / 100.0, 'f', 1) + 'x'; }}};
// clang-format on

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Between steps the integer part shows, not a rounded value (0.57 x 100
    // is 56.99...); the zoom rounds as printf does; odd but sane values show
    // as they are. What only a hand-edited file can hold gives a dash, never
    // a crash or a wrapped number (1e17 x 100 does not fit 64 bits).
    void valueTextsOfOddValues()
    {
        using namespace valuetext;
        const QString dash = QStringLiteral("\u2014");
        QCOMPARE((QStringList{percent(0.57), pixels(27.9), zoom(1.25), percent(-0.3), zoom(12.0), percent(1e16), percent(1e17)}),
                 (QStringList{"56%", "27px", "1.2x", "-30%", "12.0x", "1000000000000000000%", dash}));
        for (double absurd : {qQNaN(), qInf(), -qInf(), 1e308, -1e308, 9.3e18})
            QCOMPARE((QStringList{pixels(absurd), percent(absurd), bracketWidth(absurd), zoom(absurd)}), QStringList(4, dash));
    }

    // Every position is its decimal value exactly (0.1 + 9 x 0.05 is 0.55,
    // never 0.5499999999999999 showing as 54%), shows that value's text and
    // maps back to itself. Outside the range, and absurd values, pin the
    // handle to the nearer end.
    void slidersSnapWithoutDrift_data()
    {
        QTest::addColumn<int>("slider");
        for (int i = 0; i < int(std::size(sliders)); ++i)
            QTest::newRow(std::get<0>(sliders[i])) << i;
    }

    void slidersSnapWithoutDrift()
    {
        QFETCH(int, slider);
        const auto &[name, lower, upper, step, steps, text, want] = sliders[slider];
        SteppedSlider s(lower, upper, step);
        QCOMPARE(s.stepCount(), steps);
        for (int k = 0; k <= steps; ++k) {
            const long u = std::lround(lower * 100) + k * std::lround(step * 100);
            const double v = s.valueAt(k);
            QVERIFY2(v == u / 100.0 && text(v) == want(u) && s.positionFor(v) == k,
                     qPrintable(QStringLiteral("at %1: %2 %3").arg(k).arg(v, 0, 'g', 17).arg(text(v))));
        }
        for (double low : {lower - 1000, -qInf(), qQNaN()})
            QCOMPARE(s.positionFor(low), 0);
        for (double high : {upper + 1000, qInf(), 1e308})
            QCOMPARE(s.positionFor(high), steps);
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

    // The preview's page shows exactly what the overlay's window shows on a
    // screen of the page's size, with the pointer in the page's middle, laid
    // over the page.
    void previewDrawsTheOverlaysGuide()
    {
        QFETCH(int, style);
        QFETCH(bool, brackets);
        QTemporaryDir dir;
        AppSettings settings(dir.filePath(QStringLiteral("tovani.conf")));
        QWidget window; // far down inside a window, as in the preferences
        window.resize(480, 500);
        auto *panel = new PreviewPanel(settings, &window);
        panel->setGeometry(20, 331, 440, 152);
        // Changed after the panel exists: it draws the settings of the moment.
        settings.applyStyle(*LineStyles::fromIndex(style));
        settings.setCurrentColor({0.1, 0.4, 0.9, 1});
        settings.setVerticalGuidesEnabled(brackets);
        const QImage shown = window.grab(panel->geometry()).toImage();

        // The page's background with the overlay's transparent window laid
        // over it, as a compositor does.
        const QRectF page = preview::page(QRectF(0, 0, 440, 152));
        QImage overlayWindow(page.size().toSize(), QImage::Format_ARGB32_Premultiplied);
        overlayWindow.fill(Qt::transparent);
        const QImage clear = overlayWindow;
        QPainter painter(&overlayWindow);
        // The pointer between the 3rd and the 4th line.
        ReadingGuideView(page.width() / 2, page.height() / 2, settings).paint(painter, page.size());
        painter.end();
        QImage expected(shown.size(), shown.format());
        expected.setDevicePixelRatio(shown.devicePixelRatio());
        expected.fill(Qt::transparent);
        painter.begin(&expected);
        preview::background(painter, QRectF(0, 0, 440, 152), panel->palette());
        painter.drawImage(page.topLeft(), overlayWindow);
        painter.end();

        QVERIFY2(overlayWindow != clear, "the overlay drew no guide");
        QCOMPARE(shown.copy(page.toAlignedRect()), expected.copy(page.toAlignedRect()));
    }
};

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
