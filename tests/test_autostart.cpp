// The XDG autostart entry as the login item: how an entry on disk is read,
// what enabling writes, and how it fails.

#include "platform/Backends.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

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

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
    }

    void missingEntryIsOff()
    {
        QVERIFY(!item()->isEnabled());
        QDir().mkpath(dir());
        QVERIFY(!item()->isEnabled());
    }

    void readsTheEntry_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");

        const QByteArray valid = "[Desktop Entry]\nType=Application\nName=Tovani\nExec=/usr/bin/tovani\n";
        QTest::newRow("valid") << valid << true;
        QTest::newRow("enabled key true") << valid + "X-GNOME-Autostart-enabled=true\n" << true;
        QTest::newRow("Hidden=true") << valid + "Hidden=true\n" << false;
        QTest::newRow("Hidden=false") << valid + "Hidden=false\n" << true;
        QTest::newRow("autostart disabled") << valid + "X-GNOME-Autostart-enabled=false\n" << false;
        QTest::newRow("later duplicate wins") << valid + "Hidden=true\nHidden=false\n" << true;
        QTest::newRow("spaces around =") << valid + "Hidden = true  \n" << false;
        QTest::newRow("CRLF lines") << QByteArray(valid + "Hidden=true\n").replace("\n", "\r\n") << false;
        // Keys and values are case-sensitive, as the session reads them.
        QTest::newRow("hidden lower-case key") << valid + "hidden=true\n" << true;
        QTest::newRow("Hidden=True is no boolean") << valid + "Hidden=True\n" << true;
        QTest::newRow("localised key ignored") << valid + "Hidden[de]=true\n" << true;
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

    void readsAfreshOnEveryCall()
    {
        auto login = item();
        writeEntry("[Desktop Entry]\nExec=/usr/bin/tovani\n");
        QVERIFY(login->isEnabled());
        writeEntry("[Desktop Entry]\nExec=/usr/bin/tovani\nHidden=true\n");
        QVERIFY(!login->isEnabled());
        QFile::remove(entry());
        QVERIFY(!login->isEnabled());
    }

    void enablingWritesAQuotedEntry()
    {
        // A path with a space, quotes, a dollar, a backtick, a backslash and a percent.
        const QString exe = m_home->filePath(QStringLiteral("my \"odd\" $dir`x\\/to 100%vani"));
        auto login = item(exe);
        QString error;
        QVERIFY2(login->setEnabled(true, &error), qPrintable(error));
        QVERIFY(login->isEnabled());

        const QList<QByteArray> lines = readEntry().split('\n');
        QCOMPARE(lines.first(), QByteArray("[Desktop Entry]"));
        QVERIFY(lines.contains("Type=Application"));
        QVERIFY(lines.contains("Name=Tovani"));
        QVERIFY(lines.contains("Icon=tovani"));
        QVERIFY(lines.contains("Terminal=false"));
        QVERIFY(lines.contains("X-GNOME-Autostart-enabled=true"));
        QVERIFY(std::any_of(lines.begin(), lines.end(), [](const QByteArray &l) { return l.startsWith("Comment="); }));

        // Exec quoting, then the string escape that doubles every backslash.
        const QByteArray expected = "Exec=\"" + m_home->path().toUtf8() +
                                    "/my \\\\\"odd\\\\\" \\\\$dir\\\\`x\\\\\\\\/to 100%%vani\"";
        QVERIFY2(lines.contains(expected), readEntry().constData());
        QCOMPARE(QFileInfo(entry()).isFile(), true);
        QCOMPARE(QDir(dir()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left over
    }

    // The session's own reader (GLib, through gio) starts the program the
    // entry names, odd characters and all. GLib looks for the program before
    // expanding "%%", so this path has no percent sign.
    void sessionStartsTheProgramTheEntryNames()
    {
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("gio is not installed");
        const QString folder = m_home->filePath(QStringLiteral("my \"odd\" $dir`x\\"));
        QVERIFY(QDir().mkpath(folder));
        const QString exe = folder + QStringLiteral("/to vani");
        const QString marker = m_home->filePath(QStringLiteral("started"));
        QFile script(exe);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$0\" > '" + marker.toUtf8() + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(item(exe)->setEnabled(true, nullptr));
        QProcess launch;
        launch.start(gio, {QStringLiteral("launch"), entry()});
        QVERIFY(launch.waitForFinished(10000));
        QCOMPARE(launch.exitCode(), 0);
        const auto startedAs = [&marker] {
            QFile file(marker);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(startedAs(), exe, 10000);
    }

    void enablingReplacesAHiddenEntry()
    {
        writeEntry("[Desktop Entry]\nExec=/old/path\nHidden=true\n");
        auto login = item();
        QVERIFY(!login->isEnabled());
        QVERIFY(login->setEnabled(true, nullptr));
        QVERIFY(login->isEnabled());
        QVERIFY(readEntry().contains("Exec=\"/usr/bin/tovani\"\n"));
        QVERIFY(!readEntry().contains("Hidden"));
    }

    void relativeExecutableIsMadeAbsolute()
    {
        auto login = item(QStringLiteral("bin/tovani"));
        QVERIFY(login->setEnabled(true, nullptr));
        QVERIFY(readEntry().contains("Exec=\"" + QDir::currentPath().toUtf8() + "/bin/tovani\"\n"));
    }

    void disablingRemovesTheEntry()
    {
        auto login = item();
        QVERIFY(login->setEnabled(true, nullptr));
        QString error;
        QVERIFY(login->setEnabled(false, &error));
        QVERIFY(!QFile::exists(entry()));
        QVERIFY(!login->isEnabled());
        // Already gone: still a success.
        QVERIFY(login->setEnabled(false, &error));
        QVERIFY(error.isEmpty());
    }

    void fileInPlaceOfTheFolderFails()
    {
        // Tests run as root, so permissions do not stop writes: a regular file
        // where the folder should be does.
        QDir().mkpath(m_home->filePath(QStringLiteral("config")));
        QFile blocker(dir());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("not a folder");
        blocker.close();

        auto login = item();
        QString error;
        QVERIFY(!login->setEnabled(true, &error));
        QVERIFY2(error.contains(dir()), qPrintable(error));
        QVERIFY(!login->isEnabled());
        QFile check(dir());
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("not a folder"));

        // Deeper: a file in place of a parent folder.
        auto deeper = platform::createXdgAutostart(dir() + QStringLiteral("/sub"), QStringLiteral("/usr/bin/tovani"));
        error.clear();
        QVERIFY(!deeper->setEnabled(true, &error));
        QVERIFY(!error.isEmpty());
    }

    void folderInPlaceOfTheEntryFails()
    {
        QVERIFY(QDir().mkpath(entry()));
        auto login = item();
        QVERIFY(!login->isEnabled());
        QString error;
        QVERIFY(!login->setEnabled(true, &error));
        QVERIFY2(error.contains(QStringLiteral("tovani.desktop")), qPrintable(error));
        error.clear();
        QVERIFY(!login->setEnabled(false, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(entry()).isDir());
    }

    void namedPipeIsNotRead()
    {
        QDir().mkpath(dir());
        QCOMPARE(::mkfifo(QFile::encodeName(entry()).constData(), 0600), 0);
        QVERIFY(!item()->isEnabled()); // returns rather than waiting for a writer
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
