// Displays read from Qt's screens: frames in Qt's global logical coordinates
// and device pixels -> points on a scaled screen. Runs on the offscreen
// platform with two screens described in a configuration file.
#include "platform/Platform.h"
#include "platform/QtDisplays.h"
#include "platform/qt/Unavailable.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framesAreTheScreensLogicalGeometry()
    {
        platform::QtDisplays d;
        const QList<platform::Display> list = d.displays();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].frame, QRectF(1000, 200, 1280, 1024));
        QCOMPARE(list[0].devicePixelRatio, 1.0);
        // 1600 x 1200 device pixels at two per point.
        QCOMPARE(list[1].frame, QRectF(2280, 0, 800, 600));
        QCOMPARE(list[1].devicePixelRatio, 2.0);
        QVERIFY(d.mainDisplay());
        QCOMPARE(d.mainDisplay()->frame, list[0].frame);
        QCOMPARE(d.mainDisplay()->name, list[0].name);
    }

    void devicePixelsToPoints()
    {
        platform::QtDisplays d;
        // Unscaled screen: the same numbers.
        QCOMPARE(d.nativeToQt(QPoint(1010, 250)), QPointF(1010, 250));
        // Scaled screen: its top-left stays, the rest is halved.
        QCOMPARE(d.nativeToQt(QPoint(2280, 0)), QPointF(2280, 0));
        QCOMPARE(d.nativeToQt(QPoint(2280 + 1599, 1199)), QPointF(2280 + 799.5, 599.5));
        // Inside the scaled screen, beyond its logical width in device pixels.
        QCOMPARE(d.nativeToQt(QPoint(2280 + 1000, 10)), QPointF(2780, 5));
        // In a gap of the arrangement the nearest screen decides.
        QCOMPARE(d.nativeToQt(QPoint(1010, 1300)), QPointF(1010, 1300));
    }

    void unavailableServicesSaySo()
    {
        platform::UnavailablePointer pointer;
        QVERIFY(!pointer.start());
        QVERIFY(!pointer.isRunning());
        platform::UnavailableHotkeys hotkeys;
        QVERIFY(!hotkeys.isAvailable());
        QVERIFY(!hotkeys.registerHotkey(1, {QStringLiteral("AD04"), Qt::ControlModifier, QStringLiteral("Ctrl+R")}));
        QVERIFY(!hotkeys.isRegistered(1));
        platform::UnavailableCapture capture(QStringLiteral("no capture here"));
        QString error;
        QVERIFY(!capture.setup(&error));
        QCOMPARE(error, QStringLiteral("no capture here"));
        QSignalSpy spy(&capture, &platform::ScreenCapture::captured);
        capture.capture(7, QRectF(0, 0, 10, 10), QSize(20, 20), 0);
        QVERIFY(spy.isEmpty()); // never synchronously
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toULongLong(), 7u);
        QVERIFY(spy[0][1].value<QImage>().isNull());
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    f.write(R"({"screens": [
        {"name": "A", "x": 1000, "y": 200, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1},
        {"name": "B", "x": 2280, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "dpr": 2}
    ]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    QApplication app(argc, argv);
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_platform.moc"
