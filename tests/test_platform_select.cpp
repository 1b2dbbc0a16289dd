// Which backend a session gets and what the Qt-only fallback promises: the
// display check before Qt starts, the backend picked from Qt's platform, the
// application's instance, and the windows of each role. Runs on the offscreen
// platform, where the fallback is the backend.
#include "platform/Backends.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <optional>

Q_DECLARE_METATYPE(platform::WindowRole)

namespace {

// Sets (or, for a null value, removes) environment variables for one scope.
class ScopedEnv
{
public:
    void set(const char *name, const QByteArray &value)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->second)
                qputenv(it->first, *it->second);
            else
                qunsetenv(it->first);
        }
    }

private:
    QList<std::pair<const char *, std::optional<QByteArray>>> m_saved;
};

} // namespace

class TestPlatformSelect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The X server is asked only when Qt is going to use xcb; DISPLAY names a
    // server that does not exist, so asking it always finds a problem.
    void displayCheckOnlyWhenQtUsesXcb_data()
    {
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<bool>("asksX");
        const QByteArray unset;
        QTest::newRow("xcb chosen") << QByteArray("xcb") << unset << true;
        QTest::newRow("xcb with options") << QByteArray("xcb:nograb") << unset << true;
        QTest::newRow("xcb chosen in a Wayland session") << QByteArray("xcb") << QByteArray("wayland-0") << true;
        QTest::newRow("nothing chosen, X only") << unset << unset << true;
        QTest::newRow("nothing chosen, empty choice") << QByteArray("") << QByteArray("") << true;
        QTest::newRow("nothing chosen, Wayland too") << unset << QByteArray("wayland-0") << false;
        QTest::newRow("wayland chosen") << QByteArray("wayland") << unset << false;
        QTest::newRow("offscreen chosen") << QByteArray("offscreen") << unset << false;
    }

    void displayCheckOnlyWhenQtUsesXcb()
    {
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, wayland);
        QFETCH(bool, asksX);
        ScopedEnv env;
        env.set("QT_QPA_PLATFORM", qpa);
        env.set("DISPLAY", ":9873");
        env.set("WAYLAND_DISPLAY", wayland);
        const QString problem = platform::Platform::checkDisplayServer();
        QCOMPARE(!problem.isEmpty(), asksX);
        if (asksX)
            QVERIFY2(problem.contains(QStringLiteral(":9873")), qPrintable(problem));
    }

    void noDisplayAtAllIsLeftToQt()
    {
        ScopedEnv env;
        env.set("QT_QPA_PLATFORM", QByteArray());
        env.set("DISPLAY", QByteArray());
        env.set("WAYLAND_DISPLAY", QByteArray());
        QCOMPARE(platform::Platform::checkDisplayServer(), QString());
    }

    void offXcbTheFallbackSaysWhatItCannotDo()
    {
        const std::unique_ptr<platform::Platform> p = platform::Platform::create();
        QVERIFY(p);
        QCOMPARE(p->name(), QStringLiteral("qt"));
        QVERIFY(!p->isX11());
        QVERIFY(!p->hasXInput2());
        // Not trusted: the application tells the user what is missing.
        QVERIFY(!p->isTrusted());
        QVERIFY(!p->hotkeys().isAvailable());
        QVERIFY(!p->hotkeys().registerHotkey(1, {QStringLiteral("AD04"), Qt::ControlModifier, QStringLiteral("Ctrl+R")}));
        QVERIFY(!p->pointer().start());
        QVERIFY(!p->pointer().isRunning());
        const std::unique_ptr<platform::ScreenCapture> capture = p->createScreenCapture();
        QString error;
        QVERIFY(!capture->setup(&error));
        QVERIFY2(error.contains(QStringLiteral("offscreen")), qPrintable(error));
        // The displays are Qt's screens.
        QCOMPARE(p->displays().displays().size(), QGuiApplication::screens().size());
    }

    void theInstanceIsTheOneSetElseAMadeOne()
    {
        const std::unique_ptr<platform::Platform> mine = platform::createQtPlatform();
        platform::Platform::setInstance(mine.get());
        QCOMPARE(&platform::Platform::instance(), mine.get());
        platform::Platform::setInstance(nullptr);
        platform::Platform &made = platform::Platform::instance();
        QVERIFY(&made != mine.get());
        QCOMPARE(made.name(), QStringLiteral("qt"));
        QCOMPARE(&platform::Platform::instance(), &made);
    }

    void windowsOfEachRole_data()
    {
        QTest::addColumn<platform::WindowRole>("role");
        QTest::addColumn<Qt::WindowType>("type");
        QTest::newRow("guide") << platform::WindowRole::GuideOverlay << Qt::Tool;
        QTest::newRow("magnifier") << platform::WindowRole::Magnifier << Qt::Tool;
        QTest::newRow("hud") << platform::WindowRole::Hud << Qt::ToolTip;
    }

    // Click-through, never focused, above the others and frameless on every
    // platform; shown, it stands where it was put. (Whether the focus stays
    // put is the window system's part: the offscreen platform activates
    // every shown window but tooltips.)
    void windowsOfEachRole()
    {
        QFETCH(platform::WindowRole, role);
        QFETCH(Qt::WindowType, type);
        const std::unique_ptr<platform::Platform> p = platform::createQtPlatform();

        QWidget window;
        window.setAttribute(Qt::WA_ShowWithoutActivating);
        p->prepareWindow(&window, role);
        QCOMPARE(window.windowType(), type);
        for (Qt::WindowType flag : {Qt::WindowTransparentForInput, Qt::WindowDoesNotAcceptFocus,
                                    Qt::WindowStaysOnTopHint, Qt::FramelessWindowHint})
            QVERIFY2(window.windowFlags().testFlag(flag), qPrintable(QString::number(flag, 16)));
        // Bypassing the window manager is X11's business.
        QVERIFY(!window.windowFlags().testFlag(Qt::BypassWindowManagerHint));

        window.setFixedSize(200, 80);
        window.move(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.geometry(), QRect(400, 300, 200, 80));
        QCOMPARE(window.frameGeometry().topLeft(), QPoint(400, 300));
        // Qt's own record and the native window agree.
        QCOMPARE(window.windowHandle()->flags(), window.windowFlags());
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestPlatformSelect test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_platform_select.moc"
