// The X11 capture backend where it cannot work: it says why, and still answers
// every request (with no picture) instead of leaving the caller waiting.

#include "platform/Backends.h"
#include "platform/FakePlatform.h"

#include <QSignalSpy>
#include <QtTest>

class TestMagnifierCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesOutsideX11()
    {
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("XDG_SESSION_TYPE");
        auto capture = platform::createX11Capture();
        QString error;
        QVERIFY(!capture->setup(&error));
        QVERIFY2(error.contains(QLatin1String("not running on X11")), qPrintable(error));
        QVERIFY(!capture->canExcludeWindows());
        // A second set-up gives the same answer.
        QString again;
        QVERIFY(!capture->setup(&again));
        QCOMPARE(again, error);
    }

    void refusesInAWaylandSession()
    {
        for (const char *variable : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
            qunsetenv("WAYLAND_DISPLAY");
            qunsetenv("XDG_SESSION_TYPE");
            qputenv(variable, QByteArray(variable) == "WAYLAND_DISPLAY" ? "wayland-0" : "wayland");
            auto capture = platform::createX11Capture();
            QString error;
            QVERIFY(!capture->setup(&error));
            QVERIFY2(error.contains(QLatin1String("Wayland session")), qPrintable(error));
        }
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("XDG_SESSION_TYPE");
    }

    void answersEveryRequestAfterAFailedSetup()
    {
        platform::FakePlatform fake;
        fake.fakeDisplays.setFrames({QRectF(0, 0, 800, 600)});
        platform::Platform::setInstance(&fake);
        auto capture = platform::createX11Capture();
        QVERIFY(!capture->setup(nullptr));
        QSignalSpy spy(capture.get(), &platform::ScreenCapture::captured);
        capture->capture(7, QRectF(10, 10, 100, 20), QSize(400, 80), 0);
        QCOMPARE(spy.size(), 0); // never from inside capture()
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toULongLong(), 7ull);
        QVERIFY(spy[0][1].value<QImage>().isNull());
        platform::Platform::setInstance(nullptr);
    }
};

QTEST_MAIN(TestMagnifierCapture)
#include "test_magnifier_capture.moc"
