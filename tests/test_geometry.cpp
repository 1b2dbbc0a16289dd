// Which display holds a point, the nearest one when none does, and logical
// points to device pixels and back. Every expected value is worked out by hand.
#include "platform/Geometry.h"

#include <QTest>

namespace {
// A (primary) at the origin, B right of it, C left of A and 356 points
// higher (negative origin), D right of B after a gap of 440 points.
const QList<QRectF> frames = {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}, {-1920, -356, 1920, 1080}, {3000, 0, 800, 600}};

// One point of the display is `ratio` device pixels, logical `origin` is
// device `deviceOrigin`; a logical rectangle of 10 x 4 points at `point` is
// `device`. (Twice the density right of another display: test_magnifier.)
const struct
{
    const char *name;
    QPointF origin, deviceOrigin;
    qreal ratio;
    QPointF point;
    QRectF device;
} pixelRows[] = {
    {"unscaled", {1280, 0}, {1280, 0}, 1.0, {1300, 20}, {1300, 20, 10, 4}},
    {"fractional", {1280, 0}, {1280, 0}, 1.25, {1300, 100}, {1305, 125, 12.5, 5}},
    {"negative origin", {-1920, -356}, {-1920, -356}, 1.5, {-1900, -300}, {-1890, -272, 15, 6}},
    {"left of and above the origin", {1280, 0}, {1280, 0}, 2.0, {1270, -5}, {1260, -10, 20, 8}},
    {"window's own origin", {100, 50}, {0, 0}, 2.0, {110, 60}, {20, 20, 20, 8}},
    {"ratio 0 counts as 1", {10, 10}, {10, 10}, 0.0, {20, 30}, {20, 30, 10, 4}},
    {"NaN ratio counts as 1", {10, 10}, {10, 10}, qQNaN(), {20, 30}, {20, 30, 10, 4}},
};
} // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // -1: none. (A display's last column and last row are its own:
    // tests/x11/test_overlay_dual.sh, side by side and --stacked.)
    void displayAtPoint_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("nearest");
        QTest::newRow("top-left corner") << QPointF(0, 0) << 0 << 0;
        QTest::newRow("top row") << QPointF(700, 0) << 0 << 0;
        QTest::newRow("shared edge: the display right of it") << QPointF(1280, 500) << 1 << 1;
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
    }

    void devicePixels_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(pixelRows)); ++i)
            QTest::newRow(pixelRows[i].name) << i;
    }

    void devicePixels()
    {
        QFETCH(int, row);
        const auto &[name, origin, deviceOrigin, ratio, point, device] = pixelRows[row];
        const platform::DevicePixels pixels(origin, deviceOrigin, ratio);
        QCOMPARE(pixels.toDevice(point), device.topLeft());
        QCOMPARE(pixels.toDevice(QRectF(point, QSizeF(10, 4))), device);
        QCOMPARE(pixels.toLogical(device.topLeft()), point);
        QCOMPARE(pixels.toLogical(device), QRectF(point, QSizeF(10, 4)));
    }
};

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
