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
        return {extents.left(), extents.top() + line * lineHeight, int(lines[line].trimmed().size()) * kCharWidth, lineHeight};
    }
};

using Ref = AccessibleRef;
using Refs = QList<AccessibleRef>;

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
    void open(Reply<bool> r) override { answer(r, opened = true); }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void applications(Reply<Refs> r) override { answer(r, Refs{{":1.3", "/root"}, {kApp, "/root"}}); }
    void processId(const QString &s, Reply<qint64> r) override { answer(r, s == kApp ? kPid : 1); }
    void children(const Ref &, Reply<Refs> r) override { answer(r, Refs{{kApp, "/frame"}}); }
    void parent(const Ref &, Reply<Ref> r) override { answer(r, Ref{kApp, "/frame"}); }
    void indexInParent(const Ref &o, Reply<int> r) override { answer(r, index(o)); }
    void childAtIndex(const Ref &, int i, Reply<Ref> r) override { answer(r, Ref{kApp, i < texts.size() ? texts[i].path : kNull}); }
    void isFocused(const Ref &, Reply<bool> r) override { ++focusAsked, answer(r, true); }
    void extents(const Ref &o, CoordType, Reply<QRect> r) override { answer(r, index(o) < 0 ? QRect(0, 0, 800, 600) : texts[index(o)].extents); }
    void accessibleAtPoint(const Ref &o, QPoint p, CoordType, Reply<Ref> r) override
    {
        Ref hit{kApp, kNull};
        for (const FakeText &t : std::as_const(texts))
            if (o.path == "/frame" && t.extents.contains(p)) hit.path = t.path;
        answer(r, hit);
    }
    void characterCount(const Ref &o, Reply<int> r) override { answer(r, index(o) < 0 ? std::nullopt : std::optional(texts[index(o)].startOf(99))); }
    void offsetAtPoint(const Ref &o, QPoint p, CoordType, Reply<int> r) override
    {
        if (index(o) < 0) return answer(r, std::optional<int>());
        const FakeText &t = texts[index(o)];
        const int line = (p.y() - t.extents.top()) / t.lineHeight;
        if (line < 0 || line >= t.lines.size() || (p.x() > t.rect(line).right() && t.minusOneRight)) return answer(r, -1);
        answer(r, t.startOf(line) + std::clamp((p.x() - t.extents.left()) / kCharWidth, 0, 3));
    }
    void lineAtOffset(const Ref &o, int offset, Reply<TextSpan> r) override
    {
        const FakeText &t = texts[index(o)];
        const int line = t.lineOf(offset);
        answer(r, TextSpan{t.lines[line], t.startOf(line), t.startOf(line + 1)});
    }
    void rangeExtents(const Ref &o, int start, int end, CoordType, Reply<QRect> r) override
    {
        const FakeText &t = texts[index(o)];
        QRect united = t.rect(t.lineOf(start));
        for (int line = t.lineOf(start) + 1; line <= t.lineOf(end - 1); ++line)
            united |= t.rect(line);
        answer(r, united);
    }
    void listen(const QStringList &events) override { listening = events; }
    void emitEvent(const QString &name, const QString &path, int detail) { Q_EMIT event(name, {kApp, path}, detail); }

private:
    int index(const Ref &o) const
    {
        for (int i = 0; i < texts.size(); ++i)
            if (texts[i].path == o.path) return i;
        return -1;
    }
    template <typename T, typename V> void answer(Reply<T> reply, V given)
    {
        const std::optional<T> value(std::move(given));
        ++calls;
        maxInFlight = std::max(maxInFlight, ++inFlight);
        if (!frozen) QTimer::singleShot(delayMs, this, [this, reply, value] { --inFlight, reply(value); });
    }
};

// The one window, of the text's process.
platform::WindowAtPoint window(qint64 pid)
{
    platform::WindowAtPoint w;
    w.pid = pid, w.frame = QRectF(0, 0, 800, 600);
    return w;
}

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
    // A line's box and a pixel all round, so that the guide covers its ink.
    Rect line(int text, int line) { return QRectF(bus->texts[text].rect(line)).adjusted(-1, -1, 1, 1); }

