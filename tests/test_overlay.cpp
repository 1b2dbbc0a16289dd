// The overlay manager's placement of the guide (which window shows, where its
// guide stands), the tracker's life cycle, and what an overlay window repaints.
#include "overlay/OverlayManager.h"
#include "overlay/OverlayWindow.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

const QRectF left(0, 0, 1280, 1024);
const QRectF right(1280, 0, 1280, 1024);

// Records the region of every paint event a window receives.
class PaintSpy : public QObject
{
public:
    explicit PaintSpy(QWidget *w) { w->installEventFilter(this); }
    QList<QRegion> regions;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            regions.append(static_cast<QPaintEvent *>(e)->region());
        return false;
    }
};

QList<bool> visibility(const OverlayManager &m)
{
    QList<bool> v;
    for (OverlayWindow *w : m.overlayWindows)
        v.append(w->isVisible());
    return v;
}

QPointF guideAt(const OverlayWindow *w)
{
    return QPointF(w->guideView()->xPosition, w->guideView()->yPosition);
}

} // namespace

class TestOverlay : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<platform::FakePlatform> m_platform;
    std::unique_ptr<OverlayManager> m_manager;

    OverlayManager &build(const QList<QRectF> &frames, QPointF pointer = QPointF(10, 10))
    {
        m_platform->fakeDisplays.setFrames(frames);
        m_platform->fakePointer.setPosition(pointer);
        m_manager = std::make_unique<OverlayManager>(*m_platform, *m_settings);
        m_manager->setupOverlay();
        m_manager->setupMouseTracker();
        return *m_manager;
    }

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("tovani.conf")));
        m_platform = std::make_unique<platform::FakePlatform>();
        platform::Platform::setInstance(m_platform.get());
    }

    void cleanup()
    {
        m_manager.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::Platform::setInstance(nullptr);
        m_platform.reset();
        m_settings.reset();
    }

    void buildsHiddenWindowsCoveringEachDisplay()
    {
        OverlayManager &m = build({left, right});
        QCOMPARE(m.overlayWindows.size(), 2);
        QCOMPARE(visibility(m), (QList<bool>{false, false}));
        QVERIFY(!m.isEnabled());
        QVERIFY(!m_platform->fakePointer.isRunning());
        QCOMPARE(m.overlayWindows[1]->geometry(), QRect(1280, 0, 1280, 1024));
        // Until the pointer moves the guide stands at the bottom-left corner.
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(0, 1024));
        QVERIFY(m_platform->roleOf(m.overlayWindows[0]) == platform::WindowRole::GuideOverlay);
        QVERIFY(m.overlayWindows[0]->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(m.overlayWindows[0]->testAttribute(Qt::WA_ShowWithoutActivating));
    }

    void displayUnderThePointer_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("display"); // -1: none
        QTest::addColumn<QPointF>("guide"); // window-local
        // Displays: 0 primary, 1 right of it, 2 left of it and 356 points higher.
        QTest::newRow("inside") << QPointF(100, 20) << 0 << QPointF(100, 20);
        QTest::newRow("left of the shared edge") << QPointF(1279.5, 500) << 0 << QPointF(1279.5, 500);
        QTest::newRow("shared edge: right display") << QPointF(1280, 500) << 1 << QPointF(0, 500);
        QTest::newRow("top edge: no display") << QPointF(100, 0) << -1 << QPointF();
        QTest::newRow("half a row lower") << QPointF(100, 0.5) << 0 << QPointF(100, 0.5);
        QTest::newRow("bottom edge: this display") << QPointF(100, 1024) << 0 << QPointF(100, 1024);
        QTest::newRow("past the right edge") << QPointF(2560, 500) << -1 << QPointF();
        QTest::newRow("offset display") << QPointF(-1000, 674) << 2 << QPointF(920, 1030);
        QTest::newRow("offset display's top edge") << QPointF(-1000, -356) << -1 << QPointF();
    }

    void displayUnderThePointer()
    {
        QFETCH(QPointF, point);
        QFETCH(int, display);
        QFETCH(QPointF, guide);
        OverlayManager &m = build({left, right, QRectF(-1920, -356, 1920, 1080)});
        QCOMPARE(m.overlayWindows[2]->geometry(), QRect(-1920, -356, 1920, 1080));
        m.enableGuide();
        QCOMPARE(visibility(m), (QList<bool>{true, false, false}));
        m.handleMouseMove(point.x(), point.y());
        QCOMPARE(visibility(m), (QList<bool>{display == 0, display == 1, display == 2}));
        if (display >= 0)
            QCOMPARE(guideAt(m.overlayWindows[display]), guide);
    }

    void enableOnSecondDisplayShowsOnlyIt()
    {
        OverlayManager &m = build({left, right}, QPointF(1500, 300));
        m.enableGuide();
        QVERIFY(m.isEnabled());
        QCOMPARE(visibility(m), (QList<bool>{false, true}));
        // Until the pointer moves the guide stands where it was last put.
        QCOMPARE(guideAt(m.overlayWindows[1]), QPointF(0, 1024));
        QVERIFY(m_platform->fakePointer.isRunning());
    }

    void enableWithThePointerOutsideEveryDisplay()
    {
        OverlayManager &m = build({left, right}, QPointF(5000, -20));
        m.enableGuide();
        QCOMPARE(visibility(m), (QList<bool>{false, false}));
        m_platform->fakePointer.moveTo(QPointF(10, 10));
        QCOMPARE(visibility(m), (QList<bool>{true, false}));
    }

    void rebuildWhileEnabledShowsAllUntilTheFirstMove()
    {
        OverlayManager &m = build({left});
        m.enableGuide();
        m.handleMouseMove(300, 400);
        QPointer<OverlayWindow> old = m.overlayWindows[0];

        m_platform->fakeDisplays.setFrames({left, right, QRectF(0, -600, 800, 600)});
        QCOMPARE(m.overlayWindows.size(), 3);
        QCOMPARE(visibility(m), (QList<bool>{true, true, true}));
        for (OverlayWindow *w : m.overlayWindows)
            QCOMPARE(guideAt(w), QPointF(0, w->height()));
        QVERIFY(old.isNull() || !old->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(old.isNull()); // released

        m.handleMouseMove(400, -76);
        QCOMPARE(visibility(m), (QList<bool>{false, false, true}));
        QCOMPARE(guideAt(m.overlayWindows[2]), QPointF(400, 524));
    }

    void rebuildWhileDisabledStaysHidden()
    {
        OverlayManager &m = build({left});
        m_platform->fakeDisplays.setFrames({left, right});
        QCOMPARE(visibility(m), (QList<bool>{false, false}));
    }

    void noDisplays()
    {
        OverlayManager &m = build({left, right});
        m.enableGuide();
        m_platform->fakeDisplays.setFrames({});
        QVERIFY(m.overlayWindows.isEmpty());
        m.handleMouseMove(10, 10);
        m.disableGuide();
        m.enableGuide();
        QVERIFY(m.overlayWindows.isEmpty());
        // The displays come back: windows again, shown while enabled.
        m_platform->fakeDisplays.setFrames({left});
        QCOMPARE(visibility(m), (QList<bool>{true}));
    }

    void moreDisplaysThanWindows()
    {
        OverlayManager &m = build({left});
        m.enableGuide();
        {
            // The arrangement changed and the change has not been handled yet.
            const QSignalBlocker blocker(m_platform->fakeDisplays);
            m_platform->fakeDisplays.setFrames({right, left});
        }
        QCOMPARE(m.overlayWindows.size(), 1);
        m.handleMouseMove(1300, 10); // display 0 now, window 0
        QCOMPARE(visibility(m), (QList<bool>{true}));
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(1300, 10)); // relative to the window's own frame
        m.handleMouseMove(10, 10); // display 1: no window for it, skipped
        QCOMPARE(visibility(m), (QList<bool>{false}));
    }

    void disabledGuideIgnoresMoves()
    {
        OverlayManager &m = build({left, right});
        m_platform->fakePointer.moveTo(QPointF(100, 100));
        QCOMPARE(visibility(m), (QList<bool>{false, false}));
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(0, 1024));
        // A move handed in directly updates the guide but shows nothing.
        m.handleMouseMove(100, 100);
        QCOMPARE(visibility(m), (QList<bool>{false, false}));

        m.enableGuide();
        m_platform->fakePointer.moveTo(QPointF(1400, 100));
        QCOMPARE(visibility(m), (QList<bool>{false, true}));
        m.disableGuide();
        QCOMPARE(visibility(m), (QList<bool>{false, false}));
        QVERIFY(!m_platform->fakePointer.isRunning());
        QVERIFY(!m.mouseTracker()->isTracking());
        m_platform->fakePointer.moveTo(QPointF(200, 100));
        QCOMPARE(visibility(m), (QList<bool>{false, false}));
        QCOMPARE(guideAt(m.overlayWindows[1]), QPointF(120, 100));
    }

    void enableRestartsTracking()
    {
        OverlayManager &m = build({left});
        m.enableGuide();
        m.enableGuide();
        QCOMPARE(m_platform->fakePointer.startCount(), 2);
        QVERIFY(m.mouseTracker()->isTracking());
        // A platform that cannot follow the pointer: enabled, shown, never moved.
        m.disableGuide();
        m_platform->fakePointer.setStartable(false);
        m.enableGuide();
        QVERIFY(!m.mouseTracker()->isTracking());
        QCOMPARE(visibility(m), (QList<bool>{true}));
        m_platform->fakePointer.moveTo(QPointF(50, 50));
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(0, 1024));
    }

    void movesInsideOwnWindowsAreNotReported()
    {
        OverlayManager &m = build({left});
        m.enableGuide();
        m_platform->fakePointer.moveTo(QPointF(10, 20));
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(10, 20));

        // A window of ours that takes input, around (30, 40).
        QWidget preferences;
        preferences.setGeometry(QRect(20, 30, 20, 20));
        preferences.show();
        m_platform->fakePointer.moveTo(QPointF(30, 40));
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(10, 20));
        // One jump out of it is reported at once: the position decides, not
        // whether the toolkit has seen the pointer leave yet.
        preferences.setAttribute(Qt::WA_UnderMouse);
        m_platform->fakePointer.moveTo(QPointF(50, 60));
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(50, 60));
        // The overlays themselves never count, though they cover the display.
        preferences.hide();
        m_platform->fakePointer.moveTo(QPointF(31, 41));
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(31, 41));
    }

    void magnifierHooks()
    {
        OverlayManager &m = build({left});
        QList<QPointF> moves;
        int shown = 0, hidden = 0;
        m.magnifierUpdatePosition = [&](double x, double y) { moves.append(QPointF(x, y)); };
        m.magnifierShow = [&] { ++shown; };
        m.magnifierHide = [&] { ++hidden; };
        m.enableGuide();
        m.handleMouseMove(5, 6);
        QCOMPARE(shown, 0);
        QVERIFY(moves.isEmpty());
        m_settings->setMagnifierEnabled(true);
        m.enableGuide();
        QCOMPARE(shown, 1);
        m.handleMouseMove(7, 8);
        m.handleMouseMove(5000, 8); // outside every display: still passed on
        QCOMPARE(moves, (QList<QPointF>{QPointF(7, 8), QPointF(5000, 8)}));
        m.disableGuide();
        QCOMPARE(hidden, 1);
    }

    void notFinitePositionsAreIgnored()
    {
        OverlayManager &m = build({left});
        m.enableGuide();
        m.handleMouseMove(10, 20);
        m.overlayWindows[0]->updateGuidePosition(std::numeric_limits<double>::quiet_NaN(), 5);
        m.overlayWindows[0]->updateGuidePosition(5, std::numeric_limits<double>::infinity());
        QCOMPARE(guideAt(m.overlayWindows[0]), QPointF(10, 20));
        m.handleMouseMove(std::numeric_limits<double>::quiet_NaN(), 20); // in no display
        QCOMPARE(visibility(m), (QList<bool>{false}));
    }

    void compositorFollowsThePlatform()
    {
        m_platform->compositor = false;
        OverlayManager &m = build({left, right});
        QVERIFY(!m.overlayWindows[0]->isCompositing());
        Q_EMIT m_platform->fakeDisplays.compositorChanged(true);
        QVERIFY(m.overlayWindows[0]->isCompositing() && m.overlayWindows[1]->isCompositing());
        QVERIFY(m.overlayWindows[0]->mask().isEmpty());
        m_platform->fakeDisplays.setFrames({left});
        QVERIFY(m.overlayWindows[0]->isCompositing());
    }

    // --- the window ----------------------------------------------------------

    void moveRepaintsOnlyOldAndNewGuide()
    {
        m_settings->setCurrentStyle(LineStyle::underline);
        m_settings->setCustomThickness(10);
        OverlayWindow w(QRect(0, 0, 400, 300), *m_settings);
        w.setupAsOverlay();
        w.updateGuidePosition(50, 200);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        PaintSpy spy(&w);

        const QSizeF size(400, 300);
        const QRectF before = ReadingGuideView(50, 200, *m_settings).coveredRect(size);
        const QRectF after = ReadingGuideView(60, 120, *m_settings).coveredRect(size);
        w.updateGuidePosition(60, 120);
        QTRY_VERIFY(!spy.regions.isEmpty());
        QRegion painted;
        for (const QRegion &r : spy.regions)
            painted += r;
        // Both guides are repainted, and nothing far from them is.
        QVERIFY(painted.contains(before.toAlignedRect()));
        QVERIFY(painted.contains(after.toAlignedRect()));
        const QRegion allowed = QRegion(before.toAlignedRect().adjusted(-2, -2, 2, 2)) |
                                QRegion(after.toAlignedRect().adjusted(-2, -2, 2, 2));
        QVERIFY2((painted - allowed).isEmpty(), "painted outside the old and new guide");
        QVERIFY(!painted.contains(QPoint(200, 150)));

        // The same position again: nothing to do.
        spy.regions.clear();
        w.updateGuidePosition(60, 120);
        QCoreApplication::processEvents();
        QVERIFY(spy.regions.isEmpty());

        // A setting change repaints everything.
        m_settings->setCustomOpacity(0.3);
        QTRY_VERIFY(!spy.regions.isEmpty());
        QVERIFY(spy.regions.last().contains(QRect(0, 0, 400, 300)));
    }

    void withoutCompositorTheWindowIsCutToTheGuide()
    {
        m_settings->setCurrentStyle(LineStyle::underline);
        m_settings->setCustomThickness(10);
        m_settings->setCustomOpacity(0.5);
        m_settings->setCurrentColor(CodableColor{0, 0, 1, 1});
        OverlayWindow w(QRect(0, 0, 400, 300), *m_settings);
        w.setupAsOverlay();
        w.setCompositing(false);
        w.updateGuidePosition(50, 100);
        const QRect band = w.mask().boundingRect();
        QCOMPARE(band, QRect(0, 95, 400, 10));
        // Drawn at full strength where it is shown.
        const QImage image = w.grab().toImage();
        QCOMPARE(image.pixelColor(200, 100), QColor(0, 0, 255));

        // The focus window would darken the whole screen: only a margin next
        // to the clear band is kept.
        m_settings->setCurrentStyle(LineStyle::focusWindow);
        m_settings->setCustomThickness(40);
        const QRegion shape = w.mask();
        QVERIFY(!shape.isEmpty());
        QVERIFY(shape.boundingRect().height() < 200);
        QVERIFY(!shape.contains(QPoint(200, 100))); // the clear band stays clear
        QVERIFY(shape.contains(QPoint(200, 75)));
        QVERIFY(!shape.contains(QPoint(200, 5)));

        // Back to a compositor: no shape.
        w.setCompositing(true);
        QVERIFY(w.mask().isEmpty());
    }
};

QTEST_MAIN(TestOverlay)
#include "test_overlay.moc"
