// The guide's picture. Where each style stands relative to the pointer's
// line (worked examples read down one pixel column), and absurd sizes and
// positions. Then that the guide as the window system shows it gives exactly
// that picture: the surfaces of one display, composed in stacking order, and
// the pieces Tovani hands GNOME Shell once, placed by the Shell at each
// pointer position as the extension places them; a move only moves the
// surfaces. And the small texts Tovani exchanges with the Shell:
// accelerators, versions, its list of extensions. (The underline, the
// highlight bar and the focus window at whole points, at the display's
// bottom edge and on lines of text, in the exact blend of their colour, are
// read back from real servers: tests/x11, tests/wayland, tests/textlines.
// Without a compositor only the band near the line shows:
// tests/x11/test_overlay_compositor.sh.)

#include "overlay/DisplayGuide.h"
#include "overlay/ReadingGuideView.h"
#include "overlay/ShellOverlay.h"
#include "platform/FakePlatform.h"
#include "platform/gnome/GnomeShell.h"
#include "settings/Settings.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <cmath>

namespace {

using Piece = platform::ShellGuide::Piece;
using Anchor = platform::ShellGuide::Anchor;

// Sides that are not a positive number give an 8 x 8 image; huge ones are
// painted on at most 1000 points of it.
QImage render(const AppSettings &settings, QSizeF size, double x, double y, double dpr = 1.0, double lineHeight = 0)
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
        if (std::abs(got - want * 255) > 2) return QStringLiteral(": y %1: alpha %2, want %3").arg(y).arg(got).arg(want * 255);
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
// clang-format off
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
// clang-format on

// How far `shown` is from what the painter paints on display `d` with the
// guide at `global` (on a line `lineHeight` tall when that is > 0): the
// largest difference of any channel of any pixel, 256 for another size.
int offBy(const QImage &shown, const platform::Display &d, const AppSettings &s, QPointF global, double lineHeight = 0)
{
    const QPointF local = global - d.frame.topLeft();
    const QImage painted = render(s, d.frame.size(), local.x(), local.y(), d.devicePixelRatio, lineHeight);
    if (shown.size() != painted.size()) return 256;
    int worst = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y), b = painted.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                              std::abs(qAlpha(a) - qAlpha(b))});
        }
    }
    return worst;
}

