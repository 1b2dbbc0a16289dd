// The application shell on the fake platform: commands, menu, tooltip, hot keys.

#include "app/AppDelegate.h"
#include "feedback/HUDNotification.h"
#include "feedback/LaunchAtLogin.h"
#include "overlay/OverlayManager.h"
#include "overlay/OverlayWindow.h"
#include "platform/FakePlatform.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

using platform::FakePlatform;

class TestAppDelegate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void thicknessStepsAndBounds();
    void stylesCycleAndPickByIndex();
    void menuOnFirstLaunch();
    void menuFollowsState();
    void trayMenuAndIconsAreMadeOnce();
    void toolTipHasThreeLines();
    void guideShowsOnlyTheDisplayUnderThePointer();
    void hotkeysDispatchById();
    void hotkeysRegisterUnregisterAndAgain();
    void refusedHotkeyIsMarkedInUse();
    void resetReleasesTheHotkeys();
    void launchAtLoginFollowsTheLoginItem();
    void commandsFromAnotherLaunch();
    void unsavedChangeIsReported();
    void untrustedSessionIsToldOnce();

private:
    QStringList menuTitles() const;
    QString hudText() const;

    std::unique_ptr<QTemporaryDir> m_configHome;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<AppDelegate> m_delegate;
};

void TestAppDelegate::initTestCase()
{
    // The login switch records its changes in the shared settings; keep those
    // out of the real configuration folder.
    m_configHome = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_configHome->path().toUtf8());
}

void TestAppDelegate::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<FakePlatform>();
    m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1440, 900), QRectF(1440, 0, 1280, 1024)});
    platform::Platform::setInstance(m_platform.get());
    LaunchAtLogin::setLoginItem(&m_platform->fakeLoginItem);
    m_settings = std::make_unique<AppSettings>(m_dir->filePath("tovani.conf"));
    m_delegate = std::make_unique<AppDelegate>(*m_platform, *m_settings);
    m_delegate->applicationDidFinishLaunching();
}

void TestAppDelegate::cleanup()
{
    m_delegate.reset();
    m_settings.reset();
    LaunchAtLogin::setLoginItem(nullptr);
    platform::Platform::setInstance(nullptr);
    m_platform.reset();
}

// The rows on show, a ticked one as "✓ Title".
QStringList TestAppDelegate::menuTitles() const
{
    QStringList titles;
    for (QAction *action : m_delegate->menu()->actions()) {
        if (!action->isVisible())
            continue;
        const QString tick = action->isChecked() ? QStringLiteral("✓ ") : QString();
        titles.append(action->isSeparator() ? QStringLiteral("---") : tick + action->text());
    }
    return titles;
}

QString TestAppDelegate::hudText() const
{
    // The HUD window is created on the next turn of the event loop.
    QCoreApplication::processEvents();
    HUDWindow *window = HUDNotification::shared().window();
    return window ? window->view().message : QString();
}

void TestAppDelegate::thicknessStepsAndBounds()
{
    QCOMPARE(m_settings->customThickness(), 4.0);
    m_delegate->decreaseThickness();
    QCOMPARE(m_settings->customThickness(), 1.0);
    QCOMPARE(hudText(), QStringLiteral("1px"));
    m_delegate->decreaseThickness();
    QCOMPARE(m_settings->customThickness(), 1.0);

    m_settings->setCustomThickness(98);
    m_delegate->increaseThickness();
    QCOMPARE(m_settings->customThickness(), 100.0);
    QCOMPARE(hudText(), QStringLiteral("100px"));
    m_delegate->increaseThickness();
    QCOMPARE(m_settings->customThickness(), 100.0);

    m_settings->setCustomThickness(7.5);
    m_delegate->increaseThickness();
    QCOMPARE(m_settings->customThickness(), 12.5);
    QCOMPARE(hudText(), QStringLiteral("12px"));
}

