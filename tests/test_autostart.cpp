// The XDG autostart entry as the login item: how an entry on disk is read,
// what enabling writes, and how it fails.

#include "platform/Backends.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
// Keeps embedded NUL bytes.
template<size_t N>
QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}
} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_home;

    QString dir() const { return m_home->filePath(QStringLiteral("config/autostart")); }
    QString entry() const { return dir() + QStringLiteral("/tovani.desktop"); }

    void writeEntry(const QByteArray &contents)
    {
        QDir().mkpath(dir());
        QFile file(entry());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
    }

    QByteArray readEntry() const
    {
        QFile file(entry());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<platform::LoginItem> item(const QString &exe = QStringLiteral("/usr/bin/tovani")) const
    {
        return platform::createXdgAutostart(dir(), exe);
    }

    static void startablePaths()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("spaces") << QStringLiteral("My Apps/to vani");
        QTest::newRow("shell characters") << QStringLiteral("a;b&c|d*e?f(g)h<i>j!k#l=m~n{o}[p]");
        QTest::newRow("non-ASCII") << QStringLiteral("Programme/tövani 中");
    }

    // Enables the entry for a script at the row's folder that writes the
    // path it was started as to "started"; returns the script's path.
    QString enableWithScript()
    {
        QFETCH(QString, folder);
        const QString exe = m_home->filePath(folder + QStringLiteral("/tovani"));
        QDir().mkpath(QFileInfo(exe).path());
        QFile script(exe);
        if (!script.open(QIODevice::WriteOnly))
            return QString();
        const QByteArray marker = m_home->filePath(QStringLiteral("started")).toUtf8();
        script.write("#!/bin/sh\nprintf '%s' \"$0\" > '" + marker + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QString error;
        if (!item(exe)->setEnabled(true, &error))
            qWarning("not enabled: %s", qPrintable(error));
        return exe;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
    }

    void readsTheEntry_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");

        const QByteArray valid = "[Desktop Entry]\nType=Application\nName=Tovani\nExec=/usr/bin/tovani\n";
        QTest::newRow("valid") << valid << true;
        QTest::newRow("Hidden=true") << valid + "Hidden=true\n" << false;
        QTest::newRow("autostart disabled") << valid + "X-GNOME-Autostart-enabled=false\n" << false;
        QTest::newRow("later duplicate wins") << valid + "Hidden=true\nHidden=false\n" << true;
        QTest::newRow("spaces around =") << valid + "Hidden = true  \n" << false;
        QTest::newRow("CRLF lines") << QByteArray(valid + "Hidden=true\n").replace("\n", "\r\n") << false;
        // Keys and values are case-sensitive, as the session reads them.
        QTest::newRow("hidden lower-case key") << valid + "hidden=true\n" << true;
        QTest::newRow("Hidden=True is no boolean") << valid + "Hidden=True\n" << true;
        QTest::newRow("other group ignored")
            << valid + "[Desktop Action Quit]\nHidden=true\nX-GNOME-Autostart-enabled=false\n" << true;
        QTest::newRow("commented out") << valid + "# Hidden=true\n#X-GNOME-Autostart-enabled=false\n" << true;
        QTest::newRow("no entry group") << QByteArray("Type=Application\nExec=/usr/bin/tovani\n") << false;
        QTest::newRow("group name case") << QByteArray("[desktop entry]\nExec=/usr/bin/tovani\n") << false;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("byte-order mark") << bytes("\xef\xbb\xbf[Desktop Entry]\nExec=/usr/bin/tovani\n") << true;
        QTest::newRow("hand-edited junk")
            << bytes("\xef\xbb\xbf# edited by hand\n\n   [Desktop Entry]   \nthis line is junk\n=nokey\n"
                          "Exec=\"/opt/tovani/bin/tovani\"\n\x00\xff\xfe garbage\n[broken group\nHidden=true\n")
            << false; // "[broken group" is no group header; Hidden=true still counts
        QTest::newRow("junk, still on")
            << bytes("[Desktop Entry]\n\x01\x02\nName\nX-GNOME-Autostart-enabled=maybe\n[") << true;
    }

    void readsTheEntry()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        writeEntry(contents);
        QCOMPARE(item()->isEnabled(), enabled);
    }

    void enableReadDisable()
    {
        // Missing (folder or file) is off; the entry is read afresh on every
        // call; enabling replaces a hidden entry and leaves nothing beside it;
        // disabling removes it, and disabling again still succeeds.
        auto login = item();
        QVERIFY(!login->isEnabled());
        writeEntry("[Desktop Entry]\nExec=/old/path\n");
        QVERIFY(login->isEnabled());
        writeEntry("[Desktop Entry]\nExec=/old/path\nHidden=true\n");
        QVERIFY(!login->isEnabled());
        QString error;
        QVERIFY2(login->setEnabled(true, &error), qPrintable(error));
        QVERIFY(login->isEnabled());
        const QList<QByteArray> lines = readEntry().split('\n');
        QCOMPARE(lines.first(), QByteArray("[Desktop Entry]"));
        QVERIFY(lines.contains("Exec=\"/usr/bin/tovani\""));
        QVERIFY(!readEntry().contains("Hidden"));
        QCOMPARE(QDir(dir()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QVERIFY(login->setEnabled(false, &error));
        QVERIFY(!QFile::exists(entry()) && !login->isEnabled());
        QVERIFY(login->setEnabled(false, &error));
        QVERIFY(error.isEmpty());
        // A relative program path is written absolute.
        QVERIFY(item(QStringLiteral("bin/tovani"))->setEnabled(true, nullptr));
        QVERIFY(readEntry().contains("Exec=\"" + QDir::currentPath().toUtf8() + "/bin/tovani\"\n"));
    }

    // Paths whose characters the Exec line has to quote: the session's two
    // readers of the entry start exactly this program.
    void glibStartsTheProgram_data() { startablePaths(); }
    void glibStartsTheProgram()
    {
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("gio is not installed (Debian: libglib2.0-bin)");
        const QString exe = enableWithScript();
        QVERIFY(QFileInfo::exists(entry()));
        const QString marker = m_home->filePath(QStringLiteral("started"));
        QProcess launch;
        launch.start(gio, {QStringLiteral("launch"), entry()});
        QVERIFY(launch.waitForFinished(10000));
        QVERIFY2(launch.exitCode() == 0, launch.readAllStandardError().constData());
        const auto startedAs = [&marker] {
            QFile file(marker);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(startedAs(), exe, 10000);
    }

    // systemd turns the entry into a unit; systemd-analyze then reads the
    // unit as the user manager would and checks the program it names.
    void systemdStartsTheProgram_data() { startablePaths(); }
    void systemdStartsTheProgram()
    {
        const QString generator =
            QStringLiteral("/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator");
        const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
        if (!QFileInfo(generator).isExecutable() || analyze.isEmpty())
            QSKIP("systemd's autostart generator or systemd-analyze is not installed (Debian: systemd)");
        enableWithScript();
        QVERIFY(QFileInfo::exists(entry()));
        const QString units = m_home->filePath(QStringLiteral("units"));
        QVERIFY(QDir().mkpath(units));
        QProcess generate;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_home->filePath(QStringLiteral("none")));
        generate.setProcessEnvironment(env);
        generate.start(generator, {units, units, units});
        QVERIFY(generate.waitForFinished(10000));
        const QStringList made = QDir(units).entryList({QStringLiteral("*.service")}, QDir::Files);
        QVERIFY2(made.size() == 1, generate.readAllStandardError().constData());

        QProcess verify;
        verify.setProcessChannelMode(QProcess::MergedChannels);
        verify.start(analyze,
                     {QStringLiteral("verify"), QStringLiteral("--man=no"), units + u'/' + made.first()});
        QVERIFY(verify.waitForFinished(30000));
        const QByteArray said = verify.readAll();
        QVERIFY2(verify.exitCode() == 0 && said.trimmed().isEmpty(), said.constData());
    }

    // Characters some launcher cannot start a program from, however quoted.
    void unstartablePathIsRefused_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("named");
        QTest::newRow("percent") << QStringLiteral("100%") << QStringLiteral("\"%\"");
        QTest::newRow("backslash") << QStringLiteral("a\\b") << QStringLiteral("\"\\\"");
        QTest::newRow("double quote") << QStringLiteral("say \"hi\"") << QStringLiteral("\"\"\"");
        QTest::newRow("apostrophe") << QStringLiteral("o'neil") << QStringLiteral("\"'\"");
        QTest::newRow("dollar") << QStringLiteral("$HOME") << QStringLiteral("\"$\"");
        QTest::newRow("backtick") << QStringLiteral("`id`") << QStringLiteral("\"`\"");
        QTest::newRow("line break") << QStringLiteral("a\nb") << QStringLiteral("control character");
        QTest::newRow("tab") << QStringLiteral("a\tb") << QStringLiteral("control character");
    }

    void unstartablePathIsRefused()
    {
        QFETCH(QString, folder);
        QFETCH(QString, named);
        auto login = item(m_home->filePath(folder + QStringLiteral("/tovani")));
        QString error;
        QVERIFY(!login->setEnabled(true, &error));
        QVERIFY2(error.contains(named), qPrintable(error));
        QVERIFY(!QFileInfo::exists(entry()));
        QVERIFY(!login->isEnabled());
    }

    // A full disk fails the write part-way. Here a file size limit does it
    // (EFBIG in place of ENOSPC): the old entry stays as it was, or none
    // appears, and nothing is left beside it.
    void failedWriteKeepsTheOldEntry_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("no entry") << QByteArray();
        QTest::newRow("hidden entry") << QByteArray("[Desktop Entry]\nExec=/old/path\nHidden=true\n");
    }

    void failedWriteKeepsTheOldEntry()
    {
        QFETCH(QByteArray, before);
        QVERIFY(QDir().mkpath(dir()));
        if (!before.isEmpty())
            writeEntry(before);
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 16;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool enabled = item()->setEnabled(true, &error);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        QVERIFY(!enabled);
        QVERIFY2(error.contains(entry()), qPrintable(error));
        QCOMPARE(readEntry(), before);
        QCOMPARE(QDir(dir()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 before.isEmpty() ? 0 : 1);
    }

    // Something else where the folder, a parent of it or the entry should
    // be (tests run as root, so permissions would not stop the writes): the
    // switch fails saying where, and the obstacle is left as it was. A FIFO
    // is never opened: reading it would wait for a writer.
    void obstacleFails_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("named");
        QTest::newRow("file as the folder") << QStringLiteral("file") << QStringLiteral("config/autostart");
        QTest::newRow("file as a parent") << QStringLiteral("parent") << QString();
        QTest::newRow("folder as the entry") << QStringLiteral("dir") << QStringLiteral("tovani.desktop");
        QTest::newRow("fifo as the entry") << QStringLiteral("fifo") << QString();
    }

    void obstacleFails()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, named);
        if (obstacle == u"file" || obstacle == u"parent") {
            QDir().mkpath(m_home->filePath(QStringLiteral("config")));
            QFile blocker(dir());
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.write("not a folder");
        } else if (obstacle == u"dir") {
            QVERIFY(QDir().mkpath(entry()));
        } else {
            QDir().mkpath(dir());
            QCOMPARE(::mkfifo(QFile::encodeName(entry()).constData(), 0600), 0);
        }
        auto login = obstacle == u"parent"
                         ? platform::createXdgAutostart(dir() + QStringLiteral("/sub"), QStringLiteral("/usr/bin/tovani"))
                         : item();
        QVERIFY(!login->isEnabled());
        if (obstacle == u"fifo")
            return;
        QString error;
        QVERIFY(!login->setEnabled(true, &error));
        QVERIFY2(!error.isEmpty() && error.contains(named), qPrintable(error));
        QVERIFY(!login->isEnabled());
        if (obstacle == u"dir") {
            error.clear();
            QVERIFY(!login->setEnabled(false, &error));
            QVERIFY(!error.isEmpty());
            QVERIFY(QFileInfo(entry()).isDir());
        } else {
            QFile check(dir());
            QVERIFY(check.open(QIODevice::ReadOnly));
            QCOMPARE(check.readAll(), QByteArray("not a folder"));
        }
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
