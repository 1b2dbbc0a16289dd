// The line under a point and the next line, asked of a fake accessibility
// bus: the toolkits' quirks, the timeout, the newest question winning with
// one call in flight, the cache, stepping across paragraphs, the caret and
// the accessibility switch.

#include "textlines/AtspiTextLines.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace textlines;

namespace {

const QString kApp = QStringLiteral(":1.7");
const QString kRoot = QStringLiteral("/org/a11y/atspi/accessible/root");
constexpr qint64 kPid = 4242;
constexpr int kCharWidth = 8;

// A text object: its lines, stacked from its top, each `kCharWidth` per
// character; and how its toolkit answers.
struct FakeText
{
    QString path;
    QRect extents;
    QStringList lines; // with their line feeds
    int lineHeight = 20;
    bool nearest = false;       // an offset even far below the text (GTK, VTE)
    bool minusOneRight = false; // -1 right of a short line (Qt, Firefox)
    bool inclusiveEnd = false;  // ranges count their end in (Qt)
    bool endAtFeed = false;     // a line ends at its line feed, not after it (Qt)

    int startOf(int line) const
    {
        int offset = 0;
        for (int i = 0; i < line; ++i)
            offset += int(lines[i].size());
        return offset;
    }
    int lineOf(int offset) const
    {
        for (int i = 0; i < lines.size(); ++i)
            if (offset < startOf(i + 1))
                return i;
        return int(lines.size()) - 1;
    }
    QRect lineRect(int line) const
    {
        return {extents.left(), extents.top() + line * lineHeight,
                int(lines[line].trimmed().size()) * kCharWidth, lineHeight};
    }
};

class FakeBus : public AccessibilityBus
{
public:
    QList<FakeText> texts; // children of the one frame, in order
    QRect frame{0, 0, 800, 600};
    bool frozen = false; // calls are taken and never answered
    int delayMs = 0;
    int calls = 0, inFlight = 0, maxInFlight = 0;
    std::optional<bool> enabled = false;
    QStringList listening;