void TestAppDelegate::stylesCycleAndPickByIndex()
{
    const QStringList expected = {"Highlight Bar", "Focus Window", "Ruler", "Reading Strip", "Underline"};
    for (const QString &name : expected) {
        m_delegate->cycleStyle();
        QCOMPARE(LineStyles::rawValue(m_settings->currentStyle()), name);
        QCOMPARE(hudText(), name);
    }
    QCOMPARE(m_settings->currentStyle(), LineStyle::underline);

    m_delegate->selectStyleByIndex(3);
    QCOMPARE(m_settings->currentStyle(), LineStyle::ruler);
    QCOMPARE(m_settings->customThickness(), 45.0);

    // Out of range: nothing at all happens, not even a save or a menu rebuild.
    m_settings->setCustomThickness(33);
    QMenu *menu = m_delegate->menu();
    for (int index : {-1, 5, 1000})
        m_delegate->selectStyleByIndex(index);
    QCOMPARE(m_settings->currentStyle(), LineStyle::ruler);
    QCOMPARE(m_settings->customThickness(), 33.0);
    QCOMPARE(m_delegate->menu(), menu);

    // The menu's style items carry the display name; anything else is ignored.
    m_delegate->selectStyle(QStringLiteral("Focus Window"));
    QCOMPARE(m_settings->currentStyle(), LineStyle::focusWindow);
    m_delegate->selectStyle(QStringLiteral("focus window"));
    m_delegate->selectStyle(QVariant(2));
    QCOMPARE(m_settings->currentStyle(), LineStyle::focusWindow);
}

void TestAppDelegate::menuOnFirstLaunch()
{
    const QStringList expected = {"Enable Reading Guide", "Crosshair Brackets", "Magnifier", "---", "Style", "---",
                                  "Preferences...", "---", "Launch at Login", "---", "About Tovani", "Quit Tovani"};
    QCOMPARE(menuTitles(), expected);

    QMenu *styles = m_delegate->menu()->actions().at(4)->menu();
    QVERIFY(styles);
    QStringList ticked;
    for (QAction *item : styles->actions()) {
        if (item->isChecked())
            ticked.append(item->text());
        QCOMPARE(item->data().toString(), item->text());
    }
    QCOMPARE(ticked, QStringList{"Underline"});
    QCOMPARE(styles->actions().at(3)->shortcut().toString(QKeySequence::NativeText), QStringLiteral("Ctrl+4"));
}

void TestAppDelegate::menuFollowsState()
{
    m_delegate->toggleGuide();
    m_delegate->toggleVerticalGuides();
    m_delegate->toggleMagnifier();
    m_settings->setGlobalHotkeysEnabled(true);

    const QStringList expected = {"✓ Reading Guide Enabled",
                                  "✓ Crosshair Brackets",
                                  "✓ Magnifier",
                                  "---",
                                  "Style",
                                  "---",
                                  "Preferences...",
                                  "---",
                                  "Shortcuts:",
                                  "  Ctrl+Shift+R  Toggle guide",
                                  "  Ctrl+1-5  Switch style",
                                  "  Ctrl+Shift+T  Cycle styles",
                                  "  Ctrl+Shift++/-  Adjust size",
                                  "---",
                                  "Launch at Login",
                                  "---",
                                  "About Tovani",
                                  "Quit Tovani"};
    QCOMPARE(menuTitles(), expected);
    for (int row = 8; row <= 12; ++row)
        QVERIFY(!m_delegate->menu()->actions().at(row)->isEnabled());
    // Saved: brackets and magnifier survive a restart, the guide does not.
    QVERIFY(m_settings->flush());
    AppSettings reloaded(m_settings->filePath());
    QVERIFY(reloaded.verticalGuidesEnabled());
    QVERIFY(reloaded.magnifierEnabled());
}

void TestAppDelegate::trayMenuAndIconsAreMadeOnce()
{
    // A new menu and a new icon on every change kept memory growing with each
    // toggle: every icon left its own scaled copies in the pixmap cache.
    const QPointer<QMenu> menu = m_delegate->menu();
    const QList<QAction *> actions = menu->actions();
    const qsizetype widgets = QApplication::allWidgets().size();
    QSet<qint64> icons;
    for (int i = 0; i < 300; ++i) {
        QCOMPARE(m_delegate->runCommand(QStringLiteral("toggle")), QStringLiteral("ok"));
        m_delegate->toggleVerticalGuides();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        icons.insert(m_delegate->statusItem()->icon().cacheKey());
    }
    QVERIFY(menu && m_delegate->menu() == menu);
    QVERIFY(menu->actions() == actions);
    QCOMPARE(QApplication::allWidgets().size(), widgets);
    QCOMPARE(icons.size(), 2);
}

