// The settings model: styles, palette, the stored colour's JSON form, loading
// fallbacks, save/applyStyle/reset, the file's place and format, damaged files
// and saving that survives being killed at any moment.

#include "settings/Settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <limits>
#include <memory>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Values
{
    LineStyle style;
    CodableColor color;
    double opacity, thickness;
    bool launch, vertical;
    double margin, verticalOpacity;
    bool magnifier;
    double zoom, lineHeight;
    bool hotkeys;

    bool operator==(const Values &) const = default;

    static Values of(const AppSettings &s)
    {
        return {s.currentStyle(),          s.currentColor(),          s.customOpacity(),
                s.customThickness(),       s.launchAtLogin(),         s.verticalGuidesEnabled(),
                s.verticalGuideMargin(),   s.verticalGuideOpacity(),  s.magnifierEnabled(),
                s.magnifierZoom(),         s.readingStripLineHeight(), s.globalHotkeysEnabled()};
    }

    void applyTo(AppSettings &s) const
    {
        s.setCurrentStyle(style);
        s.setCurrentColor(color);
        s.setCustomOpacity(opacity);
        s.setCustomThickness(thickness);
        s.setLaunchAtLogin(launch);
        s.setVerticalGuidesEnabled(vertical);
        s.setVerticalGuideMargin(margin);
        s.setVerticalGuideOpacity(verticalOpacity);
        s.setMagnifierEnabled(magnifier);
        s.setMagnifierZoom(zoom);
        s.setReadingStripLineHeight(lineHeight);
        s.setGlobalHotkeysEnabled(hotkeys);
    }
};

const Values firstLaunch{LineStyle::underline, CodableColor::amber(), 0.6, 4.0, false, false, 20.0, 0.5, false,
                         2.0, 22.0, false};

// Two complete sets that differ in every key, for round trips and torn writes.
const Values setA{LineStyle::readingStrip, {0.1, 0.2, 0.3, 0.4}, 0.35, 61.5, true, true, 33.25, 0.7, true,
                  2.5, 17.0, true};
const Values setB{LineStyle::ruler, {1.0 / 3, 0.7, 0.05, 1.0}, 0.9, 12.0, false, false, 7.0, 0.15, false,
                  1.25, 30.5, false};

