// The settings model: numbers kept in range, change signals, the delayed
// save, damaged files, and saving that survives a kill or a failing disk.

#include "settings/Settings.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using S = AppSettings;
using N = S::Number;

const struct { const char *key; N number; double (S::*get)() const; void (S::*set)(double); } numbers[] = {
    {"customOpacity", N::opacity, &S::customOpacity, &S::setCustomOpacity},
    {"customThickness", N::thickness, &S::customThickness, &S::setCustomThickness},
    {"verticalGuideMargin", N::bracketWidth, &S::verticalGuideMargin, &S::setVerticalGuideMargin},
    {"verticalGuideOpacity", N::bracketOpacity, &S::verticalGuideOpacity, &S::setVerticalGuideOpacity},
    {"magnifierZoom", N::zoom, &S::magnifierZoom, &S::setMagnifierZoom},
    {"readingStripLineHeight", N::lineHeight, &S::readingStripLineHeight, &S::setReadingStripLineHeight},
};

// Sets 1 and 2 differ from each other in every key, and set 1 from the
// defaults in every key too: for round trips, change signals and torn writes.
void apply(S &s, int set)
{
    s.setCurrentStyle(set == 1 ? LineStyle::readingStrip : LineStyle::ruler);
    s.setCurrentColor({0.1 * set, 1.0 / 3, 0.3 * set, 0.4 * set});
    for (auto setBool : {&S::setLaunchAtLogin, &S::setVerticalGuidesEnabled, &S::setMagnifierEnabled,
                         &S::setGlobalHotkeysEnabled, &S::setFollowTextCursor})
        (s.*setBool)(set == 1);
    for (auto setBool : {&S::setSnapToTextLines, &S::setLineStepKeysEnabled}) // on by default
        (s.*setBool)(set != 1);
    for (const auto &n : numbers) { // away from every default, and not round
        const auto [lower, upper] = S::range(n.number);
        (s.*n.set)(lower + (upper - lower) * set / 3.1);
    }
}

QString freshPath()
{
    static QTemporaryDir dir;
    static int files = 0;
    return dir.filePath(QStringLiteral("c%1/tovani.conf").arg(files++));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString writeFile(const QByteArray &bytes)
{
    const QString path = freshPath();
    QFile file(path);
    const bool ok = QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly);
    return ok && file.write(bytes) == bytes.size() ? path : QString();
}

// Every value held, in a form QCOMPARE can show.
QByteArray state(const S &s)
{
    QByteArray t = LineStyles::rawValue(s.currentStyle()).toUtf8() + s.currentColor().encode().value_or("?");
    for (bool on : {s.launchAtLogin(), s.verticalGuidesEnabled(), s.magnifierEnabled(), s.globalHotkeysEnabled(),
                    s.snapToTextLines(), s.followTextCursor(), s.lineStepKeysEnabled()})
        t += on ? " on" : " off";
    for (const auto &n : numbers)
        t += ' ' + QByteArray::number((s.*n.get)(), 'g', 17);
    return t;
}

