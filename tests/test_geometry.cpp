// Which display holds a point, the nearest one when none does, and logical
// points to device pixels and back. Every expected value is worked out by hand.
#include "platform/Geometry.h"

#include <QTest>

namespace {
// A (primary) at the origin, B right of it, C left of A and 356 points
// higher (negative origin), D right of B after a gap of 440 points.
const QList<QRectF> frames = {
    {0, 0, 1280, 1024}, {1280, 0, 1280, 1024}, {-1920, -356, 1920, 1080}, {3000, 0, 800, 600}};
} // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // -1: none.
    void displayAtPoint_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("nearest");
        QTest::newRow("top-left corner") << QPointF(0, 0) << 0 << 0;
        QTest::newRow("top row") << QPointF(700, 0) << 0 << 0;
        QTest::newRow("last column") << QPointF(1279.5, 500) << 0 << 0;
        QTest::newRow("shared edge: the display right of it") << QPointF(1280, 500) << 1 << 1;
        QTest::newRow("last row") << QPointF(100, 1023.5) << 0 << 0;
        QTest::newRow("bottom edge: below the display") << QPointF(100, 1024) << -1 << 0;
        QTest::newRow("negative origin") << QPointF(-1920, -356) << 2 << 2;
        QTest::newRow("negative, inside") << QPointF(-0.5, -1) << 2 << 2;
        QTest::newRow("above A, on C's right edge") << QPointF(0, -1) << -1 << 2;
        QTest::newRow("below C, left of A") << QPointF(-10, 1000) << -1 << 0;
        QTest::newRow("gap, nearer B") << QPointF(2700, 100) << -1 << 1;
        QTest::newRow("gap, nearer D") << QPointF(2900, 100) << -1 << 3;
        QTest::newRow("below D, nearer D") << QPointF(3500, 700) << -1 << 3;
        QTest::newRow("D's top row") << QPointF(3799, 0) << 3 << 3;
        QTest::newRow("not a number") << QPointF(qQNaN(), 10) << -1 << -1;
        QTest::newRow("infinite") << QPointF(qInf(), 10) << -1 << -1;
    }

    void displayAtPoint()
    {
        QFETCH(QPointF, point);
        QFETCH(int, at);
        QFETCH(int, nearest);
        QCOMPARE(int(platform::frameAt(frames, point).value_or(-1)), at);
        QCOMPARE(int(platform::frameNearest(frames, point).value_or(-1)), nearest);
        // The same rule for displays.
        QList<platform::Display> displays;
        for (const QRectF &f : frames)
            displays.append({f, 1, QString::number(displays.size())});
        const auto display = platform::displayNearest(displays, point);
        QCOMPARE(display ? display->name.toInt() : -1, nearest);
        QCOMPARE(platform::displayAt({}, point).has_value(), false);
        QCOMPARE(platform::displayNearest({}, point).has_value(), false);
    }

    // One point of the display is `ratio` device pixels, logical `origin` is
    // device `deviceOrigin`; a logical rectangle of 10 x 4 points at `point`.
    void devicePixels_data()
    {
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<QPointF>("deviceOrigin");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QRectF>("device");
        QTest::newRow("unscaled") << QPointF(1280, 0) << QPointF(1280, 0) << 1.0 << QPointF(1300, 20)
                                  << QRectF(1300, 20, 10, 4);
        QTest::newRow("double, right of another")
            << QPointF(1440, 0) << QPointF(1440, 0) << 2.0 << QPointF(1856, 434) << QRectF(2272, 868, 20, 8);
        QTest::newRow("fractional") << QPointF(1280, 0) << QPointF(1280, 0) << 1.25 << QPointF(1300, 100)
                                    << QRectF(1305, 125, 12.5, 5);
        QTest::newRow("negative origin") << QPointF(-1920, -356) << QPointF(-1920, -356) << 1.5
                                         << QPointF(-1900, -300) << QRectF(-1890, -272, 15, 6);
        QTest::newRow("left of and above the origin")
            << QPointF(1280, 0) << QPointF(1280, 0) << 2.0 << QPointF(1270, -5) << QRectF(1260, -10, 20, 8);
        QTest::newRow("window's own origin")
            << QPointF(100, 50) << QPointF(0, 0) << 2.0 << QPointF(110, 60) << QRectF(20, 20, 20, 8);
        QTest::newRow("ratio 0 counts as 1")
            << QPointF(10, 10) << QPointF(10, 10) << 0.0 << QPointF(20, 30) << QRectF(20, 30, 10, 4);
        QTest::newRow("NaN ratio counts as 1")
            << QPointF(10, 10) << QPointF(10, 10) << qQNaN() << QPointF(20, 30) << QRectF(20, 30, 10, 4);
    }

    void devicePixels()
    {
        QFETCH(QPointF, origin);
        QFETCH(QPointF, deviceOrigin);
        QFETCH(qreal, ratio);
        QFETCH(QPointF, point);
        QFETCH(QRectF, device);
        const platform::DevicePixels pixels(origin, deviceOrigin, ratio);
        QCOMPARE(pixels.toDevice(point), device.topLeft());
        QCOMPARE(pixels.toDevice(QRectF(point, QSizeF(10, 4))), device);
        QCOMPARE(pixels.toLogical(device.topLeft()), point);
        QCOMPARE(pixels.toLogical(device), QRectF(point, QSizeF(10, 4)));
    }
};

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