QString describe(const Values &v)
{
    QStringList words{LineStyles::rawValue(v.style)};
    for (double d : {v.color.red, v.color.green, v.color.blue, v.color.alpha, v.opacity, v.thickness, double(v.launch),
                     double(v.vertical), v.margin, v.verticalOpacity, double(v.magnifier), v.zoom, v.lineHeight,
                     double(v.hotkeys)})
        words << QString::number(d, 'g', 17);
    return words.join(u' ');
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

namespace QTest {
template <> char *toString(const Values &v) { return QTest::toString(describe(v)); }
} // namespace QTest

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    QString freshPath() { return m_dir.filePath(QStringLiteral("c%1/tovani.conf").arg(m_files++)); }

private Q_SLOTS:
    void codableColorJson()
    {
        // Any order, unknown members ignored, every bit of awkward doubles kept.
        const CodableColor odd{1.0 / 3, 0.1 + 0.2, 1e-7, 0.999999999999};
        QCOMPARE(CodableColor::decode(odd.encode().value()), std::optional(odd));
        QCOMPARE(CodableColor::decode(R"({"alpha":0.25,"blue":0.125,"extra":"x","green":0.5,"red":0.1})"),
                 std::optional(CodableColor{0.1, 0.5, 0.125, 0.25}));
        // All four must be there and numeric.
        for (const char *bad : {R"({"red":1,"green":0.5,"blue":0})", R"({"red":1,"green":"0.5","blue":0,"alpha":1})",
                                R"([1,0.5,0,1])", "not json", ""})
            QVERIFY2(!CodableColor::decode(bad), bad);
        // A colour with no RGB form becomes the standard red.
        QCOMPARE(CodableColor::fromColor(QColor()), (CodableColor{1, 0, 0, 1}));
    }

    // -- Loading -------------------------------------------------------------

    void firstLaunchDefaults()
    {
        AppSettings s(freshPath());
        QCOMPARE(Values::of(s), firstLaunch);
        QVERIFY(!QFile::exists(s.filePath())); // loading writes nothing
    }

    void filePlaceAndFormat()
    {
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("xdg").toUtf8());
        QCOMPARE(AppSettings::defaultFilePath(), m_dir.filePath("xdg/tovani/tovani.conf"));
        qputenv("XDG_CONFIG_HOME", "relative/dir"); // not absolute: ignored
        QCOMPARE(AppSettings::defaultFilePath(), QDir::homePath() + "/.config/tovani/tovani.conf");
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(AppSettings::defaultFilePath(), QDir::homePath() + "/.config/tovani/tovani.conf");
        if (!old.isNull())
            qputenv("XDG_CONFIG_HOME", old);

        // INI with every key in [General], in the stored types.
        const QString path = freshPath();
        AppSettings s(path);
        setA.applyTo(s);
        QVERIFY(s.flush());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.startsWith("[General]\n") && text.contains("currentStyle=Reading Strip\n"), text.constData());
        QSettings ini(path, QSettings::IniFormat);
        QCOMPARE(ini.childGroups(), QStringList());
        QCOMPARE(CodableColor::decode(ini.value(AppSettings::colorKey).toByteArray()), std::optional(setA.color));
    }

    void storedStyleGivesItsDefaults()
    {
        // Opacity and thickness absent: the stored style's defaults. The
        // style's name is matched exactly.
        for (const auto &[stored, style] : {std::pair{"Ruler", LineStyle::ruler}, {"ruler", LineStyle::underline}}) {
            const QString path = freshPath();
            writeFile(path, QByteArray("[General]\ncurrentStyle=") + stored + "\n");
            AppSettings s(path);
            QCOMPARE(s.currentStyle(), style);
            QCOMPARE(s.customOpacity(), LineStyles::defaultOpacity(style));
            QCOMPARE(s.customThickness(), LineStyles::defaultThickness(style));
        }
    }

    // -- Writing -------------------------------------------------------------

    void roundTripOfEveryKey()
    {
        for (const Values &v : {setA, setB}) {
            const QString path = freshPath();
            {
                AppSettings s(path);
                v.applyTo(s);
                QVERIFY(s.flush());
            }
            QCOMPARE(Values::of(AppSettings(path)), v);
        }
        // A second save over an existing file replaces every value.
        const QString path = freshPath();
        AppSettings s(path);
        setA.applyTo(s);
        QVERIFY(s.flush());
        setB.applyTo(s);
        QVERIFY(s.flush());
        QCOMPARE(Values::of(AppSettings(path)), setB);
    }

    void changesAreSavedShortlyAfter()
    {
        // A slider drag is many changes: none is written while they come,
        // the last one is, shortly after; what waits is written on
        // destruction too.
        const QString path = freshPath();
        auto s = std::make_unique<AppSettings>(path);
        for (int step = 1; step <= 50; ++step)
            s->setCustomThickness(step);
        QVERIFY(!QFile::exists(path));
        QTRY_VERIFY(QFile::exists(path));
        QCOMPARE(AppSettings(path).customThickness(), 50.0);
        QVERIFY(!s->hasUnsavedChanges());
        s->setCurrentStyle(LineStyle::ruler);
        s.reset();
        QCOMPARE(AppSettings(path).currentStyle(), LineStyle::ruler);
    }

    void numbersStayInRange_data()
    {
        // Through a setter, or through a hand-edited file: in range, clamped,
        // or (not a number at all) refused for the old value or the default.
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("thickness in range") << AppSettings::thicknessKey << 37.5 << 37.5;
        QTest::newRow("thickness huge") << AppSettings::thicknessKey << 1e308 << 100.0;
        QTest::newRow("thickness below") << AppSettings::thicknessKey << 0.25 << 1.0;
        QTest::newRow("thickness nan") << AppSettings::thicknessKey << nan << 4.0;
        QTest::newRow("thickness inf") << AppSettings::thicknessKey << inf << 4.0;
        QTest::newRow("opacity below") << AppSettings::opacityKey << 0.01 << 0.1;
        QTest::newRow("opacity above") << AppSettings::opacityKey << 7.0 << 1.0;
        QTest::newRow("margin above") << AppSettings::verticalMarginKey << 400.0 << 40.0;
        QTest::newRow("bracket opacity above") << AppSettings::verticalOpacityKey << 0.95 << 0.8;
        QTest::newRow("zoom above") << AppSettings::magnifierZoomKey << 50.0 << 3.0;
        QTest::newRow("zoom -inf") << AppSettings::magnifierZoomKey << -inf << 2.0;
        QTest::newRow("line height below") << AppSettings::readingStripLineHeightKey << 2.0 << 8.0;
    }

    void numbersStayInRange()
    {
        QFETCH(QString, key);
        QFETCH(double, value);
        QFETCH(double, expected);
        const auto read = [&key](const AppSettings &s) {
            if (key == AppSettings::opacityKey) return s.customOpacity();
            if (key == AppSettings::thicknessKey) return s.customThickness();
            if (key == AppSettings::verticalMarginKey) return s.verticalGuideMargin();
            if (key == AppSettings::verticalOpacityKey) return s.verticalGuideOpacity();
            if (key == AppSettings::magnifierZoomKey) return s.magnifierZoom();
            return s.readingStripLineHeight();
        };
        AppSettings bySetter(freshPath());
        QSignalSpy changed(&bySetter, &AppSettings::changed);
        if (key == AppSettings::opacityKey) bySetter.setCustomOpacity(value);
        else if (key == AppSettings::thicknessKey) bySetter.setCustomThickness(value);
        else if (key == AppSettings::verticalMarginKey) bySetter.setVerticalGuideMargin(value);
        else if (key == AppSettings::verticalOpacityKey) bySetter.setVerticalGuideOpacity(value);
        else if (key == AppSettings::magnifierZoomKey) bySetter.setMagnifierZoom(value);
        else bySetter.setReadingStripLineHeight(value);
        QCOMPARE(read(bySetter), expected);
        QCOMPARE(changed.size(), std::isfinite(value) ? 1 : 0);

        const auto fromFile = [&](const QByteArray &text) {
            const QString path = freshPath();
            writeFile(path, "[General]\n" + key.toUtf8() + "=" + text + "\n");
            return read(AppSettings(path));
        };
        QCOMPARE(fromFile(QByteArray::number(value, 'g', 17)), expected);
        // Nothing usable: the default, whatever the row.
        const double fallback = read(AppSettings(freshPath()));
        for (const char *stored : {"0", "-3", "abc", "", "1,2"})
            QVERIFY2(fromFile(stored) == fallback, stored);
    }

    void coloursStayDrawable()
    {
        AppSettings s(freshPath());
        const double nan = std::numeric_limits<double>::quiet_NaN();
        s.setCurrentColor({nan, 0.5, 0.5, 1});
        QCOMPARE(s.currentColor(), CodableColor::amber());
        s.setCurrentColor({2, -1, 0.5, 1e308});
        QCOMPARE(s.currentColor(), (CodableColor{1, 0, 0.5, 1}));
    }

    void applyStyle()
    {
        const QString path = freshPath();
        AppSettings s(path);
        s.setCurrentStyle(LineStyle::ruler);
        s.setCustomOpacity(0.2);
        s.setCustomThickness(70);
        s.applyStyle(LineStyle::ruler); // the same style still resets both
        QCOMPARE(s.customOpacity(), 0.85);
        QCOMPARE(s.customThickness(), 45.0);
        s.applyStyle(LineStyle::readingStrip);
        QCOMPARE(s.customOpacity(), 0.55);
        QCOMPARE(s.customThickness(), 55.0);
        QVERIFY(s.flush());
        const AppSettings reloaded(path);
        QCOMPARE(reloaded.currentStyle(), LineStyle::readingStrip);
        QCOMPARE(reloaded.customThickness(), 55.0);
    }

    void resetToDefaults()
    {
        const QString path = freshPath();
        AppSettings s(path);
        setA.applyTo(s); // launch at login and shortcuts on
        s.resetToDefaults();
        Values want = firstLaunch;
        want.style = LineStyle::highlightBar;
        want.opacity = 0.5;
        want.thickness = 28.0;
        want.launch = true;
        QCOMPARE(Values::of(s), want);
        QVERIFY(s.flush());
        QCOMPARE(Values::of(AppSettings(path)), want);
    }

    void changeSignals()
    {
        AppSettings s(freshPath());
        QSignalSpy changed(&s, &AppSettings::changed);
        QSignalSpy thickness(&s, &AppSettings::customThicknessChanged);
        QSignalSpy color(&s, &AppSettings::currentColorChanged);
        double seen = 0;
        connect(&s, &AppSettings::customThicknessChanged, this, [&] { seen = s.customThickness(); });
        s.setCustomThickness(9);
        QCOMPARE(seen, 9.0); // emitted after the store
        s.setCustomThickness(9);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(thickness.size(), 1);
        s.setCurrentColor(s.currentColor());
        QCOMPARE(color.size(), 0);
        s.setCurrentColor({1, 0.75, 0, 0.5});
        QCOMPARE(color.size(), 1);
        QCOMPARE(changed.size(), 2);
    }

    // -- Damage --------------------------------------------------------------

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QByteArray random(4096, '\0');
        QRandomGenerator gen(20261206);
        for (char &c : random)
            c = char(gen.bounded(256));
        QTest::newRow("random bytes") << random;
        QTest::newRow("text numbers") << QByteArray("[General]\ncurrentStyle=Ruler\ncustomOpacity=lots\n"
                                                    "customThickness=thick\nverticalGuideMargin=a lot\n"
                                                    "magnifierZoom=x2\nlaunchAtLogin=perhaps\n");
        QTest::newRow("nan") << QByteArray("[General]\ncustomOpacity=nan\ncustomThickness=NaN\nmagnifierZoom=nan\n"
                                           "launchAtLogin=nan\n");
        QTest::newRow("colour garbage") << QByteArray("[General]\ncurrentColor=@ByteArray({\"red\":1}\n");
        QTest::newRow("colour out of range") << QByteArray("[General]\ncurrentColor=\"{\\\"red\\\":1e999, \\\"green\\\":-1e308, "
                                                          "\\\"blue\\\":2, \\\"alpha\\\":-0}\"\n");
        // Hand-written JSON, quoted the way the INI format quotes a string.
        QTest::newRow("colour hand-written json")
            << QByteArray("[General]\ncurrentColor=\"{\\\"alpha\\\":1, \\\"red\\\":0.5, \\\"green\\\":0.25, "
                          "\\\"blue\\\":0}\"\n");
        QTest::newRow("variant garbage") << QByteArray("[General]\ncustomThickness=@Variant(\\0\\0\\0\\x7f\\xff\\xff"
                                                       "\\xff\\xffQImage)\ncurrentColor=@Variant(\\0\\0\\0\\n)\n");
        QTest::newRow("lists") << QByteArray("[General]\ncustomThickness=1, 2, 3\ncurrentStyle=Ruler, Underline\n");
        QTest::newRow("nul bytes") << QByteArray("[General]\ncurrentStyle=Ru\0ler\ncustomOpacity=0.\0" "5\n", 45);
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, content);
        const QString path = freshPath();
        writeFile(path, content);

        AppSettings s(path);
        const Values loaded = Values::of(s);
        // Whatever was damaged fell back; nothing can be drawn from NaN or a
        // non-positive number.
        for (double v : {loaded.opacity, loaded.thickness, loaded.margin, loaded.verticalOpacity, loaded.zoom,
                         loaded.lineHeight})
            QVERIFY2(std::isfinite(v) && v > 0, qPrintable(QString::number(v)));
        // Whatever colour was read, it draws as a valid colour.
        QVERIFY(loaded.color.toColor(loaded.opacity).isValid());
        if (QByteArray(QTest::currentDataTag()) == "colour hand-written json")
            QCOMPARE(loaded.color, (CodableColor{0.5, 0.25, 0, 1}));
        if (QByteArray(QTest::currentDataTag()) == "text numbers") {
            QCOMPARE(loaded.style, LineStyle::ruler);
            QCOMPARE(loaded.opacity, 0.85);
            QCOMPARE(loaded.thickness, 45.0);
            QCOMPARE(loaded.zoom, 2.0);
            QCOMPARE(loaded.launch, false);
        }

        // Saving repairs the file; what was typed in it is kept beside it.
        setB.applyTo(s);
        QVERIFY(s.flush());
        QCOMPARE(Values::of(AppSettings(path)), setB);
        if (QByteArray(QTest::currentDataTag()) == "text numbers") {
            QFile backup(path + ".bak");
            QVERIFY(backup.open(QIODevice::ReadOnly));
            QCOMPARE(backup.readAll(), content);
        }
    }

    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("disk full") << "fsize";
        QTest::newRow("read-only file") << "ro-file";
        QTest::newRow("read-only folder") << "ro-dir";
        QTest::newRow("folder in place of the file") << "dir";
        QTest::newRow("fifo in place of the file") << "fifo";
    }

    void failedSaveKeepsTheOldFile()
    {
        // A save that cannot complete leaves what was there untouched, no
        // temporary file behind, and says so once per run of failures; the
        // next save after the obstacle is gone gets through. A FIFO is not
        // even opened: that would block for ever.
        QFETCH(QString, obstacle);
        if (obstacle.startsWith(u"ro-") && geteuid() == 0)
            QSKIP("root writes through read-only modes");
        const QString path = freshPath();
        const QString dir = QFileInfo(path).absolutePath();
        const QByteArray old = "[General]\ncurrentStyle=Ruler\ncustomThickness=45\n";
        if (obstacle == u"dir")
            QVERIFY(QDir().mkpath(path));
        else if (obstacle == u"fifo")
            QVERIFY(QDir().mkpath(dir) && mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else
            writeFile(path, old);
        AppSettings s(path);
        QSignalSpy failed(&s, &AppSettings::saveFailed);

        rlimit savedLimit{};
        getrlimit(RLIMIT_FSIZE, &savedLimit);
        const auto block = [&](bool on) {
            if (obstacle == u"fsize") { // writes past 16 bytes fail with EFBIG, as on a full disk
                rlimit limit = savedLimit;
                limit.rlim_cur = on ? 16 : savedLimit.rlim_cur;
                setrlimit(RLIMIT_FSIZE, &limit);
            } else if (obstacle == u"ro-file") {
                QFile::setPermissions(path, on ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
            } else if (obstacle == u"ro-dir") {
                QFile::setPermissions(dir, on ? QFile::ReadOwner | QFile::ExeOwner
                                               : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            }
        };
        signal(SIGXFSZ, SIG_IGN);
        block(true);
        setA.applyTo(s);
        const bool first = s.flush();
        setB.applyTo(s);
        const bool second = s.flush();
        block(false);
        QVERIFY(!first && !second);
        QCOMPARE(failed.size(), 1);
        QVERIFY(!s.saveError().isEmpty());
        QCOMPARE(s.failedSaves(), 2);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::System | QDir::Hidden).size(),
                 obstacle == u"dir" ? 0 : 1);
        if (obstacle == u"dir" || obstacle == u"fifo") {
            QCOMPARE(QFileInfo(path).isDir(), obstacle == u"dir");
            return;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
        file.close();

        QVERIFY(s.flush());
        QVERIFY(s.saveError().isEmpty());
        QCOMPARE(Values::of(AppSettings(path)), setB);
        block(true);
        setA.applyTo(s);
        QVERIFY(!s.flush());
        block(false);
        QCOMPARE(failed.size(), 2);
    }

    void saveIsAtomic()
    {
        // A child saves two complete sets in turn as fast as it can and is
        // killed at random moments; the file must always read back as one of
        // the two sets, never as a mixture, a default or a damaged file.
        const QString path = freshPath();
        {
            AppSettings s(path);
            setA.applyTo(s);
            QVERIFY(s.flush());
        }
        QRandomGenerator gen(42);
        int sawA = 0, sawB = 0;
        bool onDiskIsA = true;
        for (int round = 0; round < 100; ++round) {
            // The child starts with the set that is not on disk, so the kill
            // can land in the middle of the write that changes it. It reports
            // each finished save through a pipe: the kill comes after 0 to 2
            // finished saves and a random pause, whatever the disk's speed.
            const Values &first = onDiskIsA ? setB : setA;
            const Values &second = onDiskIsA ? setA : setB;
            int fds[2];
            QVERIFY(pipe(fds) == 0);
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                close(fds[0]);
                AppSettings s(path);
                for (bool odd = false;; odd = !odd) {
                    (odd ? second : first).applyTo(s);
                    s.flush();
                    (void)!write(fds[1], "s", 1);
                }
            }
            close(fds[1]);
            const int waitFor = int(gen.bounded(3));
            for (int done = 0; done < waitFor; ++done) {
                pollfd p{fds[0], POLLIN, 0};
                char byte;
                if (poll(&p, 1, 10000) != 1 || read(fds[0], &byte, 1) != 1)
                    break;
            }
            usleep(gen.bounded(0, 20000));
            kill(child, SIGKILL);
            close(fds[0]);
            int status = 0;
            waitpid(child, &status, 0);
            QVERIFY(WIFSIGNALED(status));

            QSettings ini(path, QSettings::IniFormat);
            QCOMPARE(ini.status(), QSettings::NoError);
            QCOMPARE(ini.allKeys().size(), 12);
            const Values v = Values::of(AppSettings(path));
            QVERIFY2(v == setA || v == setB, qPrintable(describe(v)));
            onDiskIsA = v == setA;
            (onDiskIsA ? sawA : sawB)++;
            QVERIFY(!QFile::exists(path + ".bak")); // nothing was found damaged
        }
        qInfo("kills: %d left set A, %d left set B", sawA, sawB);
        QVERIFY(sawA > 0 && sawB > 0);
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
