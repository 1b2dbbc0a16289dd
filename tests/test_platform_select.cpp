// Which backend a session gets and what the Qt-only fallback promises: the
// display check before Qt starts, the backend picked from Qt's platform, the
// application's instance, and the windows of each role. Runs on the offscreen
// platform, where the fallback is the backend.
#include "platform/Backends.h"

#include <QtTest>
#include <QWidget>

using platform::Platform;

class TestPlatformSelect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayCheckOnlyWhenQtUsesXcb()
    {
        // The X server is asked only when Qt is going to use xcb (chosen, or
        // nothing chosen and only an X display); DISPLAY names a server that
        // does not exist, so asking it always finds a problem. No display at
        // all is left to Qt.
        const char *d = ":9873", *w = "wayland-0"; // d: a dead X server; {}: the variable is not set
        const struct { const char *qpa, *wayland, *display; bool asksX; } cases[] = {
            {"xcb", {}, d, true}, {"xcb:nograb", {}, d, true}, {"xcb", w, d, true}, {{}, {}, d, true},
            {"", "", d, true}, {{}, w, d, false}, {"wayland", {}, d, false}, {"offscreen", {}, d, false},
            {{}, {}, {}, false}};
        for (const auto &c : cases) {
            for (const auto &[name, value] : {std::pair{"QT_QPA_PLATFORM", c.qpa},
                                              {"WAYLAND_DISPLAY", c.wayland}, {"DISPLAY", c.display}})
                QVERIFY(value ? qputenv(name, value) : (qunsetenv(name), true));
            const QString problem = Platform::checkDisplayServer();
            QVERIFY2(problem.isEmpty() != c.asksX && (!c.asksX || problem.contains(d)),
                     qPrintable(QStringLiteral("%1 %2 %3: %4").arg(c.qpa, c.wayland, c.display, problem)));
        }
    }

    void offXcbTheFallbackSaysWhatItCannotDo()
    {
        // With none set, the application's instance is made once: here the
        // fallback, not trusted and without pointer, hot keys or capture,
        // each saying so, for the application to tell the user what is
        // missing. A capture is answered, never synchronously, with a null
        // image. One that is set is the instance.
        Platform &p = Platform::instance();
        QVERIFY(&Platform::instance() == &p && p.name() == u"qt");
        QVERIFY(!p.isX11() && !p.hasXInput2() && !p.isTrusted() && !p.hotkeys().isAvailable());
        QVERIFY(!p.hotkeys().registerHotkey(1, {QStringLiteral("AD04"), Qt::ControlModifier, {}, {}, {}}));
        QVERIFY(!p.pointer().start() && !p.pointer().isRunning());
        const std::unique_ptr<platform::ScreenCapture> capture = p.createScreenCapture();
        QString error;
        QVERIFY2(!capture->setup(&error) && error.contains(QStringLiteral("offscreen")), qPrintable(error));
        QSignalSpy captured(capture.get(), &platform::ScreenCapture::captured);
        capture->capture(7, QRectF(0, 0, 10, 10), QSize(20, 20), 0);
        QVERIFY(captured.isEmpty());
        QTRY_COMPARE(captured.size(), 1);
        QVERIFY(captured[0][0].toULongLong() == 7 && captured[0][1].value<QImage>().isNull());
        const std::unique_ptr<Platform> mine = platform::createQtPlatform();
        Platform::setInstance(mine.get());
        QCOMPARE(&Platform::instance(), mine.get());
        Platform::setInstance(nullptr);
    }

    void windowsOfEachRole()
    {
        // Click-through, never focused, above the others, frameless, and a
        // tool or tooltip window (off the task bar, grabbing nothing) on
        // every platform; bypassing the window manager is X11's business.
        const std::unique_ptr<Platform> p = platform::createQtPlatform();
        const Qt::WindowFlags must = Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                                     Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint;
        using R = platform::WindowRole;
        for (R role : {R::GuideOverlay, R::Magnifier, R::Hud}) {
            QWidget window;
            p->prepareWindow(&window, role);
            QVERIFY((window.windowFlags() & (must | Qt::BypassWindowManagerHint)) == must);
            QVERIFY(window.windowType() == Qt::Tool || window.windowType() == Qt::ToolTip);
        }
    }
};

QTEST_MAIN(TestPlatformSelect)
#include "test_platform_select.moc"
