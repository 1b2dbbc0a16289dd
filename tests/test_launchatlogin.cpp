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

    static AppSettings &settings() { return AppSettings::shared(); }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QVERIFY(m_config.isValid() && settings().filePath().startsWith(m_config.path()));
        platform::Platform::setInstance(&m_platform);
    }

    void followsTheLoginItem()
    {
        // Asked afresh every time: the platform's own item unless one is set;
        // the stored value plays no part.
        for (platform::FakeLoginItem *item : {&m_item, &m_platform.fakeLoginItem}) {
            LaunchAtLogin::setLoginItem(item == &m_item ? item : nullptr);
            for (bool on : {true, false, true}) {
                item->setEnabledDirectly(on);
                QCOMPARE(LaunchAtLogin::isEnabled(), on);
            }
        }
        QVERIFY(!settings().launchAtLogin());
    }

    void switches_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QString>("refusal"); // empty: the item does as asked
        QTest::addColumn<QString>("shown");
        QTest::newRow("enable") << true << QString() << QString();
        QTest::newRow("disable") << false << QString() << QString();
        // The reason is shown on one line.
        QTest::newRow("enable refused") << true << u"cannot write:\nfull"_s << u"cannot write: full"_s;
        QTest::newRow("disable refused") << false << u"permission\r\ndenied"_s << u"permission denied"_s;
    }

    void switches()
    {
        // Item and setting start the other way; a refusal changes neither
        // and no setting at all.
        QFETCH(bool, enable);
        QFETCH(QString, refusal);
        QFETCH(QString, shown);
        m_item.setEnabledDirectly(!enable);
        LaunchAtLogin::setLoginItem(&m_item);
        settings().setLaunchAtLogin(!enable);
        QVERIFY(settings().flush());
        m_item.setFailure(refusal);
        QSignalSpy changed(&settings(), &AppSettings::changed);
        const bool now = refusal.isEmpty() ? enable : !enable;
        const QString line = u"Failed to %1 launch at login: %2"_s.arg(enable ? "enable" : "disable", shown);
        QCOMPARE(LaunchAtLogin::setEnabled(enable), refusal.isEmpty() ? std::nullopt : std::optional(line));
        QCOMPARE(m_item.isEnabled(), now);
        QCOMPARE(settings().launchAtLogin(), now);
        QCOMPARE(changed.size(), refusal.isEmpty() ? 1 : 0);
        QVERIFY(settings().flush());
        QCOMPARE(AppSettings(settings().filePath()).launchAtLogin(), now);
    }
};

QTEST_GUILESS_MAIN(TestLaunchAtLogin)
#include "test_launchatlogin.moc"
