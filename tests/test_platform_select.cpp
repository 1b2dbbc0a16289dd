// Which backend a session gets and what the Qt-only fallback promises: the
// display check before Qt starts, the backend picked from Qt's platform, the
// application's instance, and the windows of each role. Runs on the offscreen
// platform, where the fallback is the backend.
#include "platform/Backends.h"

#include <QtTest>
#include <QWidget>

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
        const char *dead = ":9873";
        const char *wl = "wayland-0";
        const struct { const char *qpa, *wayland, *display; bool asksX; } cases[] = {
            {"xcb", nullptr, dead, true},   {"xcb:nograb", nullptr, dead, true}, {"xcb", wl, dead, true},
            {nullptr, nullptr, dead, true}, {"", "", dead, true},                {nullptr, wl, dead, false},
            {"wayland", nullptr, dead, false}, {"offscreen", nullptr, dead, false},
            {nullptr, nullptr, nullptr, false}};
        for (const auto &c : cases) {
            for (const auto &[name, value] : {std::pair{"QT_QPA_PLATFORM", c.qpa},
                                              {"WAYLAND_DISPLAY", c.wayland}, {"DISPLAY", c.display}})
                QVERIFY(value ? qputenv(name, value) : (qunsetenv(name), true));
            const QString problem = platform::Platform::checkDisplayServer();
            const QString row = QStringLiteral("QT_QPA_PLATFORM=%1 WAYLAND_DISPLAY=%2 DISPLAY=%3: \"%4\"")
                                    .arg(c.qpa, c.wayland, c.display, problem);
            QVERIFY2(problem.isEmpty() != c.asksX && (!c.asksX || problem.contains(dead)), qPrintable(row));
        }
    }

    void offXcbTheFallbackSaysWhatItCannotDo()
    {
        // Not trusted and without pointer, hot keys or capture, each saying
        // so: the application tells the user what is missing. A capture is
        // answered, never synchronously, with a null image. The displays are
        // Qt's screens.
        const std::unique_ptr<platform::Platform> p = platform::Platform::create();
        QCOMPARE(p->name(), QStringLiteral("qt"));
        QVERIFY(!p->isX11() && !p->hasXInput2() && !p->isTrusted() && !p->hotkeys().isAvailable());
        QVERIFY(!p->hotkeys().registerHotkey(1, {QStringLiteral("AD04"), Qt::ControlModifier, QString()}));
        QVERIFY(!p->pointer().start() && !p->pointer().isRunning());
        const std::unique_ptr<platform::ScreenCapture> capture = p->createScreenCapture();
        QString error;
        QVERIFY(!capture->setup(&error));
        QVERIFY2(error.contains(QStringLiteral("offscreen")), qPrintable(error));
        QSignalSpy captured(capture.get(), &platform::ScreenCapture::captured);
        capture->capture(7, QRectF(0, 0, 10, 10), QSize(20, 20), 0);
        QVERIFY(captured.isEmpty());
        QTRY_COMPARE(captured.size(), 1);
        QVERIFY(captured[0][0].toULongLong() == 7 && captured[0][1].value<QImage>().isNull());
        QCOMPARE(p->displays().displays().size(), QGuiApplication::screens().size());
    }

    void theInstanceIsTheOneSetElseAMadeOne()
    {
        const std::unique_ptr<platform::Platform> mine = platform::createQtPlatform();
        platform::Platform::setInstance(mine.get());
        QCOMPARE(&platform::Platform::instance(), mine.get());
        platform::Platform::setInstance(nullptr);
        platform::Platform &made = platform::Platform::instance();
        QVERIFY(&made != mine.get() && made.name() == u"qt" && &platform::Platform::instance() == &made);
    }

    void windowsOfEachRole()
    {
        // Click-through, never focused, above the others and frameless on
        // every platform; bypassing the window manager is X11's business.
        const std::unique_ptr<platform::Platform> p = platform::createQtPlatform();
        for (const auto &[role, type] : {std::pair{platform::WindowRole::GuideOverlay, Qt::Tool},
                                         {platform::WindowRole::Magnifier, Qt::Tool},
                                         {platform::WindowRole::Hud, Qt::ToolTip}}) {
            QWidget window;
            p->prepareWindow(&window, role);
            const Qt::WindowFlags flags = window.windowFlags();
            const Qt::WindowFlags must = Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                                         Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint;
            QVERIFY((flags & must) == must && !flags.testFlag(Qt::BypassWindowManagerHint));
            QCOMPARE(window.windowType(), type);
        }
    }
};

QTEST_MAIN(TestPlatformSelect)
#include "test_platform_select.moc"
