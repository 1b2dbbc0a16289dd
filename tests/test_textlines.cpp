// The line under a point and the next line, asked of a fake accessibility
// bus that answers as the toolkits do: their quirks, the timeout, the newest
// question winning with one call in flight, the cache, stepping across
// paragraphs, the caret and the accessibility switch.

#include "textlines/AtspiTextLines.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace textlines;
using Rect = std::optional<QRectF>;

namespace {

const QString kApp = QStringLiteral(":1.7"), kNull = QStringLiteral("/org/a11y/atspi/null");
constexpr qint64 kPid = 4242;
constexpr int kCharWidth = 8, kLineHeight = 20;

// A text object: lines stacked from the top of `extents`, and how its
// toolkit answers.
struct FakeText
{
    QString path;
    QRect extents;
    QStringList lines;          // with their line feeds
    bool minusOneRight = false; // -1 right of a short line (Qt, Firefox)
    int lineHeight = kLineHeight;

    int startOf(int line) const { return int(lines.mid(0, line).join(QString()).size()); }
    int lineOf(int offset) const
    {
        int line = 0;
        while (line + 1 < lines.size() && offset >= startOf(line + 1))
            ++line;
        return line;
    }
    QRect rect(int line) const
    {
        return {extents.left(), extents.top() + line * lineHeight,
                int(lines[line].trimmed().size()) * kCharWidth, lineHeight};
    }
};

class FakeBus : public AccessibilityBus
{
public:
    QList<FakeText> texts; // the children of the one window, in order
    bool frozen = false;   // calls are taken and never answered
    int delayMs = 0, calls = 0, inFlight = 0, maxInFlight = 0, focusAsked = 0;
    std::optional<bool> enabled = false;
    QStringList listening;
    bool opened = false;

    void readEnabled(Reply<bool> r) override { answer(r, enabled); }
    void writeEnabled(bool on) override { enabled = on; }
    void open(Reply<bool> r) override { answer(r, std::optional(opened = true)); }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void applications(Reply<QList<AccessibleRef>> r) override
    {
        answer(r, std::optional(QList<AccessibleRef>{{":1.3", "/root"}, {kApp, "/root"}}));
    }
    void processId(const QString &s, Reply<qint64> r) override
    {
        answer(r, std::optional(s == kApp ? kPid : 1));
    }
    void children(const AccessibleRef &, Reply<QList<AccessibleRef>> r) override
    {
        answer(r, std::optional(QList<AccessibleRef>{{kApp, "/frame"}}));
    }
    void parent(const AccessibleRef &, Reply<AccessibleRef> r) override
    {
        answer(r, std::optional(AccessibleRef{kApp, "/frame"}));
    }
    void indexInParent(const AccessibleRef &o, Reply<int> r) override { answer(r, std::optional(index(o))); }
    void childAtIndex(const AccessibleRef &, int i, Reply<AccessibleRef> r) override
    {
        answer(r, std::optional(AccessibleRef{kApp, i < texts.size() ? texts[i].path : kNull}));
    }
    void isFocused(const AccessibleRef &, Reply<bool> r) override { ++focusAsked, answer(r, std::optional(true)); }
    void extents(const AccessibleRef &o, CoordType, Reply<QRect> r) override
    {
        answer(r, std::optional(index(o) < 0 ? QRect(0, 0, 800, 600) : texts[index(o)].extents));
    }
    void accessibleAtPoint(const AccessibleRef &o, QPoint p, CoordType, Reply<AccessibleRef> r) override
    {
        AccessibleRef hit{kApp, kNull};
        for (const FakeText &t : std::as_const(texts))
            if (o.path == "/frame" && t.extents.contains(p))
                hit.path = t.path;
        answer(r, std::optional(hit));
    }
    void characterCount(const AccessibleRef &o, Reply<int> r) override
    {
        answer(r, index(o) < 0 ? std::nullopt : std::optional(texts[index(o)].startOf(99)));
    }
    void offsetAtPoint(const AccessibleRef &o, QPoint p, CoordType, Reply<int> r) override
    {
        if (index(o) < 0)
            return answer(r, std::optional<int>());
        const FakeText &t = texts[index(o)];
        const int line = (p.y() - t.extents.top()) / t.lineHeight;
        if (line < 0 || line >= t.lines.size()) return answer(r, std::optional(-1));
        if (p.x() > t.rect(line).right() && t.minusOneRight)
            return answer(r, std::optional(-1));
        answer(r, std::optional(t.startOf(line) + std::clamp((p.x() - t.extents.left()) / kCharWidth, 0, 3)));
    }
    void lineAtOffset(const AccessibleRef &o, int offset, Reply<TextSpan> r) override
    {
        const FakeText &t = texts[index(o)];
        const int line = t.lineOf(offset);
        answer(r, std::optional(TextSpan{t.lines[line], t.startOf(line), t.startOf(line + 1)}));
    }
    void rangeExtents(const AccessibleRef &o, int start, int end, CoordType, Reply<QRect> r) override
    {
        const FakeText &t = texts[index(o)];
        QRect united = t.rect(t.lineOf(start));
        for (int line = t.lineOf(start) + 1; line <= t.lineOf(end - 1); ++line)
            united |= t.rect(line);
        answer(r, std::optional(united));
    }
    void listen(const QStringList &events) override { listening = events; }
    void emitEvent(const QString &name, const QString &path, int detail)
    {
        Q_EMIT event(name, AccessibleRef{kApp, path}, detail);
    }

private:
    int index(const AccessibleRef &o) const
    {
        for (int i = 0; i < texts.size(); ++i)
            if (texts[i].path == o.path)
                return i;
        return -1;
    }
    template <typename T> void answer(Reply<T> reply, std::optional<T> value)
    {
        ++calls;
        maxInFlight = std::max(maxInFlight, ++inFlight);
        if (!frozen)
            QTimer::singleShot(delayMs, this, [this, reply, value] { --inFlight, reply(value); });
    }
};

// A line's box and a pixel all round, so that the guide covers its ink.
QRectF padded(const QRect &r) { return QRectF(r).adjusted(-1, -1, 1, 1); }

} // namespace

