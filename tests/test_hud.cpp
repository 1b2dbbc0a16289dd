// The on-screen message: where its window goes, and the order of showing,
// fading and replacing messages. Durations are either tiny (the step must
// happen) or an hour (it must not), so nothing depends on the machine's speed.

#include "feedback/HUDNotification.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QtTest>

using namespace std::chrono_literals;

class TestHud : public QObject
{
    Q_OBJECT

    platform::FakePlatform m_platform;

    // Shows a message that stays for `display`, then fades over `fade`, and
    // lets the event loop create its window.
    static HUDWindow *showNow(HUDNotification &hud, const QString &message, std::chrono::milliseconds display = 1h,
                              std::chrono::milliseconds fade = 1h)
    {
        hud.setDurations(display, fade);
        hud.show(message);
        QCoreApplication::processEvents();
        return hud.window();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The offscreen platform cannot set window opacity, masks or stacking
        // and says so on every call; that is expected here.
        static const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                if (!text.startsWith(QLatin1String("This plugin does not support")))
                    previous(type, context, text);
            });
        platform::Platform::setInstance(&m_platform);
    }

    void init() { m_platform.compositor = true; }

    // Centred 100 points above the middle of the main display, the first one
    // wherever the others are; a long message (a failure's reason) widens the
    // window around the same centre; no display: at the origin. Without a
    // compositor the window is cut to the rounded panel.
    void placement()
    {
        const QString shortMessage = QStringLiteral("Ruler");
        const QString longMessage = QStringLiteral("Settings not saved: a reason far longer than any command's");
        const QList<QRectF> two{{0, 0, 1920, 1080}, {-1280, -244, 1280, 1024}};
        const struct { const char *name; QList<QRectF> displays; QString message; bool compositor; } cases[] = {
            {"two displays", two, shortMessage, true},
            {"no compositor", two, shortMessage, false},
            {"long message", two, longMessage, true},
            {"no display", {}, shortMessage, true},
        };
        for (const auto &c : cases) {
            m_platform.compositor = c.compositor;
            m_platform.fakeDisplays.setFrames(c.displays);
            HUDNotification hud;
            const HUDWindow *w = showNow(hud, c.message);
            const QRect frame = w->geometry();
            const bool placed = c.displays.isEmpty() ? frame.topLeft() == QPoint(0, 0)
                                                     : (QRectF(frame).center() - QPointF(960, 440)).manhattanLength() <= 1;
            QVERIFY2(w->isVisible() && placed, c.name);
            QVERIFY2((frame.width() > 200) == (c.message == longMessage), c.name);
            const QRegion cut = w->mask();
            QVERIFY2(c.compositor ? cut.isEmpty() : cut.contains(QPoint(100, 40)) && !cut.contains(QPoint(5, 40)),
                     c.name);
        }
    }

    // Each message replaces the one on screen at once, whatever state it is
    // in; an earlier message's hide never shortens a later one.
    void messagesReplaceEachOther()
    {
        HUDNotification hud;
        hud.setDurations(20ms, 0ms);
        hud.show(QStringLiteral("9px"));
        QVERIFY(!hud.window()); // asynchronous: nothing until the loop turns
        QCoreApplication::processEvents();
        QPointer<HUDWindow> first = hud.window();
        QPointer<HUDWindow> second = showNow(hud, QStringLiteral("14px"), 1h, 0ms);
        QTRY_VERIFY(!first); // hidden at once, then released
        QTest::qWait(150);   // long past the first message's hide
        QVERIFY(second->isVisible() && !hud.isFading());
        // A message during a fade: the fading window goes, the new one is whole.
        QPointer<HUDWindow> fading = showNow(hud, QStringLiteral("Underline"), 0ms);
        QTRY_VERIFY(hud.isFading());
        HUDWindow *next = showNow(hud, QStringLiteral("Highlight Bar"));
        QVERIFY(next->isVisible() && !hud.isFading() && next->windowOpacity() == 1.0);
        QTRY_VERIFY(!second && !fading);
        // Shown for its time, faded, hidden, its opacity back; kept until the next.
        HUDWindow *last = showNow(hud, QStringLiteral("Ruler"), 10ms, 10ms);
        QTRY_VERIFY(!last->isVisible());
        QVERIFY(last->windowOpacity() == 1.0 && hud.window() == last);
    }

    void withoutCompositorTheFadeLeavesOpacityAlone()
    {
        m_platform.compositor = false;
        HUDNotification hud;
        HUDWindow *window = showNow(hud, QStringLiteral("Ruler"), 0ms);
        QTRY_VERIFY(hud.isFading());
        QTest::qWait(50);
        QVERIFY(window->isVisible() && window->windowOpacity() == 1.0);
    }

    void everyStyleHasItsSymbol()
    {
        for (LineStyle style : LineStyles::allCases)
            QVERIFY2(HUDView::hasSymbol(LineStyles::hudSymbolName(style)), qPrintable(LineStyles::rawValue(style)));
    }
};

QTEST_MAIN(TestHud)
#include "test_hud.moc"
