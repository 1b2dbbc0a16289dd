// The launch-at-login switch: it follows the login item, records only
// successful changes in the settings, and returns a refusal as one line for
// the caller to show.

#include "feedback/LaunchAtLogin.h"
#include "platform/Backends.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

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
    bool storedValue()
    {
        settings().flush();
        return AppSettings(settings().filePath()).launchAtLogin();
    }

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
        QVERIFY(settings().flush());
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
        // Not replaced: the platform's own login item.
        LaunchAtLogin::setLoginItem(nullptr);
        m_platform.fakeLoginItem.setEnabledDirectly(true);
        QVERIFY(LaunchAtLogin::isEnabled());
        m_platform.fakeLoginItem.setEnabledDirectly(false);
        QVERIFY(!LaunchAtLogin::isEnabled());
    }

    void successStoresAndSaves()
    {
        QSignalSpy changed(&settings(), &AppSettings::launchAtLoginChanged);
        QCOMPARE(LaunchAtLogin::setEnabled(true), std::nullopt);
        QVERIFY(m_item.isEnabled());
        QVERIFY(settings().launchAtLogin());
        QVERIFY(storedValue());
        QCOMPARE(changed.size(), 1);

        QCOMPARE(LaunchAtLogin::setEnabled(false), std::nullopt);
        QVERIFY(!m_item.isEnabled());
        QVERIFY(!settings().launchAtLogin());
        QVERIFY(!storedValue());
    }

    void refusedChangeSaysWhyAndChangesNothing_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("line");
        QTest::newRow("enable") << true << QStringLiteral("/home/x/.config/autostart is not a folder")
                                << QStringLiteral("Failed to enable launch at login: /home/x/.config/autostart is not a folder");
        QTest::newRow("disable") << false << QStringLiteral("permission denied")
                                 << QStringLiteral("Failed to disable launch at login: permission denied");
        QTest::newRow("reason on two lines") << true << QStringLiteral("could not write\nDisk full")
                                             << QStringLiteral("Failed to enable launch at login: could not write Disk full");
    }

    void refusedChangeSaysWhyAndChangesNothing()
    {
        QFETCH(bool, enable);
        QFETCH(QString, reason);
        QFETCH(QString, line);

        // The item and the setting start in the opposite state.
        m_item.setEnabledDirectly(!enable);
        settings().setLaunchAtLogin(!enable);
        QVERIFY(settings().flush());
        const QByteArray fileBefore = fileBytes(settings().filePath());

        m_item.setFailure(reason);
        QSignalSpy changed(&settings(), &AppSettings::changed);
        QCOMPARE(LaunchAtLogin::setEnabled(enable), line);
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

        QCOMPARE(LaunchAtLogin::setEnabled(true), std::nullopt);
        QVERIFY(QFile::exists(dir + QStringLiteral("/tovani.desktop")));
        QVERIFY(LaunchAtLogin::isEnabled());
        QVERIFY(storedValue());

        QCOMPARE(LaunchAtLogin::setEnabled(false), std::nullopt);
        QVERIFY(!LaunchAtLogin::isEnabled());
        QVERIFY(!storedValue());

        QFile blocker(home.filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto blocked = platform::createXdgAutostart(blocker.fileName(), QStringLiteral("/usr/bin/tovani"));
        LaunchAtLogin::setLoginItem(blocked.get());
        const QString output = LaunchAtLogin::setEnabled(true).value_or(QString());
        QVERIFY2(output.startsWith(u"Failed to enable launch at login: "), qPrintable(output));
        QVERIFY(output.contains(blocker.fileName()));
        QVERIFY(!storedValue());
        LaunchAtLogin::setLoginItem(&m_item);
    }
};

QTEST_GUILESS_MAIN(TestLaunchAtLogin)
#include "test_launchatlogin.moc"
