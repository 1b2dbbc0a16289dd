// Which backend a session gets and what the Qt-only fallback promises: the
// display check before Qt starts, the backend picked from Qt's platform, the
// application's instance and capture where it cannot work. Runs on the
// offscreen platform, where the fallback is the backend. (The window flags
// of each role are X11's too, where tests/x11/ click through the guide, the
// magnifier and the HUD, see the HUD leave the focus where it was and later
// windows not cover the guide.)
#include "platform/Backends.h"

#include <QtTest>

using platform::Platform;

class TestPlatformSelect : public QObject
{
    Q_OBJECT

    // Null: the variable is not set.
    static void set(const char *name, const QByteArray &v) { v.isNull() ? qunsetenv(name) : qputenv(name, v); }

private Q_SLOTS:
    // The X server is asked only when Qt is going to use xcb (chosen, or
    // nothing chosen and only an X display); DISPLAY names a server that
    // does not exist, so asking it always finds a problem. No display at all
    // is left to Qt. Null: the variable is not set.
    void displayCheckOnlyWhenQtUsesXcb_data()
    {
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<bool>("asksX");
        const QByteArray d = ":9873", w = "wayland-0", unset;
        QTest::newRow("xcb") << QByteArray("xcb") << unset << d << true;
        QTest::newRow("xcb with options") << QByteArray("xcb:nograb") << unset << d << true;
        QTest::newRow("xcb in a Wayland session") << QByteArray("xcb") << w << d << true;
        QTest::newRow("X display only") << unset << unset << d << true;
        QTest::newRow("empty variables") << QByteArray("") << QByteArray("") << d << true;
        QTest::newRow("Wayland display too") << unset << w << d << false;
        QTest::newRow("wayland") << QByteArray("wayland") << unset << d << false;
        QTest::newRow("offscreen") << QByteArray("offscreen") << unset << d << false;
        QTest::newRow("no display") << unset << unset << unset << false;
    }

    void displayCheckOnlyWhenQtUsesXcb()
    {
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, display);
        QFETCH(bool, asksX);
        set("QT_QPA_PLATFORM", qpa), set("WAYLAND_DISPLAY", wayland), set("DISPLAY", display);
        const QString problem = Platform::checkDisplayServer();
        QVERIFY2(problem.isEmpty() != asksX && (!asksX || problem.contains(u":9873")), qPrintable(problem));
    }

    void offXcbTheFallbackSaysWhatItCannotDo()
    {
        // Here the platform made is the fallback, not trusted and without
        // pointer or hot keys, for the application to tell the user what is
        // missing.
        const auto made = Platform::create();
        Platform &p = *made;
        QVERIFY(p.name() == u"qt" && !p.isTrusted() && !p.hotkeys().isAvailable());
        QVERIFY(!p.hotkeys().registerHotkey(1, {QStringLiteral("AD04"), Qt::ControlModifier, {}, {}, {}}));
        QVERIFY(!p.pointer().start() && !p.pointer().isRunning());
    }

    // Capture where it cannot work, the fallback's and X11's in a Wayland
    // session by either sign or off X11 (offscreen; last, so the environment
    // is left clean): the reason, the same on a second try, no claim to leave
    // windows out, and a request still answered, never from inside
    // capture(), with no picture.
    void captureRefusesAndStillAnswers_data()
    {
        QTest::addColumn<bool>("x11");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("session");
        QTest::addColumn<QString>("reason");
        const QByteArray unset;
        QTest::newRow("fallback") << false << unset << unset << "offscreen";
        QTest::newRow("x11, WAYLAND_DISPLAY") << true << QByteArray("wayland-0") << unset << "Wayland session";
        QTest::newRow("x11, XDG_SESSION_TYPE") << true << unset << QByteArray("wayland") << "Wayland session";
        QTest::newRow("x11 off X11") << true << unset << unset << "not running on X11";
    }

    void captureRefusesAndStillAnswers()
    {
        QFETCH(bool, x11);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, session);
        QFETCH(QString, reason);
        set("WAYLAND_DISPLAY", wayland), set("XDG_SESSION_TYPE", session);
        const auto made = Platform::create();
        Platform &p = *made;
        const auto capture = x11 ? platform::createX11Capture(p.displays()) : p.createScreenCapture();
        QString error, again;
        QVERIFY(!capture->setup(nullptr) && !capture->setup(&error) && !capture->setup(&again));
        QVERIFY2(error.contains(reason) && again == error, qPrintable(error));
        QVERIFY(!capture->canExcludeWindows());
        QSignalSpy captured(capture.get(), &platform::ScreenCapture::captured);
        capture->capture(7, QRectF(10, 10, 100, 20), QSize(400, 80), 0);
        QVERIFY(captured.isEmpty());
        QTRY_COMPARE(captured.size(), 1);
        QVERIFY(captured[0][0].toULongLong() == 7 && captured[0][1].value<QImage>().isNull());
    }
};

QTEST_MAIN(TestPlatformSelect)
#include "test_platform_select.moc"