void TestAppDelegate::toolTipHasThreeLines()
{
    QCOMPARE(m_delegate->toolTip(), QStringLiteral("Tovani (OFF)\nStyle: Underline\nCtrl+Shift+R to toggle"));
    m_delegate->toggleGuide();
    m_delegate->selectStyleByIndex(2);
    QCOMPARE(m_delegate->toolTip(), QStringLiteral("Tovani (ON)\nStyle: Focus Window\nCtrl+Shift+R to toggle"));
}

void TestAppDelegate::guideShowsOnlyTheDisplayUnderThePointer()
{
    auto windows = m_delegate->overlayManager()->overlayWindows;
    QCOMPARE(windows.size(), 2);
    m_platform->fakePointer.setPosition(QPointF(2000, 500));
    m_delegate->toggleGuide();
    QVERIFY(m_platform->fakePointer.isRunning());
    QVERIFY(!windows.at(0)->isVisible());
    QVERIFY(windows.at(1)->isVisible());

    m_platform->fakePointer.moveTo(QPointF(100, 100));
    QVERIFY(windows.at(0)->isVisible());
    QVERIFY(!windows.at(1)->isVisible());

    m_delegate->toggleGuide();
    QVERIFY(!windows.at(0)->isVisible());
    QVERIFY(!windows.at(1)->isVisible());
    QVERIFY(!m_platform->fakePointer.isRunning());
}

void TestAppDelegate::hotkeysDispatchById()
{
    m_settings->setGlobalHotkeysEnabled(true);
    m_delegate->handleHotkeysToggled();
    auto &keys = m_platform->fakeHotkeys;
    QCOMPARE(keys.registered().size(), 9);
    QCOMPARE(keys.registered().value(1).xkbKeyName, QStringLiteral("AD04"));
    QCOMPARE(keys.registered().value(3).xkbKeyName, QStringLiteral("AE12"));
    QCOMPARE(keys.registered().value(9).xkbKeyName, QStringLiteral("AE05"));
    QCOMPARE(keys.registered().value(9).modifiers, Qt::KeyboardModifiers(Qt::ControlModifier));

    keys.press(1);
    QVERIFY(m_delegate->isEnabled());
    keys.press(1, /*autoRepeat*/ true); // holding the key does not flicker the guide
    QVERIFY(m_delegate->isEnabled());
    keys.press(7);
    QCOMPARE(m_settings->currentStyle(), LineStyle::focusWindow);
    keys.press(2);
    QCOMPARE(m_settings->currentStyle(), LineStyle::ruler);
    keys.press(3);
    keys.press(3, true);
    keys.press(3, true); // a held size key keeps stepping
    QCOMPARE(m_settings->customThickness(), 60.0);
    keys.press(4);
    QCOMPARE(m_settings->customThickness(), 55.0);
    m_delegate->handleHotkey(0, false);
    m_delegate->handleHotkey(10, false);
    QCOMPARE(m_settings->customThickness(), 55.0);
}

void TestAppDelegate::hotkeysRegisterUnregisterAndAgain()
{
    auto &keys = m_platform->fakeHotkeys;
    QVERIFY(keys.registered().isEmpty()); // off on a first launch
    m_settings->setGlobalHotkeysEnabled(true);
    QCOMPARE(keys.registered().size(), 9);
    m_settings->setGlobalHotkeysEnabled(false);
    QVERIFY(keys.registered().isEmpty());
    m_settings->setGlobalHotkeysEnabled(true);
    QCOMPARE(keys.registered().size(), 9);
    // Registering again while registered leaves one grab per key.
    m_delegate->setupGlobalHotkey();
    QCOMPARE(keys.registered().size(), 9);
    keys.press(1);
    QVERIFY(m_delegate->isEnabled());

    m_delegate->applicationWillTerminate();
    QVERIFY(keys.registered().isEmpty());
}

void TestAppDelegate::refusedHotkeyIsMarkedInUse()
{
    m_platform->fakeHotkeys.setTaken(QStringLiteral("AD05"), true);
    m_settings->setGlobalHotkeysEnabled(true);
    QCOMPARE(m_platform->fakeHotkeys.registered().size(), 8);
    QCOMPARE(m_delegate->refusedHotkeys(), QSet<int>{2});
    const QStringList titles = menuTitles();
    QVERIFY(titles.contains(QStringLiteral("  Ctrl+Shift+T  Cycle styles (in use)")));
    QVERIFY(titles.contains(QStringLiteral("  Ctrl+Shift+R  Toggle guide")));
}

