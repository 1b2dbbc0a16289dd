// The XDG autostart entry as the login item: how an entry on disk is read,
// what enabling writes and that the session's launchers start exactly this
// program from it, and how it fails.

#include "platform/Backends.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

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

// The exit code and what the program said.
QString run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    const QString code = process.waitForFinished(30000) ? QString::number(process.exitCode()) : "hung";
    return code + u' ' + QString::fromUtf8(process.readAll()).trimmed();
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    int m_homes = 0;
    QString m_dir;

    QString entry() const { return m_dir + QStringLiteral("/tovani.desktop"); }
    std::unique_ptr<platform::LoginItem> item(const QString &exe = QStringLiteral("/usr/bin/tovani")) const
    {
        return platform::createXdgAutostart(m_dir, exe);
    }

private Q_SLOTS:
    void init()
    {
        // A fresh folder, in a config home of its own.
        m_dir = m_home.filePath(QStringLiteral("%1/config/autostart").arg(m_homes++));
    }

    void readsTheEntry()
    {
        // As the session reads an entry: keys, values and the group name are
        // case-sensitive and count only in [Desktop Entry]; a later duplicate
        // wins; stray lines are skipped, a byte-order mark too.
        const QByteArray on = "[Desktop Entry]\nExec=/usr/bin/tovani\n";
        const std::pair<QByteArray, bool> cases[] = {
            {on, true}, {on + "Hidden=true\n", false}, {on + "X-GNOME-Autostart-enabled=false\n", false},
            {on + "Hidden=true\nHidden=false\n", true}, {on + "Hidden = true  \r\n", false},
            {on + "hidden=true\n", true}, {on + "Hidden=True\n", true}, {"\xef\xbb\xbf" + on, true},
            {on + "[Desktop Action Quit]\nHidden=true\n", true}, {"[desktop entry]\nExec=/bin/x\n", false},
            {"", false},
            {on + "\x01\xff\nName\n=nokey\nX-GNOME-Autostart-enabled=maybe\n[", true},
            {on + "[broken group\nHidden=true\n", false}};
        for (const auto &[contents, enabled] : cases) {
            writeFile(entry(), contents);
            QVERIFY2(item()->isEnabled() == enabled, contents.constData());
        }
    }

    void enableReadDisable()
    {
        // Read afresh on every call; enabling replaces a hidden entry and
        // leaves nothing beside it; disabling removes it, twice over too; a
        // relative program path is written absolute; a FIFO in the entry's
        // place is never opened (it would wait for a writer).
        auto login = item();
        QVERIFY(!login->isEnabled());
        writeFile(entry(), "[Desktop Entry]\nExec=/old/path\n");
        QVERIFY(login->isEnabled());
        writeFile(entry(), "[Desktop Entry]\nExec=/old/path\nHidden=true\n");
        QVERIFY(!login->isEnabled());
        QString error;
        QVERIFY2(login->setEnabled(true, &error), qPrintable(error));
        QVERIFY(login->isEnabled() && !readFile(entry()).contains("Hidden"));
        QCOMPARE(QDir(m_dir).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QVERIFY(login->setEnabled(false, &error) && login->setEnabled(false, &error) && error.isEmpty());
        QVERIFY(!QFile::exists(entry()) && !login->isEnabled());
        QVERIFY(item(QStringLiteral("bin/tovani"))->setEnabled(true, nullptr));
        QVERIFY(readFile(entry()).contains("\nExec=\"" + QDir::currentPath().toUtf8() + "/bin/tovani\"\n"));
        QVERIFY(QFile::remove(entry()) && mkfifo(QFile::encodeName(entry()).constData(), 0600) == 0);
        QVERIFY(!login->isEnabled());
    }

    void launchersStartTheProgram()
    {
        // Paths whose characters the Exec line has to quote: GLib and
        // systemd's autostart generator, the session's two readers of the
        // entry, start exactly this program.
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
        const QString generator = "/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator";
        if (gio.isEmpty() || analyze.isEmpty() || !QFileInfo(generator).isExecutable())
            QSKIP("needs gio (Debian: libglib2.0-bin), systemd-analyze and systemd's autostart generator");
        for (const QString &folder : QStringList{u"My Apps/to vani"_s, u"a;b&c|d*e?f(g)h<i>j!k#l"_s,
                                                 u"=m~n{o}[p] Programme/tövani 中"_s}) {
            init();
            // A script that writes down the path it was started as.
            const QString home = QDir::cleanPath(m_dir + QStringLiteral("/../.."));
            const QString exe = home + u'/' + folder + QStringLiteral("/tovani");
            const QString marker = home + QStringLiteral("/started");
            QFile script(exe);
            QVERIFY(QDir().mkpath(QFileInfo(exe).path()) && script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\nprintf '%s' \"$0\" > '" + marker.toUtf8() + "'\n");
            script.close();
            QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            QVERIFY(item(exe)->setEnabled(true, nullptr));

            QCOMPARE(run(gio, {QStringLiteral("launch"), entry()}), QStringLiteral("0 "));
            QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(readFile(marker)), exe, 10000);
            // systemd-analyze reads the generated unit as the user manager
            // would and checks the program it names.
            const QString units = home + QStringLiteral("/units");
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/config")));
            qputenv("XDG_CONFIG_DIRS", QFile::encodeName(units));
            QVERIFY(QDir().mkpath(units));
            const QString generated = run(generator, {units, units, units});
            const QStringList made = QDir(units).entryList({QStringLiteral("*.service")}, QDir::Files);
            QVERIFY2(made.size() == 1, qPrintable(generated));
            const QString unit = units + u'/' + made[0];
            QCOMPARE(run(analyze, {u"verify"_s, u"--man=no"_s, unit}), u"0 "_s);
        }
    }

    void unstartablePathIsRefused()
    {
        // Characters some launcher cannot start a program from, however
        // quoted: refused, naming the character, and nothing written.
        for (const QString &c : QStringList{"%", "\\", "\"", "'", "$", "`", "\n", "\t"}) {
            QString error;
            QVERIFY(!item(m_home.filePath("a" + c + "b/tovani"))->setEnabled(true, &error));
            const QString named = c[0].isPrint() ? u'"' + c + u'"' : QStringLiteral("control character");
            QVERIFY2(error.contains(named), qPrintable(error));
        }
        QVERIFY(!QFileInfo::exists(m_dir));
    }

    void failedWriteKeepsTheOldEntry()
    {
        // A full disk (here a file size limit: EFBIG in place of ENOSPC) or
        // a file where the folder should be: the switch fails saying where,
        // the old entry (or none) stays as it was, nothing is left beside.
        const QByteArray hidden = "[Desktop Entry]\nExec=/old/path\nHidden=true\n";
        for (const QByteArray &before : {QByteArray(), hidden, QByteArray("folder")}) {
            init(); // a fresh folder each time
            QVERIFY(QDir().mkpath(before == "folder" ? QFileInfo(m_dir).path() : m_dir));
            if (!before.isEmpty())
                writeFile(before == hidden ? entry() : m_dir, before);
            rlimit saved{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
            rlimit small = saved;
            small.rlim_cur = before == "folder" ? saved.rlim_cur : 16;
            const auto previous = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &small);
            QString error;
            const bool enabled = item()->setEnabled(true, &error);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previous);
            QVERIFY(!enabled && !item()->isEnabled());
            QVERIFY2(error.contains(before == "folder" ? m_dir : entry()), qPrintable(error));
            QCOMPARE(readFile(before == "folder" ? m_dir : entry()), before.isEmpty() ? "<missing>" : before);
            const QStringList beside = QDir(m_dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
            QCOMPARE(beside.size(), before == hidden ? 1 : 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
