// Where the line guide puts the guide: on the line asked for once the pointer
// rests, back at the pointer when it moves (which cancels the question), a
// line further on each step, frozen by the lock, on the text cursor's line.
// (Steps without a source: test_appdelegate; without a pointer: test_overlay.)
#include "overlay/OverlayManager.h"
#include "overlay/ReadingGuideView.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"
#include "textlines/TextLineSource.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Answers nothing by itself: the test answers, and reads what was asked.
class FakeLines : public textlines::TextLineSource
{
    Q_OBJECT
public:
    void setActive(bool lines, bool caret) override
    {
        log << QStringLiteral("active %1%2").arg(int(lines)).arg(int(caret));
    }
    bool isActive() const override { return true; }
    void requestLineAt(const QPointF &p) override
    {
        asked = p;
        log << QStringLiteral("at %1,%2").arg(p.x()).arg(p.y());
    }
    void requestStep(const QRectF &from, int direction) override
    {
        log << QStringLiteral("step %1 %2").arg(from.top()).arg(direction);
        stepFrom = from, stepDirection = direction;
    }
    void cancel() override { log << QStringLiteral("cancel"); }

    QStringList log;
    QPointF asked;
    QRectF stepFrom;
    int stepDirection = 0;
};

enum Action { Move, Rest, Line, NoLine, StepDown, StepUp, Stepped, NotStepped, Lock, Caret, SnapOff };
struct Step
{
    const char *what;
    Action action;
    QPointF at;    // Move
    QRectF line;   // Line, Stepped, Caret
    QString asked; // what the source was asked, "; "-joined
    double top;    // the guide's row: the pointer's, or the line's top
    double height; // the line's height, 0 at the pointer
};

const QRectF line1(50, 190, 600, 20), line2(50, 262, 600, 20);

} // namespace

class TestLineGuide : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<platform::FakePlatform> m_platform;
    std::unique_ptr<OverlayManager> m_manager;
    FakeLines *m_lines = nullptr;

    void build()
    {
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QLatin1String(QTest::currentTestFunction())));
        m_settings->setFollowTextCursor(true);
        m_platform = std::make_unique<platform::FakePlatform>();
        m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1280, 1024)});
        m_manager = std::make_unique<OverlayManager>(*m_platform, *m_settings);
        m_manager->setupOverlay();
        m_manager->lineGuide().setSourceFactory([this] {
            auto source = std::make_unique<FakeLines>();
            m_lines = source.get();
            return source;
        });
        m_manager->enableGuide();
        m_lines->log.clear();
    }

    QString run(const QList<Step> &steps)
    {
        LineGuide &g = m_manager->lineGuide();
        for (const Step &s : steps) {
            if (s.action == Move) m_manager->handleMouseMove(s.at.x(), s.at.y());
            if (s.action == Rest && !QTest::qWaitFor([this] { return !m_lines->log.isEmpty(); }, 2000))
                return QStringLiteral("%1: nothing asked").arg(QLatin1String(s.what));
            if (s.action == Line) Q_EMIT m_lines->lineAt(m_lines->asked, s.line);
            if (s.action == NoLine) Q_EMIT m_lines->lineAt(m_lines->asked, std::nullopt);
            if (s.action == StepDown || s.action == StepUp) g.step(s.action == StepDown ? 1 : -1);
            if (s.action == Stepped) Q_EMIT m_lines->stepped(m_lines->stepFrom, m_lines->stepDirection, s.line);
            if (s.action == NotStepped) Q_EMIT m_lines->stepped(m_lines->stepFrom, m_lines->stepDirection, {});
            if (s.action == Lock) g.setLocked(!g.isLocked());
            if (s.action == Caret) Q_EMIT m_lines->caretLineChanged(s.line);
            if (s.action == SnapOff) m_settings->setSnapToTextLines(false);
            const QString asked = m_lines->log.join(QStringLiteral("; "));
            m_lines->log.clear();
            const DisplayGuide *guide = m_manager->guides()[0];
            if (asked != s.asked || !qFuzzyCompare(guide->position().y(), s.top) || guide->lineHeight() != s.height)
                return QStringLiteral("%1: asked '%2', guide at %3 height %4")
                    .arg(QLatin1String(s.what), asked).arg(guide->position().y()).arg(guide->lineHeight());
        }
        return {};
    }

