// The overlay manager's placement of the guide (which display's guide shows,
// where it stands) through moves, display changes and the guide's toggle.
// Where the line guide puts the guide: on the line asked for once the pointer
// rests, back at the pointer when it moves (which cancels the question), a
// line further on each step, frozen by the lock, on the text cursor's line
// (steps without a source: test_appdelegate).
// And frame pacing on a clock the test sets: no delay for a move after a
// rest, one frame for a burst, never before its frame time, the last request
// always served, and nothing left running when requests stop.
#include "overlay/FramePacer.h"
#include "overlay/MouseTracker.h"
#include "overlay/OverlayManager.h"
#include "overlay/ReadingGuideView.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"
#include "textlines/TextLineSource.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

const QRectF left(0, 0, 1280, 1024), right(1280, 0, 1280, 1024);
constexpr qint64 ms = 1'000'000; // in the pacing clock's nanoseconds

// One step of a scenario: an action, then which guides show ("010": the
// second of three) and, when `window` >= 0, where that guide stands relative
// to its display.
// clang-format off
enum Action { Hand, Pointer, On, Off, Displays, Unannounced };
// clang-format on
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

// Answers nothing by itself: the test answers, and reads what was asked.
class FakeLines : public textlines::TextLineSource
{
    Q_OBJECT
public:
    void setActive(bool lines, bool caret) override { log << QString::asprintf("active %d%d", lines, caret); }
    bool isActive() const override { return true; }
    void requestLineAt(const QPointF &p) override { asked = p, log << QString::asprintf("at %g,%g", p.x(), p.y()); }
    void requestStep(const QRectF &from, int direction) override
    {
        stepFrom = from, stepDirection = direction;
        log << QString::asprintf("step %g %d", from.top(), direction);
    }
    void cancel() override { log << QStringLiteral("cancel"); }

    QStringList log;
    QPointF asked;
    QRectF stepFrom;
    int stepDirection = 0;
};

// clang-format off
enum LineAction { Move, Rest, Line, StepDown, StepUp, Stepped, Lock, Caret, SnapOff };
// clang-format on
struct LineStep
{
    const char *what;
    LineAction action;
    QPointF at;    // Move
    QRectF line;   // Line, Stepped, Caret; null: no line
    QString asked; // what the source was asked, "; "-joined
    double top;    // the guide's row: the pointer's, or the line's top
    double height; // the line's height, 0 at the pointer
};

const QRectF line1(50, 190, 600, 20), line2(50, 262, 600, 20);

} // namespace

class TestOverlay : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<platform::FakePlatform> m_platform;
    std::unique_ptr<OverlayManager> m_manager;
    FakeLines *m_lines = nullptr;

    OverlayManager &build(const QList<QRectF> &frames, bool tracked = true)
    {
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QLatin1String(QTest::currentTestFunction())));
        m_platform = std::make_unique<platform::FakePlatform>();
        m_platform->fakeDisplays.setFrames(frames);
        m_platform->fakePointer.setPosition({10, 10});
        m_manager = std::make_unique<OverlayManager>(*m_platform, *m_settings);
        m_manager->setupOverlay();
        if (tracked) m_manager->setupMouseTracker();
        return *m_manager;
    }
    // Runs the steps; fails at the first one whose outcome is wrong.
    void run(const QList<Step> &steps)
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
                QFAIL(qPrintable(QStringLiteral("%1: shown %2").arg(QLatin1String(s.what), shown)));
        }
    }
    // The guide on one display, its pointer not followed, over lines the
    // test answers.
    void buildOnLines()
    {
        build({QRectF(0, 0, 1280, 1024)}, false);
        m_settings->setFollowTextCursor(true);
        m_manager->lineGuide().setSourceFactory([this] {
            auto source = std::make_unique<FakeLines>();
            m_lines = source.get();
            return source;
        });
        m_manager->enableGuide();
        m_lines->log.clear();
    }
    void runOnLines(const QList<LineStep> &steps)
    {
        LineGuide &g = m_manager->lineGuide();
        for (const LineStep &s : steps) {
            if (s.action == Move) m_manager->handleMouseMove(s.at.x(), s.at.y());
            if (s.action == Rest && !QTest::qWaitFor([this] { return !m_lines->log.isEmpty(); }, 2000))
                QFAIL(qPrintable(QStringLiteral("%1: nothing asked").arg(QLatin1String(s.what))));
            // A null line: none there.
            const auto line = s.line.isNull() ? std::nullopt : std::optional(s.line);
            if (s.action == Line) Q_EMIT m_lines->lineAt(m_lines->asked, line);
            if (s.action == StepDown || s.action == StepUp) g.step(s.action == StepDown ? 1 : -1);
            if (s.action == Stepped) Q_EMIT m_lines->stepped(m_lines->stepFrom, m_lines->stepDirection, line);
            if (s.action == Lock) g.setLocked(!g.isLocked());
            if (s.action == Caret) Q_EMIT m_lines->caretLineChanged(s.line);
            if (s.action == SnapOff) m_settings->setSnapToTextLines(false);
            const QString asked = m_lines->log.join(QStringLiteral("; "));
            m_lines->log.clear();
            const DisplayGuide *guide = m_manager->guides()[0];
            const double top = guide->position().y(), height = guide->lineHeight();
            if (asked != s.asked || !qFuzzyCompare(top, s.top) || height != s.height)
                QFAIL(qPrintable(QString::asprintf("%s: asked '%s', guide at %g height %g", s.what, qPrintable(asked), top, height)));
        }
    }

