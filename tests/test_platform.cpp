// Displays read from Qt's screens: frames in Qt's global logical coordinates
// and device pixels -> points on a scaled screen. Runs on the offscreen
// platform with two screens described in a configuration file. (What the
// Qt-only services answer is test_platform_select's.)
#include "platform/qt/QtDisplays.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framesAndDevicePixels()
    {
        // The second screen is 1600 x 1200 device pixels at two per point;
        // the first is the primary one.
        platform::QtDisplays d;
        const QList<platform::Display> list = d.displays();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].frame, QRectF(1000, 200, 1280, 1024));
        QCOMPARE(list[1].frame, QRectF(2280, 0, 800, 600));
        QVERIFY(list[1].devicePixelRatio == 2.0 && d.mainDisplay() && d.mainDisplay()->name == list[0].name);
        // Device pixels and points, each on its own screen (the rule that picks
        // it and the arithmetic: test_geometry). Scaled: its top-left corner
        // stays, the rest is halved, beyond its logical width too.
        QCOMPARE(d.nativeToQt({1010, 250}), QPointF(1010, 250));
        QCOMPARE(d.nativeToQt({2280 + 1000, 10}), QPointF(2780, 5));
        qreal ratio = 0;
        QCOMPARE(d.qtToNative({2780, 5}, &ratio), QPointF(3280, 10));
        QCOMPARE(ratio, 2.0);
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screens.json")));
    if (!config.open(QIODevice::WriteOnly) || config.write(R"({"screens": [
        {"name": "A", "x": 1000, "y": 200, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1},
        {"name": "B", "x": 2280, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "dpr": 2}]})") < 0)
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QGuiApplication app(argc, argv);
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_platform.moc"
