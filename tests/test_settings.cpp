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

// Each number, its range and its value on a first launch (the README's;
// opacity and thickness are the Underline's).
using Number = std::tuple<const char *, double (S::*)() const, void (S::*)(double), double, double, double>;
const Number numbers[] = {
    {"customOpacity", &S::customOpacity, &S::setCustomOpacity, 0.1, 1, 0.6},
    {"customThickness", &S::customThickness, &S::setCustomThickness, 1, 100, 4},
    {"verticalGuideMargin", &S::verticalGuideMargin, &S::setVerticalGuideMargin, 1, 40, 20},
    {"verticalGuideOpacity", &S::verticalGuideOpacity, &S::setVerticalGuideOpacity, 0.1, 0.8, 0.5},
    {"magnifierZoom", &S::magnifierZoom, &S::setMagnifierZoom, 1.1, 3, 2},
    {"readingStripLineHeight", &S::readingStripLineHeight, &S::setReadingStripLineHeight, 8, 80, 22},
};

// Sets 1 and 2 differ from each other in every key, and set 1 from the
// defaults in every key too: for round trips, change signals and torn writes.
void apply(S &s, int set)
{
    s.setCurrentStyle(set == 1 ? LineStyle::readingStrip : LineStyle::ruler);
    s.setCurrentColor({0.1 * set, 1.0 / 3, 0.3 * set, 0.4 * set});
    for (auto setBool :
         {&S::setLaunchAtLogin, &S::setVerticalGuidesEnabled, &S::setMagnifierEnabled, &S::setGlobalHotkeysEnabled, &S::setFollowTextCursor})
        (s.*setBool)(set == 1);
    for (auto setBool : {&S::setSnapToTextLines, &S::setLineStepKeysEnabled}) // on by default
        (s.*setBool)(set != 1);
    // Numbers away from every default, and not round.
    for (const auto &[key, get, setNumber, lower, upper, first] : numbers)
        (s.*setNumber)(lower + (upper - lower) * set / 3.1);
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

// Every value held, as "key=value" words.
QStringList state(const S &s)
{
    const auto number = [](double value) { return QString::number(value, 'g', 16); };
    const CodableColor c = s.currentColor();
    QStringList words{"style=" + LineStyles::rawValue(s.currentStyle()),
                      "colour=" + QStringList{number(c.red), number(c.green), number(c.blue), number(c.alpha)}.join(u' ')};
    for (const auto &[name, on] : {std::pair{"login", s.launchAtLogin()},
                                   {"brackets", s.verticalGuidesEnabled()},
                                   {"magnifier", s.magnifierEnabled()},
                                   {"hotkeys", s.globalHotkeysEnabled()},
                                   {"snap", s.snapToTextLines()},
                                   {"caret", s.followTextCursor()},
                                   {"linekeys", s.lineStepKeysEnabled()}})
        words << QLatin1String(name) + (on ? "=on" : "=off");
    for (const auto &[key, get, set, lower, upper, first] : numbers)
        words << QLatin1String(key) + '=' + number((s.*get)());
    return words;
}

// What a first launch holds, with `changes` ("key=value, ...") in place.
QStringList firstLaunch(const QString &changes = {})
{
    QStringList words{"style=Underline", "colour=1 0.75 0 1", "login=off", "brackets=off", "magnifier=off",
                      "hotkeys=off",     "snap=on",           "caret=off", "linekeys=on"};
    for (const auto &[key, get, set, lower, upper, first] : numbers)
        words << QLatin1String(key) + '=' + QString::number(first);
    for (const QString &change : changes.split(QStringLiteral(", "), Qt::SkipEmptyParts))
        for (QString &word : words)
            word = word.section(u'=', 0, 0) == change.section(u'=', 0, 0) ? change : word;
    return words;
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

// A child's work: saves sets 1 and 2 in turn to `path` as fast as it can,
// starting with the set not on disk so that a kill can land in the write that
// changes it, and writes a byte to `done` after each finished save.
[[noreturn]] void saveInTurns(const QString &path, int done)
{
    // Temporary names not those of the child before, as a new process would
    // pick (a name a killed child left is taken).
    QRandomGenerator::global()->discard(quint64(getpid() % 4096) * 64);
    S s(path);
    for (int set = s.currentStyle() == LineStyle::ruler ? 1 : 2;; set = 3 - set) {
        apply(s, set);
        (void)!(s.flush() && write(done, "s", 1) == 1);
    }
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void coloursStayInRange()
    {
        // Typed into the file (any order, unknown members ignored), a colour
        // is read and clamped; the setter refuses NaN and clamps.
        QByteArray json = R"({"alpha":0.25, "blue":0.5, "note":"x", "green":-1, "red":2})";
        S colour(writeFile("currentColor=\"" + json.replace('"', "\\\"") + '"'));
        QCOMPARE(colour.currentColor(), (CodableColor{1, 0, 0.5, 0.25}));
        colour.setCurrentColor({2, -1, 0.5, 1e308});
        colour.setCurrentColor({qQNaN(), 0.5, 0.5, 1});
        QCOMPARE(colour.currentColor(), (CodableColor{1, 0, 0.5, 1}));
    }

    // Through a setter or a hand-edited file, each number stays in its range:
    // clamped; not a number at all, the setter keeps the value before and the
    // file, where zero and negatives count as absent too, gives the default.
    void numbersStayInRange_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("bySetter");
        QTest::addColumn<double>("fromFile");
        for (int i = 0; i < int(std::size(numbers)); ++i) {
            const auto &[key, get, set, lower, upper, first] = numbers[i];
            const double before = lower + 0.25, mid = (lower + upper) / 2, inf = qInf();
            // clang-format off
            const std::tuple<const char *, double, double, double> cases[] = {
                {"mid", mid, mid, mid},        {"below", lower / 2, lower, lower}, {"above", upper + 1, upper, upper},
                {"huge", 1e308, upper, upper}, {"negative", -3, lower, first},     {"NaN", qQNaN(), before, first},
                {"inf", inf, before, first},   {"-inf", -inf, before, first}};
            // clang-format on
            for (const auto &[what, value, bySetter, fromFile] : cases)
                QTest::addRow("%s %s", key, what) << i << value << bySetter << fromFile;
        }
    }

    void numbersStayInRange()
    {
        QFETCH(int, number);
        QFETCH(double, value);
        QFETCH(double, bySetter);
        QFETCH(double, fromFile);
        const auto &[key, get, set, lower, upper, first] = numbers[number];
        S s(freshPath());
        (s.*set)(lower + 0.25);
        QSignalSpy changed(&s, &S::changed);
        (s.*set)(value);
        QCOMPARE((s.*get)(), bySetter);
        QCOMPARE(changed.size(), bySetter == lower + 0.25 ? 0 : 1);
        QCOMPARE((S(writeFile("[General]\n" + QByteArray(key) + '=' + QByteArray::number(value, 'g', 17))).*get)(), fromFile);
    }

    // A file loads as a first launch with the changes that could be read; a
    // style alone brings its own opacity and thickness. A damaged file stays
    // beside as .bak and the next save repairs it; a clean one has no .bak.
    void fileLoads_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QString>("changes");
        QTest::addColumn<bool>("damaged");
        const auto row = [](const char *name, const QByteArray &content, const char *changes, bool damaged = true) {
            QTest::newRow(name) << content << QString::fromLatin1(changes) << damaged;
        };
        row("no file", {}, "", false);
        row("highlight bar", "currentStyle=Highlight Bar", "style=Highlight Bar, customOpacity=0.5, customThickness=28", false);
        row("focus window", "currentStyle=Focus Window", "style=Focus Window, customThickness=50", false);
        row("ruler", "currentStyle=Ruler", "style=Ruler, customOpacity=0.85, customThickness=45", false);
        row("reading strip", "currentStyle=Reading Strip", "style=Reading Strip, customOpacity=0.55, customThickness=55", false);
        QByteArray random(4096, '\0');
        QRandomGenerator(20261206).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
        row("random bytes", random, "");
        row("another program's", "[Editor]\nwidth=3\n", "");
        row("line without =", "currentStyle=Ruler\nnote to self\n", "style=Ruler, customOpacity=0.85, customThickness=45");
        row("nan",
            "customOpacity=lots\ncustomThickness=nan\nlaunchAtLogin=maybe\nmagnifierEnabled=nan\n"
            "snapToTextLines=maybe",
            "");
        row("style in lower case", "currentStyle=ruler\nmagnifierEnabled=1", "magnifier=on");
        row("colour part", "currentColor=@ByteArray({\"red\":1})\nmagnifierZoom=3", "magnifierZoom=3");
        row("variant", "customThickness=@Variant(x)", "");
    }

    void fileLoads()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, changes);
        QFETCH(bool, damaged);
        const QString path = content.isNull() ? freshPath() : writeFile(content);
        S s(path);
        QCOMPARE(state(s), firstLaunch(changes));
        apply(s, 2);
        QVERIFY(s.flush());
        QCOMPARE(state(S(path)), state(s));
        QCOMPARE(readFile(path + ".bak"), damaged ? content : "<missing>");
    }

    // A style chosen again brings back its own opacity and thickness, those
    // of a file with that style alone (fileLoads); a reset gives the
    // Highlight Bar's, and leaves launch at login as the login item has it.
    void styleChosenAgainAndReset()
    {
        S s(freshPath());
        for (LineStyle style : LineStyles::allCases) {
            s.setCustomOpacity(0.3);
            s.setCustomThickness(7);
            s.applyStyle(style);
            QCOMPARE(state(s), state(S(writeFile("currentStyle=" + LineStyles::rawValue(style).toUtf8()))));
        }
        apply(s, 1); // login on
        s.resetToDefaults();
        QCOMPARE(state(s), firstLaunch("style=Highlight Bar, customOpacity=0.5, customThickness=28, login=on"));
    }

    void changesSignalledAfterTheyAreStored()
    {
        // Each change signals once, after it is stored; the same value again
        // signals nothing. (That changes reach the disk soon, and at the end
        // of a run: x11_test_shell_cli, x11_test_shell_lifecycle.)
        S s(freshPath());
        QSignalSpy changed(&s, &S::changed);
        double seen = 0;
        connect(&s, &S::customThicknessChanged, this, [&] { seen = s.customThickness(); });
        apply(s, 1);
        apply(s, 1);
        QCOMPARE(seen, s.customThickness());
        QCOMPARE(changed.size(), 15);
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
        // A save that cannot complete leaves no temporary file behind and says
        // so once per run of failures: again after a save got through.
        // Something other than a regular file is neither read (a FIFO would
        // block for ever) nor replaced. (The old file kept whole, and the next
        // change saved once the disk has room: x11_test_shell_disk_full.)
        QFETCH(int, type);
        const QByteArray old = "[General]\ncurrentStyle=Ruler\n";
        const QString path = writeFile(old);
        if (type != S_IFREG) QVERIFY(QFile::remove(path) && (type == S_IFDIR ? QDir().mkdir(path) : !mkfifo(qPrintable(path), 0600)));
        S s(path);
        QSignalSpy failed(&s, &S::saveFailed);
        apply(s, 1);
        const bool full = type == S_IFREG; // else the thing in the file's place is the obstacle
        QVERIFY(!flushOnFullDisk(s, full) && !flushOnFullDisk(s, full) && s.failedSaves() == 2);
        QVERIFY2(failed.size() == 1 && s.saveError().contains(path), qPrintable(s.saveError()));
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), type == S_IFDIR ? 0 : 1);
        QCOMPARE(QFileInfo(path).isFile(), type == S_IFREG); // nothing made a file of a folder or a FIFO
        if (type == S_IFREG) {
            s.setCustomThickness(13);
            QVERIFY(s.flush() && s.saveError().isEmpty());
            s.setCustomThickness(14);
            QVERIFY(!flushOnFullDisk(s) && failed.size() == 2);
        }
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
            // The kill comes after 0 to 2 saves and a random pause, whatever
            // the disk's speed.
            int fds[2];
            pid_t child = -1;
            QVERIFY(pipe(fds) == 0 && (child = fork()) >= 0);
            if (child == 0) saveInTurns(path, fds[1]);
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