private Q_SLOTS:
    void cleanup()
    {
        m_manager.reset();
        m_lines = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_platform.reset();
    }

    // The display that holds the pointer shows the guide (the rule itself,
    // shared edges and top rows: test_geometry, tests/x11/test_overlay_dual.sh).
    void guideFollowsThePointerAcrossDisplays()
    {
        // Display 2 is left of the primary one and 356 points higher.
        OverlayManager &m = build({left, right, QRectF(-1920, -356, 1920, 1080)});
        // clang-format off
        run({
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
        });
        // clang-format on
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
        // clang-format off
        run({
            {"off: handed in, placed", Hand, {100, 100}, {}, "00", 0, {100, 100}},
            {"pointer outside every display", Pointer, {5000, -20}, {}, "00"},
            {"on", On, {}, {}, "00"},
            {"enters a display", Pointer, {1400, 100}, {}, "01", 1, {120, 100}},
            {"inside our own window", Pointer, {30, 40}, {}, "01", 1, {120, 100}},
            {"out of it in one jump", Pointer, {50, 60}, {}, "10", 0, {50, 60}},
            {"off", Off, {}, {}, "00"},
            {"off: not followed", Pointer, {200, 100}, {}, "00", 0, {50, 60}},
            {"pointer on display 1", Pointer, {1500, 300}, {}, "00"},
        });
        // clang-format on
        // The magnifier follows while its setting is on, off the displays too.
        m_settings->setMagnifierEnabled(true);
        // clang-format off
        run({
            {"on: that display, guide kept", On, {}, {}, "01", 1, {120, 100}},
            {"outside every display", Pointer, {5000, 8}, {}, "00"},
            {"again: tracking restarted", On, {}, {}, "00"},
            {"back", Pointer, {7, 8}, {}, "10", 0, {7, 8}},
        });
        // clang-format on
        QCOMPARE(m_platform->fakePointer.startCount(), 3);
        QCOMPARE(magnifier.join(u' '), QStringLiteral("hide show 5000,8 show 7,8"));
        m_platform->fakePointer.setStartable(false);
        // clang-format off
        run({
            {"off", Off, {}, {}, "00"},
            {"on where the pointer cannot be followed: a third down the main display", On, {}, {}, "10", 0,
             {640, 1024.0 / 3}},
            {"not followed", Pointer, {70, 60}, {}, "10", 0, {640, 1024.0 / 3}},
        });
        // clang-format on
        QVERIFY(!m.mouseTracker()->isTracking());
    }

    void guideGoesWhereTheLinesAre()
    {
        buildOnLines();
        // clang-format off
        runOnLines({
            {"moving asks nothing", Move, {100, 205}, {}, "", 205, 0},
            {"rest: the line there is asked for", Rest, {}, {}, "at 100,205", 205, 0},
            {"answer: on the line, its height", Line, {}, line1, "", 190, 20},
            {"along the line: stays on it", Move, {300, 209}, {}, "", 190, 20},
            {"off the line: at the pointer", Move, {300, 230}, {}, "", 230, 0},
            {"rest", Rest, {}, {}, "at 300,230", 230, 0},
            {"a move cancels the question", Move, {300, 240}, {}, "cancel", 240, 0},
            {"its late answer is dropped", Line, {}, {50, 220, 600, 20}, "", 240, 0},
            {"rest again", Rest, {}, {}, "at 300,240", 240, 0},
            {"no text there: at the pointer", Line, {}, {}, "", 240, 0},
            {"move", Move, {300, 250}, {}, "", 250, 0},
            {"rest", Rest, {}, {}, "at 300,250", 250, 0},
            {"a line that misses the pointer's row", Line, {}, line1, "", 250, 0},
            {"step from the pointer: the line the underline is under", StepDown, {}, {}, "step 228 1", 250, 0},
            {"the next line", Stepped, {}, line2, "", 262, 20},
            {"step", StepDown, {}, {}, "step 262 1", 262, 20},
            {"no next line: a line's height on", Stepped, {}, {}, "", 282, 20},
            {"a few points: stays detached", Move, {305, 254}, {}, "", 282, 20},
            {"further: at the pointer again", Move, {306, 258}, {}, "", 258, 0},
            {"locked", Lock, {}, {}, "", 258, 0},
            {"moves leave it", Move, {600, 600}, {}, "", 258, 0},
            {"a step unlocks and steps", StepUp, {}, {}, "step 236 -1", 258, 0},
            {"the line before", Stepped, {}, {}, "", 216, 20},
            {"locked again", Lock, {}, {}, "", 216, 20},
            {"unlocked: at the pointer", Lock, {}, {}, "", 600, 0},
            {"the text cursor's line", Caret, {}, line1, "", 190, 20},
            {"a small move keeps it there", Move, {603, 604}, {}, "", 190, 20},
            {"snapping off: steps by height", SnapOff, {}, {}, "active 01", 190, 20},
            {"step", StepDown, {}, {}, "", 210, 20},
            {"locked", Lock, {}, {}, "", 210, 20},
            {"locked: the text cursor is not followed", Caret, {}, line2, "", 210, 20},
        });
        // clang-format on
    }

    // A slow application answers the first questions late, or nothing in
    // time: asked again while the pointer rests, its late answer taken there.
    // (No more questions once it moved, and a late answer for where it was
    // dropped: guideGoesWhereTheLinesAre.)
    void askedAgainWhileResting()
    {
        buildOnLines();
        // clang-format off
        runOnLines({
            {"move", Move, {100, 205}, {}, "", 205, 0},
            {"rest", Rest, {}, {}, "at 100,205", 205, 0},
            {"nothing in time", Line, {}, {}, "", 205, 0},
            {"still resting: asked again", Rest, {}, {}, "at 100,205", 205, 0},
            {"nothing again", Line, {}, {}, "", 205, 0},
            {"and once more", Rest, {}, {}, "at 100,205", 205, 0},
            {"nothing", Line, {}, {}, "", 205, 0},
            {"a late answer for where it rests: on the line", Line, {}, line1, "", 190, 20},
        });
        // clang-format on
    }

    // Without lines, a step from the pointer and the step back move what is
    // drawn by the thickness, whatever way each style is drawn at its row.
    void stepsWithoutLinesAreSymmetric_data()
    {
        QTest::addColumn<int>("style");
        for (LineStyle style : LineStyles::allCases)
            QTest::newRow(qPrintable(LineStyles::rawValue(style))) << LineStyles::index(style);
    }
    void stepsWithoutLinesAreSymmetric()
    {
        QFETCH(int, style);
        buildOnLines();
        m_settings->setSnapToTextLines(false);
        m_settings->setCurrentStyle(*LineStyles::fromIndex(style));
        m_settings->setCustomThickness(28);
        m_manager->handleMouseMove(300, 500);
        auto centre = [this] {
            const DisplayGuide *g = m_manager->guides()[0];
            const auto view = ReadingGuideView::onLine(g->position().x(), g->position().y(), g->lineHeight(), *m_settings);
            return view.parts(QSizeF(1280, 1024)).band.center().y();
        };
        const double atPointer = centre();
        m_manager->lineGuide().step(1);
        const double down = centre();
        m_manager->lineGuide().step(-1);
        const double up = centre();
        QVERIFY2(qAbs(down - atPointer - 28) <= 1 && qAbs(down - up - 28) <= 1,
                 qPrintable(QString::asprintf("%g down, %g back up", down - atPointer, down - up)));
    }

    void burstIsOneFrameAfterTheFirst()
    {
        qint64 now = 1000 * ms;
        int frames = 0;
        FramePacer pacer([&] { ++frames; }, [&] { return now; });
        pacer.setFrameRate(5); // 200 ms a frame
        pacer.request();
        QCOMPARE(frames, 1); // at once: the first move after a rest adds no latency
        now += 10 * ms;
        for (int i = 0; i < 20; ++i)
            pacer.request();
        QVERIFY(frames == 1 && pacer.isWaiting());
        QElapsedTimer waited;
        waited.start();
        QTRY_COMPARE_WITH_TIMEOUT(frames, 2, 5000); // the burst's one frame, at the frame time
        QVERIFY2(waited.elapsed() >= 190, "a merged frame ran before its frame time");
        QVERIFY(!pacer.isWaiting()); // idle: no timer left behind
        // The frame time counts from the frame that ran: one nanosecond short
        // of it a request waits, at it a request runs at once.
        now += 200 * ms - 1;
        pacer.request();
        QVERIFY(frames == 2 && pacer.isWaiting());
        pacer.cancel();
        QVERIFY(!pacer.isWaiting());
        now += 1;
        pacer.request();
        QVERIFY(frames == 3 && !pacer.isWaiting());
        // A rate the system cannot tell, or a nonsensical one, reads as 60 Hz.
        for (double hz : {0.0, qQNaN(), 1e300, -60.0}) {
            pacer.setFrameRate(hz);
            QCOMPARE(pacer.frameRate(), 60.0);
        }
    }

    // However many moves a burst has, the guide ends where the pointer ended,
    // and the position is read once per frame, not per move.
    void trackerEndsOnTheLastPosition()
    {
        qint64 now = 0;
        platform::FakePointer pointer;
        QList<QPointF> reported;
        MouseTracker tracker([&](double x, double y) { reported.append(QPointF(x, y)); }, pointer, nullptr, [&] { return now; });
        tracker.setFrameRate(50);
        tracker.startTracking();
        for (int i = 0; i < 200; ++i)
            pointer.moveTo(QPointF(i, 2 * i));
        QTRY_COMPARE(reported, (QList<QPointF>{{0, 0}, {199, 398}}));
        QVERIFY(!tracker.pacer().isWaiting());
    }
};

QTEST_MAIN(TestOverlay)
#include "test_overlay.moc"
