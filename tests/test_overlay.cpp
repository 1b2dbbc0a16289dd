// The overlay manager's placement of the guide (which display's guide shows,
// where it stands) through moves, display changes and the guide's toggle.
#include "overlay/OverlayManager.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QTest>
#include <QWidget>

namespace {

const QRectF left(0, 0, 1280, 1024), right(1280, 0, 1280, 1024);

// One step of a scenario: an action, then which guides show ("010": the
// second of three) and, when `window` >= 0, where that guide stands relative
// to its display.
enum Action { Hand, Pointer, On, Off, Displays, Unannounced };
struct Step
{
    const char *what;
    Action action;
    QPointF at;           // Hand: handleMouseMove(); Pointer: the pointer moves (reported while tracked)
    QList<QRectF> frames; // Displays: the arrangement changes; Unannounced: without a signal yet
    QString shown;
    int window = -1;
    QPointF guide{};
};

} // namespace

class TestOverlay : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<platform::FakePlatform> m_platform;
    std::unique_ptr<OverlayManager> m_manager;

    OverlayManager &build(const QList<QRectF> &frames)
    {
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QLatin1String(QTest::currentTestFunction())));
        m_platform = std::make_unique<platform::FakePlatform>();
        platform::Platform::setInstance(m_platform.get());
        m_platform->fakeDisplays.setFrames(frames);
        m_platform->fakePointer.setPosition({10, 10});
        m_manager = std::make_unique<OverlayManager>(*m_platform, *m_settings);
        m_manager->setupOverlay();
        m_manager->setupMouseTracker();
        return *m_manager;
    }
    // Runs the steps; tells the first one whose outcome is wrong.
    QString run(const QList<Step> &steps)
    {
        for (const Step &s : steps) {
            const QSignalBlocker blocker(s.action == Unannounced ? &m_platform->fakeDisplays : nullptr);
            if (s.action == Hand) m_manager->handleMouseMove(s.at.x(), s.at.y());
            if (s.action == Pointer) m_platform->fakePointer.moveTo(s.at);
            if (s.action == On) m_manager->enableGuide();
            if (s.action == Off) m_manager->disableGuide();
            if (s.action >= Displays) m_platform->fakeDisplays.setFrames(s.frames);
            // A move within a frame of the last one shows at the next frame.
            (void)QTest::qWaitFor([this] { return !m_manager->mouseTracker()->pacer().isWaiting(); });
            QString shown;
            for (const DisplayGuide *g : m_manager->guides())
                shown += QLatin1Char(g->isVisible() ? '1' : '0');
            const DisplayGuide *g = s.window >= 0 ? m_manager->guides()[s.window] : nullptr;
            if (shown != s.shown || (g && g->position() - g->display().frame.topLeft() != s.guide))
                return QStringLiteral("%1: shown %2").arg(QLatin1String(s.what), shown);
        }
        return {};
    }