// flush(), with writes past 16 bytes failing (EFBIG) as on a full disk.
bool flushOnFullDisk(S &s, bool full = true)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{full ? 16 : saved.rlim_cur, saved.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = s.flush();
    setrlimit(RLIMIT_FSIZE, &saved);
    return ok;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valuesStayInRange()
    {
        // Typed into the file (any order, unknown members ignored), a colour
        // is read and clamped; the setter refuses NaN and clamps.
        QByteArray json = R"({"alpha":0.25, "blue":0.5, "note":"x", "green":-1, "red":2})";
        S colour(writeFile("currentColor=\"" + json.replace('"', "\\\"") + '"'));
        QCOMPARE(colour.currentColor(), (CodableColor{1, 0, 0.5, 0.25}));
        colour.setCurrentColor({2, -1, 0.5, 1e308});
        colour.setCurrentColor({qQNaN(), 0.5, 0.5, 1});
        QCOMPARE(colour.currentColor(), (CodableColor{1, 0, 0.5, 1}));

        // Through a setter or a hand-edited file, each number stays in its
        // range: clamped; not a number at all, the setter keeps the value
        // before and the file, where zero and negatives count as absent too,
        // gives the default.
        for (const auto &n : numbers) {
            const auto [lower, upper] = S::range(n.number);
            const double absent = (S(freshPath()).*n.get)(), before = lower + 0.25, mid = (lower + upper) / 2;
            const struct { double value, bySetter, fromFile; } cases[] = {
                {mid, mid, mid},       {lower / 2, lower, lower},   {upper + 1, upper, upper},
                {1e308, upper, upper}, {-3, lower, absent},         {qQNaN(), before, absent},
                {qInf(), before, absent}, {-qInf(), before, absent}};
            for (const auto &c : cases) {
                const QByteArray row = n.key + QByteArray("=") + QByteArray::number(c.value, 'g', 17);
                S s(freshPath());
                (s.*n.set)(before);
                QSignalSpy changed(&s, &S::changed);
                (s.*n.set)(c.value);
                QVERIFY2((s.*n.get)() == c.bySetter && changed.size() == (c.bySetter == before ? 0 : 1), row);
                QVERIFY2((S(writeFile("[General]\n" + row)).*n.get)() == c.fromFile, row);
            }
        }
    }

    void changesSignalledAndSavedShortlyAfter()
    {
        // A change is signalled after it is stored; the same value again
        // signals nothing. Many changes write nothing while they come and
        // all of them shortly after; flush() and destruction write at once;
        // each save replaces every key.
        const QString path = freshPath();
        auto s = std::make_unique<S>(path);
        QSignalSpy changed(s.get(), &S::changed);
        const QDeadlineTimer soonest(250); // the save waits for the changes to stop
        double seen = 0;
        connect(s.get(), &S::customThicknessChanged, this, [&] { seen = s->customThickness(); });
        apply(*s, 1);
        apply(*s, 1);
        QCOMPARE(seen, s->customThickness());
        QCOMPARE(changed.size(), 15);
        QTRY_VERIFY(QFile::exists(path) && !s->hasUnsavedChanges());
        QVERIFY(soonest.hasExpired());
        apply(*s, 2);
        QVERIFY(s->flush());
        QCOMPARE(state(S(path)), state(*s));
        s->setCurrentStyle(LineStyle::focusWindow);
        s.reset();
        QCOMPARE(S(path).currentStyle(), LineStyle::focusWindow);
    }

    void styleDefaultsAndReset()
    {
        // A style chosen again, or stored without opacity and thickness,
        // brings that style's own opacity and thickness (each differs from
        // the style before's).
        S s(freshPath());
        for (LineStyle style : LineStyles::allCases) {
            s.setCurrentStyle(style);
            s.applyStyle(style);
            QCOMPARE(state(s), state(S(writeFile("currentStyle=" + LineStyles::rawValue(style).toUtf8()))));
        }
        // Reset: first-launch values with the Highlight Bar, but launch at
        // login stays as the login item has it.
        apply(s, 1);
        s.resetToDefaults();
        QCOMPARE(state(s), state(S(writeFile("currentStyle=Highlight Bar\nlaunchAtLogin=true\n"))));
    }

    // A damaged file loads as the clean one in "sameAs" (what could not be
    // read is absent), stays beside as .bak, and the next save repairs it.
    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("sameAs");
        QByteArray random(4096, '\0');
        QRandomGenerator(20261206).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
        QTest::newRow("random bytes") << random << QByteArray();
        const auto row = [](const char *name, const QByteArray &content, const char *sameAs) {
            QTest::newRow(name) << "[General]\n" + content << QByteArray(sameAs);
        };
        row("another program's", "[Editor]\nwidth=3\n", "");
        row("line without =", "currentStyle=Ruler\nnote to self\n", "currentStyle=Ruler\n");
        row("nan", "customOpacity=lots\ncustomThickness=nan\nlaunchAtLogin=maybe\nmagnifierEnabled=nan\n"
                   "snapToTextLines=maybe", "");
        row("style in lower case", "currentStyle=ruler\nmagnifierEnabled=1", "magnifierEnabled=true");
        row("colour part", "currentColor=@ByteArray({\"red\":1})\nmagnifierZoom=3", "magnifierZoom=3");
        row("variant", "customThickness=@Variant(x)", "");
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, sameAs);
        const QString path = writeFile(content);
        const QString clean = writeFile(sameAs);
        S s(path);
        QCOMPARE(state(s), state(S(clean)));
        QVERIFY(!QFile::exists(clean + ".bak")); // the clean file is clean
        apply(s, 2);
        QVERIFY(s.flush());
        QCOMPARE(state(S(path)), state(s));
        QCOMPARE(readFile(path + ".bak"), content);
    }

    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("type"); // what is at the file's place
        QTest::newRow("disk full") << int(S_IFREG);
        QTest::newRow("folder in its place") << int(S_IFDIR);
        QTest::newRow("fifo in its place") << int(S_IFIFO);
    }

    void failedSaveKeepsTheOldFile()
    {
        // A save that cannot complete leaves what was there untouched and no
        // temporary file behind, and says so once per run of failures; the
        // next change after the obstacle is gone gets through. Something
        // other than a regular file is neither read (a FIFO would block for
        // ever) nor replaced.
        QFETCH(int, type);
        const QByteArray old = "[General]\ncurrentStyle=Ruler\n";
        const QString path = writeFile(old);
        if (type != S_IFREG)
            QVERIFY(QFile::remove(path) &&
                    (type == S_IFDIR ? QDir().mkdir(path) : !mkfifo(qPrintable(path), 0600)));
        S s(path);
        QSignalSpy failed(&s, &S::saveFailed);
        apply(s, 1);
        const bool full = type == S_IFREG; // else the thing in the file's place is the obstacle
        QVERIFY(!flushOnFullDisk(s, full) && !flushOnFullDisk(s, full) && s.failedSaves() == 2);
        QVERIFY(failed.size() == 1 && !s.saveError().isEmpty());
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(),
                 type == S_IFDIR ? 0 : 1);
        QCOMPARE(QFileInfo(path).isFile(), type == S_IFREG); // nothing made a file of a folder or a FIFO
        if (type != S_IFREG)
            return;
        QCOMPARE(readFile(path), old);
        s.setCustomThickness(12);
        QTRY_VERIFY(!s.hasUnsavedChanges() && s.saveError().isEmpty());
        QCOMPARE(state(S(path)), state(s));
        s.setCustomThickness(13);
        QVERIFY(!flushOnFullDisk(s) && failed.size() == 2);
    }

    void saveIsAtomic()
    {
        // A child saves the two sets in turn as fast as it can and is killed
        // at random moments; the file must always be one of the two whole,
        // never a mixture, a part or nothing.
        S s1(freshPath()), s2(freshPath());
        apply(s1, 1);
        apply(s2, 2);
        QVERIFY(s1.flush() && s2.flush());
        const QString path = s1.filePath();
        const QByteArray a = readFile(path), b = readFile(s2.filePath());
        QRandomGenerator gen(42);
        int seen[2] = {};
        for (int round = 0; round < 100; ++round) {
            // The child starts with the set not on disk, so the kill can land
            // in the write that changes it. It reports each finished save
            // through a pipe: the kill comes after 0 to 2 of them and a
            // random pause, whatever the disk's speed.
            int fds[2];
            pid_t child = -1;
            QVERIFY(pipe(fds) == 0 && (child = fork()) >= 0);
            if (child == 0) {
                // Temporary names not those of the child before, as a new
                // process would pick (a name a killed child left is taken).
                QRandomGenerator::global()->discard(quint64(getpid() % 4096) * 64);
                S s(path);
                for (int set = s.currentStyle() == LineStyle::ruler ? 1 : 2;; set = 3 - set) {
                    apply(s, set);
                    (void)!(s.flush() && write(fds[1], "s", 1) == 1);
                }
            }
            close(fds[1]);
            char byte;
            for (int saves = int(gen.bounded(3)); saves > 0 && read(fds[0], &byte, 1) == 1; --saves) {
            }
            usleep(gen.bounded(0, 20000));
            int status = 0;
            QVERIFY(kill(child, SIGKILL) == 0 && waitpid(child, &status, 0) == child && WIFSIGNALED(status));
            close(fds[0]);
            const QByteArray v = readFile(path);
            QVERIFY2(v == a || v == b, v.constData());
            ++seen[v == a ? 0 : 1];
        }
        QVERIFY2(seen[0] > 0 && seen[1] > 0, qPrintable(QString::asprintf("%d and %d", seen[0], seen[1])));
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