void TestAppDelegate::resetReleasesTheHotkeys()
{
    m_settings->setGlobalHotkeysEnabled(true);
    QCOMPARE(m_platform->fakeHotkeys.registered().size(), 9);
    m_settings->resetToDefaults(); // no notification follows a reset
    QVERIFY(m_platform->fakeHotkeys.registered().isEmpty());
    QVERIFY(!menuTitles().contains(QStringLiteral("Shortcuts:")));
}

void TestAppDelegate::launchAtLoginFollowsTheLoginItem()
{
    m_delegate->toggleLaunchAtLogin();
    QVERIFY(m_platform->fakeLoginItem.isEnabled());
    QVERIFY(AppSettings::shared().launchAtLogin());
    QVERIFY(menuTitles().contains(QStringLiteral("✓ Launch at Login")));

    // Refused: the row stays ticked, and the HUD says why.
    m_platform->fakeLoginItem.setFailure(QStringLiteral("read-only folder"));
    QAction *row = nullptr;
    for (QAction *action : m_delegate->menu()->actions()) {
        if (action->text() == u"Launch at Login")
            row = action;
    }
    QVERIFY(row);
    row->trigger();
    QVERIFY(m_platform->fakeLoginItem.isEnabled());
    QVERIFY(menuTitles().contains(QStringLiteral("✓ Launch at Login")));
    QCOMPARE(hudText(), QStringLiteral("Failed to disable launch at login: read-only folder"));

    // The row shows the login item's real state, not the stored setting.
    m_platform->fakeLoginItem.setEnabledDirectly(false);
    m_delegate->updateMenu();
    QVERIFY(menuTitles().contains(QStringLiteral("Launch at Login")));
}

void TestAppDelegate::commandsFromAnotherLaunch()
{
    QCOMPARE(m_delegate->runCommand(QStringLiteral("style 4")), QStringLiteral("ok"));
    QCOMPARE(m_settings->currentStyle(), LineStyle::ruler);
    QCOMPARE(m_delegate->runCommand(QStringLiteral("toggle")), QStringLiteral("ok"));
    QVERIFY(m_delegate->isEnabled());
    QVERIFY(m_delegate->runCommand(QStringLiteral("style 9")).startsWith(u"error: "));
    QVERIFY(m_delegate->runCommand(QStringLiteral("format-disk")).startsWith(u"error: "));
    QVERIFY(m_delegate->runCommand(QString()).startsWith(u"error: "));
    QSignalSpy quit(m_delegate.get(), &AppDelegate::quitRequested);
    QCOMPARE(m_delegate->runCommand(QStringLiteral("quit")), QStringLiteral("ok"));
    QTRY_COMPARE(quit.count(), 1);
}

void TestAppDelegate::unsavedChangeIsReported()
{
    // Something in the way of the settings file: the change shows, but the
    // person is told it was not kept, and the command line gets an error.
    QVERIFY(QDir().mkpath(m_settings->filePath()));
    const QString reply = m_delegate->runCommand(QStringLiteral("thicker"));
    QVERIFY2(reply.startsWith(u"error: the change was not saved"), qPrintable(reply));
    QCoreApplication::processEvents();
    QVERIFY2(hudText().contains(u"not saved"), qPrintable(hudText()));
    // A command that saves nothing is not blamed for it.
    QCOMPARE(m_delegate->runCommand(QStringLiteral("toggle")), QStringLiteral("ok"));
}

void TestAppDelegate::untrustedSessionIsToldOnce()
{
    // A fresh delegate on a platform that cannot see every window.
    m_delegate.reset();
    m_platform->trusted = false;
    m_delegate = std::make_unique<AppDelegate>(*m_platform, *m_settings);
    m_delegate->setAccessibilityPromptDelay(50);
    QStringList seen;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.append(box->text());
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == u"Later")
                button->click();
        }
    });
    answer.start(20);
    m_delegate->applicationDidFinishLaunching(false);
    QVERIFY(seen.isEmpty()); // not during the launch itself
    QTRY_COMPARE(seen.size(), 1);
    QVERIFY(seen.first().contains(u"Wayland"));
    QTest::qWait(200);
    QCOMPARE(seen.size(), 1);
    // After "Later" the application goes on as before.
    m_delegate->toggleGuide();
    QVERIFY(m_delegate->isEnabled());
}

QTEST_MAIN(TestAppDelegate)
#include "test_appdelegate.moc"
