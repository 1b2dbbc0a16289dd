// The on-screen message: where its window goes, its fade, and the order of
// showing, fading and replacing messages. Durations are either tiny (the step
// must happen) or an hour (it must not), so nothing depends on the machine's
// speed.

#include "feedback/HUDNotification.h"
#include "platform/FakePlatform.h"

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
        static const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType t, const auto &c, const auto &s) {
            if (!s.startsWith(QLatin1String("This plugin does not support"))) previous(t, c, s);
        });
    }

    // Centred 100 points above the middle of the main display, the first one
    // wherever the others are; a long message (a failure's reason) widens the
    // window around the same centre; no display: the top-left at the origin
    // (a short message's window is 200 x 80). Without a compositor the window
    // is cut to the rounded panel and stays whole until its fade time is
    // over; with one the fade lowers its opacity.
    void placementAndFade_data()
    {
        QTest::addColumn<bool>("displays");
        QTest::addColumn<bool>("compositor");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QPointF>("centre");
        QTest::newRow("two displays") << true << true << "Ruler" << QPointF(960, 440);
        QTest::newRow("no compositor") << true << false << "Ruler" << QPointF(960, 440);
        QTest::newRow("long message")
            << true << true << "Not saved: longer than any command's" << QPointF(960, 440);
        QTest::newRow("no display") << false << true << "Ruler" << QPointF(100, 40);
    }

    void placementAndFade()
    {
        QFETCH(bool, displays);
        QFETCH(bool, compositor);
        QFETCH(QString, message);
        QFETCH(QPointF, centre);
        m_platform.compositor = compositor;
        m_platform.fakeDisplays.setFrames(displays ? QList<QRectF>{{0, 0, 1920, 1080}, {-1280, -244, 1280, 1024}}
                                                   : QList<QRectF>{});
        HUDNotification hud(m_platform);
        const HUDWindow *w = showNow(hud, message, 0ms); // fades at once, for an hour
        const QRect frame = w->geometry();
        QVERIFY(w->isVisible() && (QRectF(frame).center() - centre).manhattanLength() <= 1);
        QCOMPARE(frame.width() > 200, message.size() > 5);
        QVERIFY(compositor ? w->mask().isEmpty() : w->mask().contains(QPoint(100, 40)) && !w->mask().contains(QPoint(5, 40)));
        QTRY_VERIFY(hud.isFading() && (!compositor || w->windowOpacity() < 1));
        QTest::qWait(50);
        QVERIFY(w->isVisible() && (w->windowOpacity() < 1) == compositor);
    }

    // Each message replaces the one on screen at once, whatever state it is
    // in; an earlier message's hide never shortens a later one.
    void messagesReplaceEachOther()
    {
        HUDNotification hud(m_platform);
        hud.show(QStringLiteral("9px"));
        QVERIFY(!hud.window()); // asynchronous: nothing until the loop turns
        QPointer<HUDWindow> first = showNow(hud, QStringLiteral("9px"), 20ms, 0ms); // replaces it at once
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

    // Where Tovani cannot place its windows (Wayland) the message is a
    // picture on one guide surface at the same place, above what was there;
    // the next message replaces it, and the fade ends with it hidden.
    void onASurfaceWhereWindowsCannotBePlaced()
    {
        m_platform.placesWindows = false;
        m_platform.fakeDisplays.setFrames({{0, 0, 1920, 1080}, {-1280, -244, 1280, 1024}});
        auto &surfaces = m_platform.fakeSurfaces.surfaces;
        const auto below = m_platform.fakeSurfaces.create(m_platform.fakeDisplays.displays().first());
        HUDNotification hud(m_platform);
        QVERIFY(!showNow(hud, QStringLiteral("Ruler")));
        QCOMPARE(surfaces.size(), 2);
        const platform::FakeSurface *shown = surfaces.last();
        QVERIFY(shown->visible && !shown->image.isNull());
        QCOMPARE(shown->geometry, QRectF(860, 400, 200, 80));
        QCOMPARE(QRectF(shown->image.rect()).size() / shown->image.devicePixelRatio(), QSizeF(200, 80));
        showNow(hud, QStringLiteral("9px"), 0ms, 10ms);
        QCOMPARE(surfaces.size(), 2);
        QTRY_VERIFY(!surfaces.last()->visible);
        m_platform.placesWindows = true;
    }
};

QTEST_MAIN(TestHud)
#include "test_hud.moc"