    void readEnabled(Reply<bool> reply) override { answer(reply, enabled); }
    void writeEnabled(bool on) override { enabled = on; }
    void open(Reply<bool> reply) override
    {
        m_open = true;
        answer(reply, std::optional<bool>(true));
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void applications(Reply<QList<AccessibleRef>> reply) override
    {
        answer(reply, std::optional(QList<AccessibleRef>{{":1.3", kRoot}, {kApp, kRoot}}));
    }
    void processId(const QString &service, Reply<qint64> reply) override
    {
        answer(reply, std::optional<qint64>(service == kApp ? kPid : 1));
    }
    void children(const AccessibleRef &o, Reply<QList<AccessibleRef>> reply) override
    {
        answer(reply, o.path == kRoot ? std::optional(QList<AccessibleRef>{{kApp, "/frame"}}) : std::nullopt);
    }
    void parent(const AccessibleRef &o, Reply<AccessibleRef> reply) override
    {
        answer(reply, text(o) ? std::optional(AccessibleRef{kApp, "/frame"}) : std::nullopt);
    }
    void indexInParent(const AccessibleRef &o, Reply<int> reply) override
    {
        for (int i = 0; i < texts.size(); ++i)
            if (texts[i].path == o.path)
                return answer(reply, std::optional(i));
        answer(reply, std::optional<int>());
    }
    void childAtIndex(const AccessibleRef &, int index, Reply<AccessibleRef> reply) override
    {
        answer(reply, std::optional(index < texts.size() ? AccessibleRef{kApp, texts[index].path}
                                                         : AccessibleRef{kApp, "/org/a11y/atspi/null"}));
    }
    void isFocused(const AccessibleRef &, Reply<bool> reply) override { answer(reply, std::optional(true)); }
    void extents(const AccessibleRef &o, CoordType, Reply<QRect> reply) override
    {
        answer(reply, o.path == "/frame" ? std::optional(frame)
                      : text(o)          ? std::optional(text(o)->extents)
                                         : std::nullopt);
    }
    void accessibleAtPoint(const AccessibleRef &o, QPoint p, CoordType, Reply<AccessibleRef> reply) override
    {
        AccessibleRef hit{kApp, "/org/a11y/atspi/null"};
        for (const FakeText &t : std::as_const(texts))
            if (o.path == "/frame" && t.extents.contains(p))
                hit.path = t.path;
        answer(reply, std::optional(hit));
    }
    void characterCount(const AccessibleRef &o, Reply<int> reply) override
    {
        answer(reply, text(o) ? std::optional(text(o)->startOf(int(text(o)->lines.size()))) : std::nullopt);
    }
    void offsetAtPoint(const AccessibleRef &o, QPoint p, CoordType, Reply<int> reply) override
    {
        const FakeText *t = text(o);
        if (!t)
            return answer(reply, std::optional<int>());
        int line = (p.y() - t->extents.top()) / t->lineHeight;
        if (line < 0 || line >= t->lines.size()) {
            if (!t->nearest)
                return answer(reply, std::optional(-1));
            line = std::clamp(line, 0, int(t->lines.size()) - 1);
        }
        const QRect r = t->lineRect(line);
        if (p.x() > r.right() && t->minusOneRight)
            return answer(reply, std::optional(-1));
        const int column = std::clamp((p.x() - r.left()) / kCharWidth, 0, int(t->lines[line].size()) - 1);
        answer(reply, std::optional(t->startOf(line) + column));
    }
    void lineAtOffset(const AccessibleRef &o, int offset, Reply<TextSpan> reply) override
    {
        const FakeText *t = text(o);
        if (!t)
            return answer(reply, std::optional<TextSpan>());
        const int line = t->lineOf(offset);
        const int feed = t->endAtFeed && t->lines[line].endsWith('\n') ? 1 : 0;
        answer(reply, std::optional(TextSpan{t->lines[line], t->startOf(line), t->startOf(line + 1) - feed}));
    }
    void rangeExtents(const AccessibleRef &o, int start, int end, CoordType, Reply<QRect> reply) override
    {
        const FakeText *t = text(o);
        if (!t)
            return answer(reply, std::optional<QRect>());
        const int last = t->inclusiveEnd ? end : end - 1;
        QRect r = t->lineRect(t->lineOf(start));
        for (int line = t->lineOf(start) + 1; line <= t->lineOf(std::max(start, last)); ++line)
            r |= t->lineRect(line);
        answer(reply, std::optional(r));
    }
    void listen(const QStringList &events) override { listening = events; }

    void emitEvent(const QString &name, const QString &path, int detail)
    {
        Q_EMIT event(name, AccessibleRef{kApp, path}, detail);
    }

private:
    const FakeText *text(const AccessibleRef &o) const
    {
        for (const FakeText &t : texts)
            if (t.path == o.path)
                return &t;
        return nullptr;
    }
    template <typename T> void answer(Reply<T> reply, std::optional<T> value)
    {
        ++calls;
        maxInFlight = std::max(maxInFlight, ++inFlight);
        if (frozen)
            return;
        QTimer::singleShot(delayMs, this, [this, reply, value] {
            --inFlight;
            reply(value);
        });
    }
    bool m_open = false;
};

// Two paragraphs: three lines at the top of the window, a blank line and two
// more further down.
QList<FakeText> paragraphs()
{
    return {FakeText{"/p1", {10, 100, 600, 60}, {"The first line\n", "short\n", "third line here\n"}},
            FakeText{"/p2", {10, 200, 600, 60}, {"\n", "after a blank\n", "\xef\xbf\xbc\xef\xbf\xbc"}}};
}

QRectF padded(const QRect &r)
{
    const qreal p = AtspiTextLines::kLinePadding;
    return QRectF(r).adjusted(-p, -p, p, p);
}

} // namespace

class TestTextLines : public QObject
{
    Q_OBJECT

    FakeBus *bus = nullptr;
    std::unique_ptr<AtspiTextLines> lines;

    std::optional<QRectF> lineAt(QPointF point)
    {
        QSignalSpy spy(lines.get(), &TextLineSource::lineAt);
        lines->requestLineAt(point);
        if (!spy.wait(1000))
            return QRectF(-1, -1, -1, -1); // never answered: fails any comparison
        return spy.first().at(1).value<std::optional<QRectF>>();
    }

private Q_SLOTS:
    void init()
    {
        auto fake = std::make_unique<FakeBus>();
        bus = fake.get();
        bus->texts = paragraphs();
        lines = std::make_unique<AtspiTextLines>(std::move(fake), [this](const QPointF &p) {
            platform::WindowAtPoint w;
            w.pid = kPid;
            w.frame = bus->frame;
            return bus->frame.contains(p.toPoint()) ? std::optional(w) : std::nullopt;
        });
        lines->setActive(true, false);
    }

    void lineAtPoint_data()
    {
        QTest::addColumn<QString>("toolkit");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("line"); // of /p1, or -1 for none
        QTest::newRow("on a line") << "" << QPointF(30, 127) << 1;
        QTest::newRow("right of a short line: again at the left edge")
            << "minusOneRight" << QPointF(300, 127) << 1;
        QTest::newRow("a range's end counted in") << "inclusiveEnd" << QPointF(30, 107) << 0;
        QTest::newRow("nearest line far below the text") << "nearest" << QPointF(30, 180) << -1;
        QTest::newRow("below the text") << "" << QPointF(30, 180) << -1;
        QTest::newRow("outside every window") << "" << QPointF(900, 100) << -1;
    }
    void lineAtPoint()
    {
        QFETCH(QString, toolkit);
        QFETCH(QPointF, point);
        QFETCH(int, line);
        FakeText &t = bus->texts[0];
        t.nearest = toolkit == "nearest";
        t.minusOneRight = toolkit == "minusOneRight";
        t.inclusiveEnd = toolkit == "inclusiveEnd";
        QCOMPARE(lineAt(point), line < 0 ? std::nullopt : std::optional(padded(t.lineRect(line))));
    }

