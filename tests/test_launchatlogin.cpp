// The launch-at-login switch: it follows the login item, records only
// successful changes in the settings, and reports a refusal on one line of
// standard output.

#include "feedback/LaunchAtLogin.h"
#include "platform/Backends.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Runs fn with file descriptor 1 sent to a temporary file and returns what
// was written there.
template<typename Fn>
QByteArray captureStdout(Fn fn)
{
    QTemporaryFile capture;
    if (!capture.open())
        return "<capture failed>";
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(capture.handle(), STDOUT_FILENO);
    fn();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    capture.seek(0);
    return capture.readAll();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestLaunchAtLogin : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    platform::FakePlatform m_platform;
    platform::FakeLoginItem m_item;

    AppSettings &settings() { return AppSettings::shared(); }
    bool storedValue() { return AppSettings(settings().filePath()).launchAtLogin(); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QVERIFY(settings().filePath().startsWith(m_config.path()));
        platform::Platform::setInstance(&m_platform);
    }

    void init()
    {
        m_item = platform::FakeLoginItem();
        LaunchAtLogin::setLoginItem(&m_item);
        settings().setLaunchAtLogin(false);
        QVERIFY(settings().save());
    }

    void readsTheLoginItemAfreshEveryTime()
    {
        QVERIFY(!LaunchAtLogin::isEnabled());
        m_item.setEnabledDirectly(true);
        QVERIFY(LaunchAtLogin::isEnabled());
        // The stored value plays no part in the answer.
        QVERIFY(!settings().launchAtLogin());
        m_item.setEnabledDirectly(false);
        QVERIFY(!LaunchAtLogin::isEnabled());
    }

    void usesThePlatformsLoginItemUnlessReplaced()
    {
        LaunchAtLogin::setLoginItem(nullptr);
        m_platform.fakeLoginItem.setEnabledDirectly(true);
        QVERIFY(LaunchAtLogin::isEnabled());
        m_platform.fakeLoginItem.setEnabledDirectly(false);
        QVERIFY(!LaunchAtLogin::isEnabled());
    }

    void successStoresAndSaves()
    {
        QSignalSpy changed(&settings(), &AppSettings::launchAtLoginChanged);
        const QByteArray output = captureStdout([] { LaunchAtLogin::setEnabled(true); });
        QCOMPARE(output, QByteArray());
        QVERIFY(m_item.isEnabled());
        QVERIFY(settings().launchAtLogin());
        QVERIFY(storedValue());
        QCOMPARE(changed.size(), 1);

        LaunchAtLogin::setEnabled(false);
        QVERIFY(!m_item.isEnabled());
        QVERIFY(!settings().launchAtLogin());
        QVERIFY(!storedValue());
    }

    void refusedChangePrintsOneLineAndChangesNothing_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("enable") << true << QStringLiteral("/home/x/.config/autostart is not a folder")
                                << QByteArray("Failed to enable launch at login: /home/x/.config/autostart is not a folder\n");
        QTest::newRow("disable") << false << QStringLiteral("permission denied")
                                 << QByteArray("Failed to disable launch at login: permission denied\n");
        QTest::newRow("reason on two lines") << true << QStringLiteral("could not write\nDisk full")
                                             << QByteArray("Failed to enable launch at login: could not write Disk full\n");
    }

    void refusedChangePrintsOneLineAndChangesNothing()
    {
        QFETCH(bool, enable);
        QFETCH(QString, reason);
        QFETCH(QByteArray, line);

        // The item and the setting start in the opposite state.
        m_item.setEnabledDirectly(!enable);
        settings().setLaunchAtLogin(!enable);
        QVERIFY(settings().save());
        const QByteArray fileBefore = fileBytes(settings().filePath());

        m_item.setFailure(reason);
        QSignalSpy changed(&settings(), &AppSettings::changed);
        const QByteArray output = captureStdout([enable] { LaunchAtLogin::setEnabled(enable); });

        QCOMPARE(output, line);
        QCOMPARE(m_item.isEnabled(), !enable);
        QCOMPARE(settings().launchAtLogin(), !enable);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(fileBytes(settings().filePath()), fileBefore);
    }

    // With the real autostart entry: a success writes the entry and the
    // setting; a file where the folder should be is refused with its reason.
    void overTheAutostartEntry()
    {
        QTemporaryDir home;
        const QString dir = home.filePath(QStringLiteral("autostart"));
        auto item = platform::createXdgAutostart(dir, QStringLiteral("/usr/bin/tovani"));
        LaunchAtLogin::setLoginItem(item.get());

        LaunchAtLogin::setEnabled(true);
        QVERIFY(QFile::exists(dir + QStringLiteral("/tovani.desktop")));
        QVERIFY(LaunchAtLogin::isEnabled());
        QVERIFY(storedValue());

        LaunchAtLogin::setEnabled(false);
        QVERIFY(!LaunchAtLogin::isEnabled());
        QVERIFY(!storedValue());

        QFile blocker(home.filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto blocked = platform::createXdgAutostart(blocker.fileName(), QStringLiteral("/usr/bin/tovani"));
        LaunchAtLogin::setLoginItem(blocked.get());
        const QByteArray output = captureStdout([] { LaunchAtLogin::setEnabled(true); });
        QVERIFY2(output.startsWith("Failed to enable launch at login: "), output.constData());
        QVERIFY(output.contains(blocker.fileName().toUtf8()));
        QVERIFY(output.endsWith("\n") && output.count('\n') == 1);
        QVERIFY(!storedValue());
        LaunchAtLogin::setLoginItem(&m_item);
    }
};

QTEST_GUILESS_MAIN(TestLaunchAtLogin)
#include "test_launchatlogin.moc"