class TestTextLines : public QObject
{
    Q_OBJECT

    FakeBus *bus = nullptr;
    std::unique_ptr<AtspiTextLines> lines;

    Rect lineAt(QPointF point)
    {
        QSignalSpy spy(lines.get(), &TextLineSource::lineAt);
        lines->requestLineAt(point);
        return spy.wait(2000) ? spy.first().at(1).value<Rect>() : QRectF(-1, -1, 1, 1); // never answered
    }
    Rect line(int text, int line) { return padded(bus->texts[text].rect(line)); }

    void start(AtspiTextLines::WindowFinder finder)
    {
        lines.reset();
        auto fake = std::make_unique<FakeBus>();
        bus = fake.get();
        // Two paragraphs: three lines, and below a blank line, another and
        // one of embedded objects.
        bus->texts = {
            FakeText{"/p1", {10, 100, 600, 60}, {"The first line\n", "short\n", "third line here\n"}},
            FakeText{"/p2", {10, 200, 600, 60}, {"\n", "after a blank\n", QString(2, QChar(0xFFFC))}}};
        lines = std::make_unique<AtspiTextLines>(std::move(fake), std::move(finder));
    }

private Q_SLOTS:
    void init()
    {
        start([](const QPointF &p) {
            platform::WindowAtPoint w;
            w.pid = kPid;
            w.frame = QRectF(0, 0, 800, 600);
            return w.frame.contains(p) ? std::optional(w) : std::nullopt;
        });
        lines->setActive(true, false);
    }
    // (GTK's nearest line far below the text, Qt's ranges that count their
    // end in: tests/textlines, on the real toolkits.)
    void lineAtPoint_data()
    {
        QTest::addColumn<bool>("minusOneRight");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("line"); // of /p1, or -1 for none
        QTest::newRow("on a line") << false << QPointF(30, 127) << 1;
        QTest::newRow("right of a short line: again at the left edge") << true << QPointF(300, 127) << 1;
        QTest::newRow("a line of embedded objects") << false << QPointF(12, 247) << -1;
    }
    void lineAtPoint()
    {
        QFETCH(bool, minusOneRight);
        QFETCH(QPointF, point);
        QFETCH(int, line);
        bus->texts[0].minusOneRight = minusOneRight;
        QCOMPARE(lineAt(point), line < 0 ? std::nullopt : this->line(0, line));
    }

    void frozenApplicationTimesOut()
    {
        bus->frozen = true;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(lineAt(QPointF(30, 107)), std::nullopt);
        QVERIFY2(clock.elapsed() >= 140 && clock.elapsed() < 1000,
                 qPrintable(QString::number(clock.elapsed())));
        bus->frozen = false; // the next question goes at once, not after the frozen call
        QCOMPARE(lineAt(QPointF(30, 107)), line(0, 0));
    }