private Q_SLOTS:
    void init()
    {
        auto fake = std::make_unique<FakeBus>();
        bus = fake.get();
        // Two paragraphs: three lines, and below a blank line, another and
        // one of embedded objects.
        bus->texts = {FakeText{"/p1", {10, 100, 600, 60}, {"The first line\n", "short\n", "third line here\n"}},
                      FakeText{"/p2", {10, 200, 600, 60}, {"\n", "after a blank\n", QString(2, QChar(0xFFFC))}}};
        lines = std::make_unique<AtspiTextLines>(
            std::move(fake), [](const QPointF &p) { return window(kPid).frame.contains(p) ? std::optional(window(kPid)) : std::nullopt; });
        lines->setActive(true, false);
    }
    void frozenApplicationTimesOut()
    {
        bus->frozen = true;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(lineAt(QPointF(30, 107)), std::nullopt);
        QVERIFY2(clock.elapsed() >= 140 && clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
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

    // The line at a point, or a step from a box 10 points square there.
    // (GTK's nearest line far below the text, Qt's ranges that count their
    // end in, steps within a paragraph, over the blank line between two and
    // over Qt's lines that end at their feed: tests/textlines, tests/wayland,
    // on the real toolkits.)
    void lineAtOrStep_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("direction"); // 0: the line at the point
        QTest::addColumn<bool>("minusOneRight");
        QTest::addColumn<int>("text"); // -1: no line
        QTest::addColumn<int>("line");
        QTest::newRow("on a line") << QPointF(30, 127) << 0 << false << 0 << 1;
        QTest::newRow("right of a short line: again at the left edge") << QPointF(300, 127) << 0 << true << 0 << 1;
        QTest::newRow("a line of embedded objects") << QPointF(12, 247) << 0 << false << -1 << 0;
        QTest::newRow("back into the previous paragraph") << QPointF(30, 227) << -1 << false << 0 << 2;
        QTest::newRow("nothing before the first") << QPointF(30, 107) << -1 << false << -1 << 0;
        QTest::newRow("nothing after the last text") << QPointF(30, 227) << 1 << false << -1 << 0;
    }
    void lineAtOrStep()
    {
        QFETCH(QPointF, point);
        QFETCH(int, direction);
        QFETCH(bool, minusOneRight);
        QFETCH(int, text);
        QFETCH(int, line);
        bus->texts[0].minusOneRight = minusOneRight;
        const Rect expected = text < 0 ? std::nullopt : this->line(text, line);
        if (direction == 0) {
            QCOMPARE(lineAt(point), expected);
            return;
        }
        QSignalSpy spy(lines.get(), &TextLineSource::stepped);
        lines->requestStep(QRectF(point - QPointF(5, 5), QSizeF(10, 10)), direction);
        QVERIFY(spy.wait(1000));
        QCOMPARE(spy.first().at(2).value<Rect>(), expected);
    }

    // A storm of caret moves: the first and the newest are looked up, no
    // more. Where the compositor tells which window has the keyboard, only
    // that window's process's caret is followed (terminals move theirs in
    // windows nobody looks at), else the object is asked whether it has the
    // focus. (Window coordinates, title bars and shadows:
    // tests/wayland/textlines.sh, tests/gnome/gnome_lines.sh.) Then the
    // accessibility switch is as it was before, and nothing open.
    void caretAndSwitch_data()
    {
        QTest::addColumn<qint64>("focusedPid"); // 0: not known
        QTest::newRow("focus not known") << qint64(0);
        QTest::newRow("focus in the text's process") << kPid;
        QTest::newRow("focus in another process") << kPid + 1;
    }
    void caretAndSwitch()
    {
        QFETCH(qint64, focusedPid);
        if (focusedPid) lines->setFocusFinder([focusedPid] { return std::optional(window(focusedPid)); });
        QTRY_VERIFY(bus->enabled == true);
        lines->setActive(true, true);
        QVERIFY(bus->listening.contains("object:text-caret-moved"));
        QSignalSpy spy(lines.get(), &TextLineSource::caretLineChanged);
        for (int offset = 40; offset >= 20; --offset)
            bus->emitEvent("object:text-caret-moved", "/p1", offset);
        QTest::qWait(100);
        QCOMPARE(spy.isEmpty(), focusedPid == kPid + 1);
        if (!spy.isEmpty()) QCOMPARE(spy.last().at(0).toRectF(), *line(0, 1));
        QCOMPARE(bus->focusAsked, focusedPid ? 0 : 2);
        lines->setActive(false, false);
        QVERIFY(bus->enabled == false && !bus->isOpen());
    }
};

QTEST_GUILESS_MAIN(TestTextLines)
#include "test_textlines.moc"
