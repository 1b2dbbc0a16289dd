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
    void refusesWhereItCannotWorkAndStillAnswers()
    {
        platform::FakePlatform fake;
        fake.fakeDisplays.setFrames({QRectF(0, 0, 800, 600)});
        platform::Platform::setInstance(&fake);
        // A Wayland session by either sign, or not X11 at all (here:
        // offscreen; last, so the environment is left clean): the reason, the
        // same on a second try, and no claim to leave windows out.
        const char *const rows[][3] = {
            {"wayland-0", "", "Wayland session"}, {"", "wayland", "Wayland session"}, {"", "", "not running on X11"}};
        for (const auto &[display, session, reason] : rows) {
            for (const auto &[name, value] : {std::pair{"WAYLAND_DISPLAY", display}, {"XDG_SESSION_TYPE", session}})
                *value ? qputenv(name, value) : qunsetenv(name);
            auto capture = platform::createX11Capture();
            QString error, again;
            QVERIFY(!capture->setup(nullptr) && !capture->setup(&error) && !capture->setup(&again));
            QVERIFY2(error.contains(QLatin1String(reason)) && again == error, qPrintable(error));
            QVERIFY(!capture->canExcludeWindows());
            QSignalSpy spy(capture.get(), &platform::ScreenCapture::captured);
            capture->capture(7, QRectF(10, 10, 100, 20), QSize(400, 80), 0);
            QCOMPARE(spy.size(), 0); // never from inside capture()
            QTRY_COMPARE(spy.size(), 1);
            QVERIFY(spy[0][0].toULongLong() == 7 && spy[0][1].value<QImage>().isNull());
        }
        platform::Platform::setInstance(nullptr);
    }
};

QTEST_MAIN(TestMagnifierCapture)
#include "test_magnifier_capture.moc"