private Q_SLOTS:
    void cleanup()
    {
        m_manager.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::Platform::setInstance(nullptr);
        m_platform.reset();
    }

    // The display that holds the pointer shows the guide (the rule itself,
    // shared edges and top rows: test_geometry, tests/x11/test_overlay_dual.sh).
    void guideFollowsThePointerAcrossDisplays()
    {
        // Display 2 is left of the primary one and 356 points higher.
        OverlayManager &m = build({left, right, QRectF(-1920, -356, 1920, 1080)});
        QCOMPARE(run({
            {"on", On, {}, {}, "100"},
            {"not a number", Hand, {qQNaN(), 20}, {}, "000"},
            {"offset display", Hand, {-1000, 674}, {}, "001", 2, {920, 1030}},
            {"rebuilt while on: all shown, guides reset", Displays, {}, {left, right, {0, -600, 800, 600}}, "111", 0,
             {0, 1024}},
            {"first move", Hand, {400, -76}, {}, "001", 2, {400, 524}},
            {"every display unplugged", Displays, {}, {}, ""},
            {"move", Hand, {10, 10}, {}, ""},
            {"off", Off, {}, {}, ""},
            {"rebuilt while off", Displays, {}, {right}, "0"},
            {"on", On, {}, {}, "0"},
            {"display back", Displays, {}, {left}, "1"},
            // A change not handled yet: each guide keeps to the display it
            // was built for; a display without a guide shows none.
            {"change not handled yet", Unannounced, {}, {right, left}, "1"},
            {"move on a display without guide", Hand, {1300, 10}, {}, "0"},
            {"move on the guide's display", Hand, {10, 10}, {}, "1", 0, {10, 10}},
        }), QString());
        // The surfaces of earlier arrangements are released.
        QCOMPARE(m_platform->fakeSurfaces.surfaces.size(), 4);
        // The compositor going away reaches every guide, rebuilt ones too.
        QVERIFY(m.guides()[0]->isCompositing());
        Q_EMIT m_platform->fakeDisplays.compositorChanged(false);
        QVERIFY(!m.guides()[0]->isCompositing());
        m_platform->fakeDisplays.setFrames({left});
        QVERIFY(!m.guides()[0]->isCompositing());
    }

    void trackingFollowsTheToggle()
    {
        OverlayManager &m = build({left, right});
        QStringList magnifier;
        connect(&m, &OverlayManager::magnifierMoved, [&](double x, double y) { magnifier << QStringLiteral("%1,%2").arg(x).arg(y); });
        connect(&m, &OverlayManager::magnifierShown, [&] { magnifier << QStringLiteral("show"); });
        connect(&m, &OverlayManager::magnifierHidden, [&] { magnifier << QStringLiteral("hide"); });
        // One of our windows that take input, where the toolkit still
        // believes the pointer is: the position decides.
        QWidget preferences;
        preferences.setGeometry(QRect(20, 30, 20, 20));
        preferences.setAttribute(Qt::WA_UnderMouse);
        preferences.show();
        QCOMPARE(run({
            {"off: handed in, placed", Hand, {100, 100}, {}, "00", 0, {100, 100}},
            {"pointer outside every display", Pointer, {5000, -20}, {}, "00"},
            {"on", On, {}, {}, "00"},
            {"enters a display", Pointer, {1400, 100}, {}, "01", 1, {120, 100}},
            {"inside our own window", Pointer, {30, 40}, {}, "01", 1, {120, 100}},
            {"out of it in one jump", Pointer, {50, 60}, {}, "10", 0, {50, 60}},
            {"off", Off, {}, {}, "00"},
            {"off: not followed", Pointer, {200, 100}, {}, "00", 0, {50, 60}},
            {"pointer on display 1", Pointer, {1500, 300}, {}, "00"},
        }), QString());
        // The magnifier follows while its setting is on, off the displays too.
        m_settings->setMagnifierEnabled(true);
        QCOMPARE(run({
            {"on: that display, guide kept", On, {}, {}, "01", 1, {120, 100}},
            {"outside every display", Pointer, {5000, 8}, {}, "00"},
            {"again: tracking restarted", On, {}, {}, "00"},
            {"back", Pointer, {7, 8}, {}, "10", 0, {7, 8}},
        }), QString());
        QCOMPARE(m_platform->fakePointer.startCount(), 3);
        QCOMPARE(magnifier.join(u' '), QStringLiteral("hide show 5000,8 show 7,8"));
        m_platform->fakePointer.setStartable(false);
        QCOMPARE(run({
            {"off", Off, {}, {}, "00"},
            {"on where the pointer cannot be followed: a third down the main display", On, {}, {}, "10", 0,
             {640, 1024.0 / 3}},
            {"not followed", Pointer, {70, 60}, {}, "10", 0, {640, 1024.0 / 3}},
        }), QString());
        QVERIFY(!m.mouseTracker()->isTracking());
    }
};

QTEST_MAIN(TestOverlay)
#include "test_overlay.moc"