    void lineOfEmbeddedObjectsIsNone() { QCOMPARE(lineAt(QPointF(12, 247)), std::nullopt); }

    void frozenApplicationTimesOut()
    {
        bus->frozen = true;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(lineAt(QPointF(30, 107)), std::nullopt);
        QVERIFY2(clock.elapsed() >= 140 && clock.elapsed() < 400,
                 qPrintable(QString::number(clock.elapsed())));
        bus->frozen = false; // the next question goes at once, not after the frozen call
        QCOMPARE(lineAt(QPointF(30, 107)), padded(bus->texts[0].lineRect(0)));
    }

    void newestQuestionWins()
    {
        QTest::qWait(20); // the bus opened
        bus->delayMs = 5;
        bus->maxInFlight = 0;
        QSignalSpy spy(lines.get(), &TextLineSource::lineAt);
        for (int y : {107, 127, 147})
            lines->requestLineAt(QPointF(30, y));
        QVERIFY(spy.wait(1000));
        QTest::qWait(100);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toPointF(), QPointF(30, 147));
        QCOMPARE(spy.first().at(1).value<std::optional<QRectF>>(), padded(bus->texts[0].lineRect(2)));
        QCOMPARE(bus->maxInFlight, 1);
    }

    void restingOnAKnownLineAsksNothing()
    {
        QVERIFY(lineAt(QPointF(30, 107)));
        const int calls = bus->calls;
        QCOMPARE(lineAt(QPointF(90, 105)), padded(bus->texts[0].lineRect(0)));
        QCOMPARE(bus->calls, calls);
        bus->texts[0].lineHeight = 25; // the text changed, and says so
        bus->emitEvent("object:text-changed", "/p1", 0);
        QCOMPARE(lineAt(QPointF(30, 107)), padded(bus->texts[0].lineRect(0)));
        QVERIFY(bus->calls > calls);
    }

    void step_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("path"); // empty: no line
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("endAtFeed");
        QTest::newRow("next in the paragraph") << QPointF(30, 107) << 1 << "/p1" << 1 << false;
        QTest::newRow("next, the line ending at its feed") << QPointF(30, 107) << 1 << "/p1" << 1 << true;
        QTest::newRow("previous in the paragraph") << QPointF(30, 127) << -1 << "/p1" << 0 << false;
        QTest::newRow("into the next paragraph, over the blank line")
            << QPointF(30, 147) << 1 << "/p2" << 1 << false;
        QTest::newRow("back into the previous paragraph") << QPointF(30, 227) << -1 << "/p1" << 2 << false;
        QTest::newRow("nothing before the first") << QPointF(30, 107) << -1 << "" << 0 << false;
        QTest::newRow("nothing after the last text") << QPointF(30, 227) << 1 << "" << 0 << false;
    }
    void step()
    {
        QFETCH(QPointF, from);
        QFETCH(int, direction);
        QFETCH(QString, path);
        QFETCH(int, line);
        QFETCH(bool, endAtFeed);
        bus->texts[0].endAtFeed = bus->texts[1].endAtFeed = endAtFeed;
        QSignalSpy spy(lines.get(), &TextLineSource::stepped);
        lines->requestStep(QRectF(from - QPointF(5, 5), QSizeF(10, 10)), direction);
        QVERIFY(spy.wait(1000));
        const auto got = spy.first().at(2).value<std::optional<QRectF>>();
        const FakeText &t = bus->texts[path == "/p2" ? 1 : 0];
        QCOMPARE(got, path.isEmpty() ? std::nullopt : std::optional(padded(t.lineRect(line))));
    }

    void caretAndSwitch()
    {
        QTRY_VERIFY(bus->enabled == true);
        lines->setActive(true, true);
        QVERIFY(bus->listening.contains("object:text-caret-moved"));
        QSignalSpy spy(lines.get(), &TextLineSource::caretLineChanged);
        bus->emitEvent("object:text-caret-moved", "/p1", 20);
        QVERIFY(spy.wait(1000));
        QCOMPARE(spy.first().at(0).toRectF(), padded(bus->texts[0].lineRect(1)));
        lines->setActive(false, false); // as it was before, and nothing open
        QVERIFY(bus->enabled == false);
        QVERIFY(!bus->isOpen());
    }
};

QTEST_GUILESS_MAIN(TestTextLines)
#include "test_textlines.moc"
