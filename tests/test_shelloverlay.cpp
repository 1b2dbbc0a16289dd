// The guide as GNOME Shell shows it: the pieces Tovani hands over once, placed
// by the Shell at each pointer position as the extension places them, give
// exactly what ReadingGuideView paints there. And the small texts Tovani
// exchanges with the Shell: accelerators, versions, its list of extensions.
#include "GuideImages.h"
#include "overlay/ShellOverlay.h"
#include "platform/gnome/GnomeShell.h"
#include "settings/Settings.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using Piece = platform::ShellGuide::Piece;
using Anchor = platform::ShellGuide::Anchor;

// What the extension shows on display `index` with the pointer at `pointer`
// (display-local, whole points, as the Shell reports it): the shade over the
// display but the rows of the band, then the pieces in order.
QImage shellShows(const QList<Piece> &pieces, const QColor &shade, int index, const platform::Display &d,
                  QPoint pointer)
{
    QImage image((d.frame.size() * d.devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(d.devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    QList<QRectF> placed;
    for (const Piece &piece : pieces) {
        if (piece.display != index) continue;
        const QPointF from = piece.anchor == Anchor::Row ? QPointF(0, pointer.y()) : QPointF(pointer);
        placed.append(QRectF(from + piece.offset, piece.image.deviceIndependentSize()));
    }
    if (shade.alpha() > 0) {
        double top = d.frame.height(), bottom = 0;
        for (qsizetype i = 0; i < placed.size(); ++i) {
            if (pieces.at(i).anchor == Anchor::Row) {
                top = std::min(top, placed.at(i).top());
                bottom = std::max(bottom, placed.at(i).bottom());
            }
        }
        p.fillRect(QRectF(0, 0, d.frame.width(), std::max(0.0, top)), shade);
        p.fillRect(QRectF(0, bottom, d.frame.width(), d.frame.height() - bottom), shade);
    }
    qsizetype i = 0;
    for (const Piece &piece : pieces) {
        if (piece.display == index) p.drawImage(placed.at(i++).topLeft(), piece.image);
    }
    return image;
}

} // namespace

class TestShellOverlay : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    // Every style with the brackets, thin and thick, on two displays of
    // different sizes and scales, in the middle and at the edges; at the
    // pointer, and held on a line whose top is the row the Shell is given.
    void piecesPlacedByTheShellShowTheGuide_data()
    {
        QTest::addColumn<int>("style");
        for (LineStyle style : LineStyles::allCases)
            QTest::addRow("%s", qPrintable(LineStyles::rawValue(style))) << int(style);
    }
    void piecesPlacedByTheShellShowTheGuide()
    {
        QFETCH(int, style);
        const QList<platform::Display> displays = {
            {QRectF(0, 0, 480, 300), 1.0, QStringLiteral("A"), 60},
            {QRectF(480, -40, 360, 240), 2.0, QStringLiteral("B"), 60}};
        AppSettings s(m_dir.filePath(QStringLiteral("tovani.conf")));
        s.setCurrentStyle(LineStyle(style));
        s.setVerticalGuidesEnabled(true);
        for (const auto &[thickness, lineHeight] : {std::pair{1.0, 0.0}, {21.0, 0.0}, {55.5, 0.0}, {4.0, 19.0},
                                                    {21.0, 37.5}}) {
            s.setCustomThickness(thickness);
            QColor shade;
            const QList<Piece> pieces = ShellOverlay::pieces(displays, s, &shade, lineHeight);
            for (int index = 0; index < displays.size(); ++index) {
                const platform::Display &d = displays.at(index);
                for (const QPoint pointer :
                     {QPoint(200, 120), QPoint(3, 1), QPoint(int(d.frame.width()) - 1, 239)}) {
                    const int diff =
                        maxDifference(shellShows(pieces, shade, index, d, pointer),
                                      paintedGuide(d, s, d.frame.topLeft() + QPointF(pointer), lineHeight));
                    QVERIFY2(diff <= 1, qPrintable(QStringLiteral("display %1, t %2, line %6 at %3,%4: off by %5")
                                                       .arg(index)
                                                       .arg(thickness)
                                                       .arg(pointer.x())
                                                       .arg(pointer.y())
                                                       .arg(diff)
                                                       .arg(lineHeight)));
                }
            }
        }
    }

    void texts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
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
        for (const auto &[name, kind, input, expected] : rows)
            QTest::newRow(name) << QString::fromLatin1(kind) << QString::fromLatin1(input)
                                << QString::fromLatin1(expected);
    }
    void texts()
    {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        if (kind == u"list") {
            QCOMPARE(platform::gnome::addToStringList(input, QStringLiteral("tovani@tovani.org")), expected);
        } else if (kind == u"version") {
            QCOMPARE(QString::number(platform::gnome::shellMajorVersion(input)), expected);
        } else {
            const QStringList words = input.split(QLatin1Char(' '));
            platform::HotkeyService::Key key;
            key.xkbKeyName = words.first();
            if (words.contains(QStringLiteral("ctrl"))) key.modifiers |= Qt::ControlModifier;
            if (words.contains(QStringLiteral("shift"))) key.modifiers |= Qt::ShiftModifier;
            QCOMPARE(platform::gnome::shellAccelerator(key), expected);
        }
    }
};

QTEST_MAIN(TestShellOverlay)
#include "test_shelloverlay.moc"
