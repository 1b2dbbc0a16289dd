// The launch-at-login switch: it follows the login item, records only
// successful changes in the settings, and returns a refusal as one line for
// the caller to show. (The real autostart entry is test_autostart's.)

#include "feedback/LaunchAtLogin.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestLaunchAtLogin : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;
    platform::FakePlatform m_platform;
    platform::FakeLoginItem m_item;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QVERIFY(m_config.isValid() && AppSettings::shared().filePath().startsWith(m_config.path()));
        platform::Platform::setInstance(&m_platform);
    }

    void switches_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<bool>("ownItem"); // else the platform's
        QTest::addColumn<QString>("refusal"); // empty: the item does as asked
        QTest::addColumn<QString>("shown");
        QTest::newRow("enable") << true << false << QString() << QString();
        QTest::newRow("disable") << false << true << QString() << QString();
        QTest::newRow("enable refused") << true << true << u"disk\nfull"_s << u"disk full"_s;
        QTest::newRow("disable refused") << false << false << u"no\r\nway"_s << u"no way"_s;
    }

    void switches()
    {
        // The item is asked afresh every time (the platform's unless one is
        // set), whatever the setting says. A success is stored in the
        // setting; a refusal changes nothing and comes back on one line.
        QFETCH(bool, enable);
        QFETCH(bool, ownItem);
        QFETCH(QString, refusal);
        QFETCH(QString, shown);
        platform::FakeLoginItem &item = ownItem ? m_item : m_platform.fakeLoginItem;
        LaunchAtLogin::setLoginItem(ownItem ? &m_item : nullptr);
        AppSettings::shared().setLaunchAtLogin(!enable);
        item.setEnabledDirectly(enable);
        QCOMPARE(LaunchAtLogin::isEnabled(), enable);
        item.setEnabledDirectly(!enable);
        item.setFailure(refusal);
        const QString line = u"Failed to %1 launch at login: %2"_s.arg(enable ? "enable" : "disable", shown);
        QCOMPARE(LaunchAtLogin::setEnabled(enable), refusal.isEmpty() ? std::nullopt : std::optional(line));
        QCOMPARE(LaunchAtLogin::isEnabled(), enable == refusal.isEmpty());
        QCOMPARE(AppSettings::shared().launchAtLogin(), enable == refusal.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLaunchAtLogin)
#include "test_launchatlogin.moc"