    // An application slower than the timeout: nothing in time, then the line
    // once it answered.
    void lateAnswerIsGiven()
    {
        bus->delayMs = 40; // a dozen calls
        QSignalSpy spy(lines.get(), &TextLineSource::lineAt);
        lines->requestLineAt(QPointF(30, 107));
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 2, 2000);
        QCOMPARE(spy[0].at(1).value<Rect>(), std::nullopt);
        QCOMPARE(spy[1].at(1).value<Rect>(), line(0, 0));
    }

    // Asked again while a call is out: that call's answer is dropped and
    // only then the newest question goes, the one in between never.
    void newestQuestionWins()
    {
        QTest::qWait(20); // the bus opened
        bus->delayMs = 5;
        bus->maxInFlight = 0;
        QSignalSpy spy(lines.get(), &TextLineSource::lineAt);
        lines->requestLineAt(QPointF(30, 107));
        QCoreApplication::processEvents();
        QCOMPARE(bus->inFlight, 1);
        lines->requestLineAt(QPointF(30, 127));
        lines->requestLineAt(QPointF(30, 147));
        QVERIFY(spy.wait(1000));
        QTest::qWait(100);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toPointF(), QPointF(30, 147));
        QCOMPARE(spy.first().at(1).value<Rect>(), line(0, 2));
        QCOMPARE(bus->maxInFlight, 1);
    }

    void restingOnAKnownLineAsksNothing()
    {
        QVERIFY(lineAt(QPointF(30, 107)));
        const int calls = bus->calls;
        QCOMPARE(lineAt(QPointF(90, 105)), line(0, 0));
        QCOMPARE(bus->calls, calls);
        bus->texts[0].lineHeight = 25; // the text changed, and says so
        bus->emitEvent("object:text-changed", "/p1", 0);
        QCOMPARE(lineAt(QPointF(30, 107)), line(0, 0));
        QVERIFY(bus->calls > calls);
    }

    // (Steps within a paragraph, over the blank line between two, and over
    // Qt's lines that end at their feed: tests/textlines, tests/wayland.)
    void step_data()
    {
        QTest::addColumn<int>("fromY");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("text"); // -1: no line
        QTest::addColumn<int>("line");
        QTest::newRow("back into the previous paragraph") << 227 << -1 << 0 << 2;
        QTest::newRow("nothing before the first") << 107 << -1 << -1 << 0;
        QTest::newRow("nothing after the last text") << 227 << 1 << -1 << 0;
    }
    void step()
    {
        QFETCH(int, fromY);
        QFETCH(int, direction);
        QFETCH(int, text);
        QFETCH(int, line);
        QSignalSpy spy(lines.get(), &TextLineSource::stepped);
        lines->requestStep(QRectF(25, fromY - 5, 10, 10), direction);
        QVERIFY(spy.wait(1000));
        QCOMPARE(spy.first().at(2).value<Rect>(), text < 0 ? std::nullopt : this->line(text, line));
    }

    // Where the compositor tells which window has the keyboard, only that
    // window's process's caret is followed: terminals move theirs in windows
    // nobody looks at. (Window coordinates, title bars and shadows:
    // tests/wayland/textlines.sh, tests/gnome/gnome_lines.sh.)
    void caretOfTheFocusedProcessOnly_data()
    {
        QTest::addColumn<qint64>("focusedPid");
        QTest::newRow("the text's process") << kPid;
        QTest::newRow("another process") << kPid + 1;
    }
    void caretOfTheFocusedProcessOnly()
    {
        QFETCH(qint64, focusedPid);
        platform::WindowAtPoint focused;
        focused.pid = focusedPid;
        focused.frame = QRectF(0, 0, 800, 600);
        lines->setFocusFinder([focused] { return std::optional(focused); });
        lines->setActive(true, true);
        QSignalSpy spy(lines.get(), &TextLineSource::caretLineChanged);
        QTRY_VERIFY(bus->isOpen());
        bus->emitEvent("object:text-caret-moved", "/p1", bus->texts[0].startOf(2) + 2);
        QTest::qWait(100);
        QCOMPARE(spy.size(), focusedPid == kPid ? 1 : 0);
        if (!spy.isEmpty()) QCOMPARE(spy.first().at(0).toRectF(), *line(0, 2));
    }

    void caretAndSwitch()
    {
        QTRY_VERIFY(bus->enabled == true);
        lines->setActive(true, true);
        QVERIFY(bus->listening.contains("object:text-caret-moved"));
        QSignalSpy spy(lines.get(), &TextLineSource::caretLineChanged);
        // A storm: the first move and the newest are looked up, no more.
        for (int offset = 40; offset >= 20; --offset)
            bus->emitEvent("object:text-caret-moved", "/p1", offset);
        QTRY_VERIFY(!spy.isEmpty() && spy.last().at(0).toRectF() == line(0, 1));
        QCOMPARE(bus->focusAsked, 2);
        lines->setActive(false, false); // as it was before, and nothing open
        QVERIFY(bus->enabled == false && !bus->isOpen());
    }
};

QTEST_GUILESS_MAIN(TestTextLines)
#include "test_textlines.moc"
