// The XDG autostart entry as the login item: how an entry on disk is read,
// what enabling writes and that the session's launchers start exactly this
// program from it, and what it refuses.

#include "platform/Backends.h"

#include <QtTest>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray hiddenEntry = "[Desktop Entry]\nExec=/old/path\nHidden=true\n";

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    int m_homes = 0;
    QString m_dir;

    QString entry() const { return m_dir + QStringLiteral("/tovani.desktop"); }
    auto item(const QString &exe = u"/bin/tovani"_s) { return platform::createXdgAutostart(m_dir, exe); }

private Q_SLOTS:
    void init()
    {
        // A fresh folder, in a config home of its own.
        m_dir = m_home.filePath(QStringLiteral("%1/config/autostart").arg(m_homes++));
    }

    // As the session reads an entry: keys, values and the group name are
    // case-sensitive and count only in [Desktop Entry]; a later duplicate
    // wins; stray lines are skipped, a byte-order mark too.
    void readsTheEntry_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");
        const QByteArray on = "[Desktop Entry]\nExec=/usr/bin/tovani\n";
        // clang-format off
        const std::pair<QByteArray, bool> cases[] = {
            {on, true}, {on + "\x01\xff\nName\n=nokey\nX-GNOME-Autostart-enabled=maybe\n[", true},
            {on + "X-GNOME-Autostart-enabled=false\n", false}, {"[desktop entry]\nExec=/bin/x\n", false},
            {on + "[Desktop Action Quit]\nHidden=true\n", true}, {on + "[broken group\nHidden=true\n", false},
            {on + "Hidden=1\nHidden=0", true}, {on + "Hidden = 1 \r\n", false}, {"\xef\xbb\xbf" + on, true},
            {on + "Hidden=true\n", false}, {on + "hidden=true\n", true}, {on + "Hidden=True\n", true}};
        // clang-format on
        for (const auto &[contents, enabled] : cases) // named "entry; Hidden=true; ..."
            QTest::newRow(QByteArray(contents).replace(on, "entry\n").replace('\n', "; ").toPercentEncoding(" ;=[]-/").constData())
                << contents << enabled;
    }

    void readsTheEntry()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        writeFile(entry(), contents);
        QCOMPARE(item()->isEnabled(), enabled);
    }

    void enableReadDisable()
    {
        // Read afresh on every call; enabling replaces a hidden entry and
        // leaves nothing beside it; disabling removes it, twice over too; a
        // relative program path is written absolute; a FIFO in the entry's
        // place is never opened (it would wait for a writer). (A full disk is
        // AtomicFile's, as for the settings: test_settings.)
        auto login = item();
        writeFile(entry(), hiddenEntry);
        QString error;
        QVERIFY(!login->isEnabled() && login->setEnabled(true, &error) && login->isEnabled());
        QVERIFY(!readFile(entry()).contains("Hidden"));
        writeFile(entry(), hiddenEntry);
        QVERIFY(!login->isEnabled());
        QVERIFY(login->setEnabled(false, &error) && login->setEnabled(false, &error) && error.isEmpty());
        QVERIFY(!QFile::exists(entry()) && !login->isEnabled());
        QVERIFY(item(QStringLiteral("bin/tovani"))->setEnabled(true, nullptr));
        QVERIFY(readFile(entry()).contains("\nExec=\"" + QDir::currentPath().toUtf8() + "/bin/tovani\"\n"));
        QVERIFY(QFile::remove(entry()) && mkfifo(QFile::encodeName(entry()).constData(), 0600) == 0);
        QVERIFY(!login->isEnabled());
        // A file in the folder's place: the switch fails saying where, and
        // leaves the file as it was.
        QVERIFY(QDir(m_dir).removeRecursively());
        writeFile(m_dir, "folder");
        QVERIFY2(!login->setEnabled(true, &error) && error.contains(m_dir), qPrintable(error));
        QCOMPARE(readFile(m_dir), "folder");
    }

    void launchersStartTheProgram()
    {
        // Paths whose characters the Exec line has to quote: GLib and
        // systemd's autostart generator, the session's two readers of the
        // entry, start exactly this program.
        const QString gio = QStandardPaths::findExecutable(u"gio"_s), analyze = QStandardPaths::findExecutable(u"systemd-analyze"_s);
        const QString generator = "/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator";
        if (gio.isEmpty() || analyze.isEmpty() || !QFileInfo(generator).isExecutable())
            QSKIP("needs gio (Debian: libglib2.0-bin), systemd-analyze and systemd's autostart generator");
        // The generator reads the entry from $XDG_CONFIG_HOME/autostart, and
        // none from the system's folders.
        const QString home = QDir::cleanPath(m_dir + u"/../.."_s), marker = home + u"/started"_s;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + u"/config"_s));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(home));
        for (const QString &folder : {u"My Apps/a;b&c|d*e?f(g)h<i>j!k#l"_s, u"=m~n{o}[p] Prog/tövani 中"_s}) {
            // A script that writes down the path it was started as.
            const QString exe = home + u'/' + folder + u"/tovani"_s;
            writeFile(exe, "#!/bin/sh\nprintf '%s' \"$0\" > '" + marker.toUtf8() + "'\n");
            QVERIFY(QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner));
            QVERIFY(item(exe)->setEnabled(true, nullptr));
            QCOMPARE(QProcess::execute(gio, {u"launch"_s, entry()}), 0);
            QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(readFile(marker)), exe, 10000);
            // systemd-analyze reads the generated unit as the user manager
            // would and checks the program it names.
            const QTemporaryDir units;
            QCOMPARE(QProcess::execute(generator, {units.path(), units.path(), units.path()}), 0);
            const QString unit = units.filePath(u"app-tovani@autostart.service"_s);
            QCOMPARE(QProcess::execute(analyze, {u"verify"_s, u"--man=no"_s, unit}), 0);
        }
    }

    // Characters some launcher cannot start a program from, however quoted:
    // refused, naming the character, and nothing written.
    void unstartablePathIsRefused_data()
    {
        QTest::addColumn<QString>("c");
        for (const char *c : {"%", "\\", "\"", "'", "$", "`", "\n", "\t"})
            QTest::newRow(QByteArray(c).toPercentEncoding().constData()) << QString::fromLatin1(c);
    }

    void unstartablePathIsRefused()
    {
        QFETCH(QString, c);
        QString error;
        QVERIFY(!item(m_home.filePath("a" + c + "b/tovani"))->setEnabled(true, &error));
        QVERIFY2(error.contains(c[0].isPrint() ? '"' + c + '"' : u"control"_s), qPrintable(error));
        QVERIFY(!QFileInfo::exists(m_dir));
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