private Q_SLOTS:
    void cleanup()
    {
        m_manager.reset();
        m_lines = nullptr;
        m_platform.reset();
    }

    void guideGoesWhereTheLinesAre()
    {
        build();
        QCOMPARE(run({
            {"moving asks nothing", Move, {100, 205}, {}, "", 205, 0},
            {"rest: the line there is asked for", Rest, {}, {}, "at 100,205", 205, 0},
            {"answer: on the line, its height", Line, {}, line1, "", 190, 20},
            {"along the line: stays on it", Move, {300, 209}, {}, "", 190, 20},
            {"off the line: at the pointer", Move, {300, 230}, {}, "", 230, 0},
            {"rest", Rest, {}, {}, "at 300,230", 230, 0},
            {"a move cancels the question", Move, {300, 240}, {}, "cancel", 240, 0},
            {"its late answer is dropped", Line, {}, line2, "", 240, 0},
            {"rest again", Rest, {}, {}, "at 300,240", 240, 0},
            {"no text there: at the pointer", NoLine, {}, {}, "", 240, 0},
            {"move", Move, {300, 250}, {}, "", 250, 0},
            {"rest", Rest, {}, {}, "at 300,250", 250, 0},
            {"a line that misses the pointer's row", Line, {}, line1, "", 250, 0},
            {"step from the pointer: the line the underline is under", StepDown, {}, {}, "step 228 1", 250, 0},
            {"the next line", Stepped, {}, line2, "", 262, 20},
            {"step", StepDown, {}, {}, "step 262 1", 262, 20},
            {"no next line: a line's height on", NotStepped, {}, {}, "", 282, 20},
            {"a few points: stays detached", Move, {305, 254}, {}, "", 282, 20},
            {"further: at the pointer again", Move, {306, 258}, {}, "", 258, 0},
            {"locked", Lock, {}, {}, "", 258, 0},
            {"moves leave it", Move, {600, 600}, {}, "", 258, 0},
            {"a step unlocks and steps", StepUp, {}, {}, "step 236 -1", 258, 0},
            {"the line before", NotStepped, {}, {}, "", 216, 20},
            {"locked again", Lock, {}, {}, "", 216, 20},
            {"unlocked: at the pointer", Lock, {}, {}, "", 600, 0},
            {"the text cursor's line", Caret, {}, line1, "", 190, 20},
            {"a small move keeps it there", Move, {603, 604}, {}, "", 190, 20},
            {"snapping off: steps by height", SnapOff, {}, {}, "active 01", 190, 20},
            {"step", StepDown, {}, {}, "", 210, 20},
            {"locked", Lock, {}, {}, "", 210, 20},
            {"locked: the text cursor is not followed", Caret, {}, line2, "", 210, 20},
        }), QString());
    }

    // A slow application answers the first questions late, or nothing in
    // time: asked again while the pointer rests, its late answer taken there.
    void askedAgainWhileResting()
    {
        build();
        QCOMPARE(run({
            {"move", Move, {100, 205}, {}, "", 205, 0},
            {"rest", Rest, {}, {}, "at 100,205", 205, 0},
            {"nothing in time", NoLine, {}, {}, "", 205, 0},
            {"still resting: asked again", Rest, {}, {}, "at 100,205", 205, 0},
            {"nothing again", NoLine, {}, {}, "", 205, 0},
            {"and once more", Rest, {}, {}, "at 100,205", 205, 0},
            {"nothing", NoLine, {}, {}, "", 205, 0},
            {"a late answer for where it rests: on the line", Line, {}, line1, "", 190, 20},
            {"off the line", Move, {100, 300}, {}, "", 300, 0},
            {"rest", Rest, {}, {}, "at 100,300", 300, 0},
            {"nothing in time", NoLine, {}, {}, "", 300, 0},
            {"moved: not asked again there", Move, {100, 320}, {}, "", 320, 0},
            {"a late answer for where it rested is dropped", Line, {}, {50, 290, 600, 20}, "", 320, 0},
            {"rest: the new place asked", Rest, {}, {}, "at 100,320", 320, 0},
            {"answered", Line, {}, {50, 310, 600, 20}, "", 310, 20},
        }), QString());
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
        build();
        m_settings->setSnapToTextLines(false);
        m_settings->setCurrentStyle(*LineStyles::fromIndex(style));
        m_settings->setCustomThickness(28);
        m_manager->handleMouseMove(300, 500);
        auto centre = [this] {
            const DisplayGuide *g = m_manager->guides()[0];
            return ReadingGuideView::onLine(g->position().x(), g->position().y(), g->lineHeight(), *m_settings)
                .parts(QSizeF(1280, 1024))
                .band.center()
                .y();
        };
        const double atPointer = centre();
        m_manager->lineGuide().step(1);
        const double down = centre();
        m_manager->lineGuide().step(-1);
        QVERIFY2(qAbs(down - atPointer - 28) <= 1 && qAbs(down - centre() - 28) <= 1,
                 qPrintable(QStringLiteral("%1 down, %2 back up").arg(down - atPointer).arg(down - centre())));
    }
};

QTEST_MAIN(TestLineGuide)
#include "test_lineguide.moc"