// What the extension shows on display `index` with the pointer at `pointer`
// (display-local, whole points, as the Shell reports it): the shade over the
// display but the rows of the band, then the pieces in order.
QImage shellShows(const QList<Piece> &pieces, const QColor &shade, int index, const platform::Display &d, QPoint pointer)
{
    QImage image((d.frame.size() * d.devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(d.devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    QList<std::pair<QPointF, QImage>> placed;
    QRectF band; // the Row pieces, whose rows the shade leaves clear
    for (const Piece &piece : pieces) {
        if (piece.display != index) continue;
        const QPointF from = piece.anchor == Anchor::Row ? QPointF(0, pointer.y()) : QPointF(pointer);
        const QRectF at(from + piece.offset, piece.image.deviceIndependentSize());
        if (piece.anchor == Anchor::Row) band |= at;
        placed.append({at.topLeft(), piece.image});
    }
    if (shade.alpha() > 0) {
        p.fillRect(QRectF(0, 0, d.frame.width(), std::max(0.0, band.top())), shade);
        p.fillRect(QRectF(0, band.bottom(), d.frame.width(), d.frame.height() - band.bottom()), shade);
    }
    for (const auto &[at, picture] : placed)
        p.drawImage(at, picture);
    return image;
}

} // namespace

class TestReadingGuideView : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    AppSettings m_settings{m_dir.filePath(QStringLiteral("tovani.conf"))};

    // An offset display, so that a mix-up of global and local coordinates shows.
    const platform::Display m_display{QRectF(-300, 120, 640, 360), 1.0, QStringLiteral("D"), 60};

    // The defaults but the style, the thickness and the brackets.
    AppSettings &settings(LineStyle style, double thickness, bool brackets = true)
    {
        m_settings.resetToDefaults();
        m_settings.setCurrentStyle(style);
        m_settings.setCustomThickness(thickness);
        m_settings.setVerticalGuidesEnabled(brackets);
        return m_settings;
    }
    // A half-transparent blue at opacity 0.6; the defaults otherwise: line
    // height 22, brackets 20% of the view's width either side.
    AppSettings &use(LineStyle style, double thickness, bool brackets = false)
    {
        settings(style, thickness, brackets).setCustomOpacity(0.6);
        m_settings.setCurrentColor({0, 0, 1, 0.5});
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
    // number puts the guide at the pointer's row. Empty, NaN and huge sizes
    // and positions give clear pictures; a huge ruler on a small surface
    // stays bounded and draws its start.
    void labelsAndAbsurdValues()
    {
        QVERIFY(!isClear(render(use(r, 6), QSizeF(100, 100), 0, 40).copy(25, 45, 10, 8)));
        const AppSettings &s = use(u, 10);
        QCOMPARE(render(s, QSizeF(100, 100), 0, 40, 1, qQNaN()), render(s, QSizeF(100, 100), 0, 40));
        const QSizeF size(64, 48);
        for (const QImage &image :
             {render(s, QSizeF(0, 0), 10, 10), render(s, QSizeF(qQNaN(), 48), 10, 10), render(s, size, 10, 1e308), render(s, size, 10, -qInf())})
            QVERIFY(isClear(image));
        QCOMPARE(render(s, size, qQNaN(), qQNaN()), render(s, size, 0, 0)); // NaN reads as 0
        use(r, 45);
        QCOMPARE(render(s, QSizeF(1e308, 48), 0, 24).copy(0, 0, 60, 48), render(s, size, 0, 24).copy(0, 0, 60, 48));
    }

    // Every style with the brackets, thin and thick (the surfaces at 1x and
    // 2x); only the brackets' blended edges may differ by a rounding step (a
    // picture blended over a picture).
    void showsWhatThePainterPaints_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<double>("dpr"); // 0: the Shell's pieces
        for (LineStyle style : LineStyles::allCases) {
            const QByteArray name = LineStyles::rawValue(style).toLatin1();
            QTest::addRow("%s 1x", name.data()) << int(style) << 1.0;
            QTest::addRow("%s 2x", name.data()) << int(style) << 2.0;
            QTest::addRow("%s, GNOME Shell", name.data()) << int(style) << 0.0;
        }
    }
    // The surfaces inside the display and cut at its edges, at whole and half
    // points, on lines of text (one cut at the bottom edge) and back where
    // the guide started.
    void showsWhatThePainterPaints()
    {
        QFETCH(int, style);
        QFETCH(double, dpr);
        if (dpr == 0) return shellPieces(LineStyle(style));
        platform::Display display = m_display;
        display.devicePixelRatio = dpr;
        const QPointF origin = display.frame.topLeft();
        for (double thickness : {1.0, 21.0, 55.5}) {
            AppSettings &s = settings(LineStyle(style), thickness);
            platform::FakeSurfaces surfaces;
            DisplayGuide guide(display, s, surfaces, true);
            guide.setVisible(true);
            // clang-format off
            const struct { QPointF local; double h; } places[] = {
                {{200.25, 150}, 0}, {{200.75, 150}, 0}, {{203.5, 148.5}, 0}, {{40, 0.5}, 0}, {{600, 360}, 0},
                {{639, 200}, 0},    {{200, 150}, 0},    {{200, 150}, 17.5},  {{210, 340}, 30}, {{200, 150}, 0}};
            // clang-format on
            for (const auto &[local, h] : places) {
                guide.moveTo(origin + local, h);
                const int diff = offBy(surfaces.compose(display), display, s, origin + local, h);
                QVERIFY2(diff <= 1, qPrintable(QString::asprintf("t %g at %g,%g: off by %d", thickness, local.x(), local.y(), diff)));
            }
            // Pictures of a band, not of the display (the line is 30 at most).
            for (const platform::FakeSurface *f : surfaces.surfaces)
                QVERIFY(f->image.isNull() || f->image.deviceIndependentSize().height() < std::max(thickness, 30.0) + 50);
        }
    }

    // A move inside the display draws nothing: the pictures are made once per
    // change of the settings, which shows at once without a move.
    void movesDrawNothingSettingsRedraw()
    {
        AppSettings &s = settings(LineStyle::ruler, 21);
        platform::FakeSurfaces surfaces;
        DisplayGuide guide(m_display, s, surfaces, true);
        guide.setVisible(true);
        const auto at = [this](double x, double y) { return m_display.frame.topLeft() + QPointF(x, y); };
        guide.moveTo(at(300, 100));
        const int drawn = guide.drawCount();
        for (int i = 0; i < 100; ++i) // brackets 128 points either side: clear of the edges
            guide.moveTo(at(200 + i * 2, 60 + i * 2));
        QCOMPARE(guide.drawCount(), drawn);
        // On lines of text: drawn again for a new height only.
        guide.moveTo(at(300, 100), 18);
        const int onLine = guide.drawCount();
        QVERIFY(onLine > drawn);
        for (int i = 0; i < 10; ++i)
            guide.moveTo(at(300, 100 + i * 18), 18);
        QCOMPARE(guide.drawCount(), onLine);

        const int commits = surfaces.commits;
        s.setCurrentStyle(LineStyle::focusWindow);
        QVERIFY(guide.drawCount() > drawn);
        QVERIFY(surfaces.commits > commits);
        QCOMPARE(offBy(surfaces.compose(m_display), m_display, s, guide.position(), guide.lineHeight()), 0);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        // clang-format off
        const char *const rows[][4] = {
            {"list empty", "list", "@as []", "['tovani@tovani.org']"},
            {"list others", "list", "['a@b', 'c@d']", "['a@b', 'c@d', 'tovani@tovani.org']"},
            {"list has it", "list", "['tovani@tovani.org']", "['tovani@tovani.org']"},
            {"list not a list", "list", "'x'", ""},
            {"list unquoted", "list", "[a, b]", ""},
            {"version", "version", "43.9", "43"},
            {"version newest", "version", "51.alpha", "51"},
            {"version none", "version", "", "0"},
            {"key ctrl shift r", "key", "AD04 ctrl shift", "<Control><Shift>r"},
            {"key down", "key", "DOWN ctrl shift", "<Control><Shift>Down"},
            {"key unknown", "key", "FK13 ctrl", ""},
        };
        // clang-format on
        for (const auto &[name, kind, input, expected] : rows)
            QTest::newRow(name) << QString(kind) << QString(input) << QString(expected);
    }
    void texts()
    {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QStringList words = input.split(QLatin1Char(' '));
        platform::HotkeyService::Key key;
        key.xkbKeyName = words.first();
        if (words.contains(QStringLiteral("ctrl"))) key.modifiers |= Qt::ControlModifier;
        if (words.contains(QStringLiteral("shift"))) key.modifiers |= Qt::ShiftModifier;
        if (kind == u"list")
            QCOMPARE(platform::gnome::addToStringList(input, QStringLiteral("tovani@tovani.org")), expected);
        else if (kind == u"version")
            QCOMPARE(QString::number(platform::gnome::shellMajorVersion(input)), expected);
        else
            QCOMPARE(platform::gnome::shellAccelerator(key), expected);
    }

private:
    // On two displays of different sizes and scales, in the middle and at
    // the edges; at the pointer, and held on a line whose top is the row the
    // Shell is given.
    void shellPieces(LineStyle style)
    {
        const QList<platform::Display> displays = {{QRectF(0, 0, 480, 300), 1.0, QStringLiteral("A"), 60},
                                                   {QRectF(480, -40, 360, 240), 2.0, QStringLiteral("B"), 60}};
        for (const auto &[thickness, lineHeight] : {std::pair{1.0, 0.0}, {21.0, 0.0}, {55.5, 0.0}, {4.0, 19.0}, {21.0, 37.5}}) {
            AppSettings &s = settings(style, thickness);
            QColor shade;
            const QList<Piece> pieces = ShellOverlay::pieces(displays, s, &shade, lineHeight);
            for (int index = 0; index < displays.size(); ++index) {
                const platform::Display &d = displays.at(index);
                for (const QPoint pointer : {QPoint(200, 120), QPoint(3, 1), QPoint(int(d.frame.width()) - 1, 239)}) {
                    const int diff = offBy(shellShows(pieces, shade, index, d, pointer), d, s, d.frame.topLeft() + QPointF(pointer), lineHeight);
                    QVERIFY2(diff <= 1, qPrintable(QString::asprintf("display %d, t %g, line %g at %d,%d: off by %d", index, thickness, lineHeight,
                                                                     pointer.x(), pointer.y(), diff)));
                }
            }
        }
    }
};

QTEST_MAIN(TestReadingGuideView)
#include "test_readingguideview.moc"
