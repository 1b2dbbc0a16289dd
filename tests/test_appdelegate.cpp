// The application shell on the fake platform: each command through each of its
// ways in, the tray menu and icon, the hot keys, and changes that are refused
// or not saved.

#include "app/AppDelegate.h"
#include "feedback/HUDNotification.h"
#include "overlay/DisplayGuide.h"
#include "overlay/OverlayManager.h"
#include "platform/FakePlatform.h"
#include "ui/Controls.h"
#include "ui/PreferencesView.h"
#include "ui/TrayMenu.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// Each way in a command has: its line to the running copy, its hot key (its
// modifiers and key position), its menu row (by the end of its text). From a fresh start (after
// `before`) each must change the same things, show the same HUD message (none
// from the menu, whose row shows the change), and only the size steps repeat
// while their hot key is held.
// A command that can't do its work here (`fails`) answers "error: " and its
// HUD message instead of "ok".
// Where the desktop can't magnify (a row named so), the magnifier's row is
// greyed out with the reason as its tooltip.
// One row a line, as in a table.
// clang-format off
const struct { const char *name; QString before, line, key, menu, effect, hud; bool repeats = false, fails = false;
} commandRows[] = {
    {"toggle", "", "toggle", "ctrl+shift+AD04", "Enable Reading Guide",
     "guide=on overlays=off,on menu=Reading Guide Enabled,Underline line=500/0", ""},
    {"brackets", "", "brackets", "", "Crosshair Brackets", "brackets=on menu=Crosshair Brackets,Underline", ""},
    {"magnifier", "", "magnifier", "", "Magnifier", "magnifier=on menu=Magnifier,Underline", ""},
    // The saved setting stays for a session that can magnify.
    {"magnifier, no way to magnify", "", "magnifier", "", "Magnifier", "", "Needs an X11 session", false, true},
    {"style", "", "style 4", "ctrl+AE04", "Ruler", "style=Ruler thickness=45 menu=Ruler", "Ruler"},
    {"cycle", "", "cycle-style", "ctrl+shift+AD05", "", "style=Highlight Bar thickness=28 menu=Highlight Bar", "Highlight Bar"},
    {"cycle, wrapping", "style 5", "cycle-style", "ctrl+shift+AD05", "", "style=Underline thickness=4 menu=Underline", "Underline"},
    {"thicker", "", "thicker", "ctrl+shift+AE12", "", "thickness=35", "35px", true},
    {"thinner", "", "thinner", "ctrl+shift+AE11", "", "thickness=25", "25px", true},
    // A line as tall as the guide (30) on from 455-485, the one the underline
    // at the pointer's row (500) is under.
    {"next line", "toggle", "next-line", "ctrl+shift+DOWN", "Next Line", "line=485/30", "", true},
    {"previous line", "toggle", "previous-line", "ctrl+shift+UP", "Previous Line", "line=425/30", "", true},
    {"lock", "toggle", "lock", "ctrl+shift+AC09", "Lock Guide", "menu=Reading Guide Enabled,Guide Locked,Underline locked=on",
     "Guide locked"},
    // No text lines here: it says why (the menu's row alike); for real: tests/speech/.
    {"read aloud", "toggle", "read-aloud", "ctrl+alt+SPCE", "", "",
     "Reading aloud needs Snap to Text Lines: switch it on in the preferences.", false, true},
    {"preferences", "", "preferences", "", "Preferences...", "preferences=shown", ""},
    {"about", "", "about", "", "About Tovani", "about=shown", ""},
    {"launch at login", "", "launch-at-login", "", "Launch at Login", "login=on menu=Underline,Launch at Login", ""},
    {"quit", "", "quit", "", "Quit Tovani", "quit=1", ""},
};
// clang-format on
} // namespace

class TestAppDelegate : public QObject
{
    Q_OBJECT

    QTemporaryDir m_configHome;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<platform::FakePlatform> m_platform;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<QSignalSpy> m_quits;

    // What a command can change, as "name=value" words.
    QStringList state()
    {
        QCoreApplication::processEvents(); // a quit or a HUD message comes on the next turn
        const auto onOff = [](bool on) { return QString::fromLatin1(on ? "on" : "off"); };
        const auto shown = [](const QWidget *w) { return QString::fromLatin1(w && w->isVisible() ? "shown" : ""); };
        QStringList ticked, overlays;
        QString line;
        for (const DisplayGuide *guide : m_delegate->overlayManager()->guides()) {
            overlays.append(onOff(guide->isVisible()));
            if (guide->isVisible())
                line = QStringLiteral("%1/%2").arg(guide->position().y()).arg(guide->lineHeight());
        }
        for (QAction *action : rows())
            if (action->isChecked()) ticked.append(action->text());
        return {"guide=" + onOff(m_delegate->isGuideEnabled()), "overlays=" + overlays.join(u','),
                "brackets=" + onOff(m_settings->verticalGuidesEnabled()),
                "magnifier=" + onOff(m_settings->magnifierEnabled()),
                "style=" + LineStyles::rawValue(m_settings->currentStyle()),
                "thickness=" + QString::number(m_settings->customThickness()),
                "preferences=" + shown(m_delegate->preferencesWindow()), "about=" + shown(m_delegate->aboutWindow()),
                "login=" + onOff(m_platform->fakeLoginItem.isEnabled()), "quit=" + QString::number(m_quits->size()),
                "menu=" + ticked.join(u','), "line=" + line, "locked=" + onOff(m_delegate->isGuideLocked())};
    }
    // Every row of the menu and its submenu, in order.
    QList<QAction *> rows() const { return m_delegate->tray()->menu()->findChildren<QAction *>(); }
    // The first row whose text ends so.
    QAction *row(const QString &text) const
    {
        for (QAction *action : rows())
            if (action->text().endsWith(text)) return action;
        return nullptr;
    }
    // By key position ("AD04"), or with the modifiers it must have, as Qt
    // writes them ("ctrl+shift+AD04").
    int hotkeyId(const QString &combination) const
    {
        for (const auto &[id, key] : m_platform->fakeHotkeys.registered().asKeyValueRange()) {
            const QString modifiers = QKeySequence(key.modifiers.toInt()).toString().toLower();
            if (combination == key.xkbKeyName || combination == modifiers + key.xkbKeyName) return id;
        }
        return -1;
    }

private Q_SLOTS:
    // A fresh start. The one before goes first, and the last one with the
    // test object: the platform outlives what uses it.
    void init()
    {
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8()); // where the login switch records its changes
        m_delegate.reset();
        m_settings.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform = std::make_unique<platform::FakePlatform>();
        m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1440, 900), QRectF(1440, 0, 1280, 1024)});
        m_platform->fakePointer.setPosition(QPointF(2000, 500)); // on the second display
        // The fake captures the screen where it is X11.
        m_platform->x11 = !QByteArray(QTest::currentDataTag()).contains("no way to magnify");
        m_settings = std::make_unique<AppSettings>(m_dir->filePath(QStringLiteral("tovani.conf")));
        m_settings->setCustomThickness(30); // mid-way, so a step either way shows
        m_settings->setSnapToTextLines(false); // no accessibility bus: steps go by the thickness
        m_delegate = std::make_unique<AppDelegate>(*m_platform, *m_settings);
        m_quits = std::make_unique<QSignalSpy>(m_delegate.get(), &AppDelegate::quitRequested);
        m_delegate->applicationDidFinishLaunching(/*plainLaunch*/ false);
    }

    // One row per way in of each command.
    void commandEveryWayIn_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("way");
        for (int i = 0; i < int(std::size(commandRows)); ++i)
            for (const QString &way : {commandRows[i].line, commandRows[i].key, commandRows[i].menu})
                if (!way.isEmpty()) QTest::newRow(qPrintable(commandRows[i].name + (": " + way))) << i << way;
    }

    void commandEveryWayIn()
    {
        QFETCH(int, index);
        QFETCH(QString, way);
        const auto &c = commandRows[index];
        m_settings->setGlobalHotkeysEnabled(true);
        if (!c.before.isEmpty()) QCOMPARE(m_delegate->runCommand(c.before), QStringLiteral("ok"));
        const QStringList start = state();
        const QPointer<HUDWindow> hudBefore = m_delegate->hud().window();
        if (way == c.line) {
            QCOMPARE(m_delegate->runCommand(way), c.fails ? "error: " + c.hud : QStringLiteral("ok"));
        } else if (way == c.key) { // a key not taken changes nothing: the checks below fail
            m_platform->fakeHotkeys.press(hotkeyId(way));
        } else {
            QVERIFY(row(way) && row(way)->isEnabled() == m_platform->x11 &&
                    (m_platform->x11 || row(way)->toolTip() == c.hud));
            if (row(way)->isEnabled()) row(way)->trigger();
        }
        QCOMPARE(m_quits->size(), 0); // nothing ends before it has answered
        const QStringList after = state();
        QStringList changed = after;
        changed.removeIf([&start](const QString &word) { return start.contains(word); });
        QCOMPARE(changed.join(u' '), c.effect);
        HUDWindow *window = m_delegate->hud().window();
        QCOMPARE(window != hudBefore ? window->view().message : QString(), way == c.menu ? QString() : c.hud);
        if (way == c.key) {
            m_platform->fakeHotkeys.press(hotkeyId(way), /*autoRepeat*/ true);
            QCOMPARE(state() != after, c.repeats);
        }
    }

    void everyCommandHasItsRowAndBadLinesChangeNothing()
    {
        for (const Command &command : Commands::all()) {
            const auto tested = [&command](const auto &c) { return c.line.startsWith(command.verb); };
            QVERIFY2(command.reply || std::ranges::any_of(commandRows, tested), command.verb);
        }
        const QStringList start = state();
        // The guide is off: nothing to step or lock.
        for (const char *line : {"style 6", "style 0", "style", "format-disk", "", "toggle now", "next-line", "lock"})
            QVERIFY2(m_delegate->runCommand(QLatin1String(line)).startsWith(u"error: ") && state() == start, line);
    }

    void trayKeepsItsMenuAndIcons()
    {
        // A new menu and a new icon on every change kept memory growing with
        // each toggle: every icon left its own scaled copies in the pixmap cache.
        const QList<QAction *> actions = rows(); // the rows of the one menu there is
        const qsizetype widgets = QApplication::allWidgets().size();
        QSet<qint64> icons;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(m_delegate->runCommand(QStringLiteral("toggle")), QStringLiteral("ok"));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            icons.insert(m_delegate->tray()->trayIcon()->icon().cacheKey());
        }
        QCOMPARE(rows(), actions);
        QCOMPARE(QApplication::allWidgets().size(), widgets);
        QCOMPARE(icons.size(), 2);
    }

    // Taken while the switch is on, and only then listed in the menu and the
    // tooltip; one that another program holds is marked "(in use)"; turning
    // them off releases them all.
    void hotkeysWhileTheSwitchIsOn()
    {
        m_platform->fakeHotkeys.setTaken(QStringLiteral("AD05"), true);
        const auto listed = [this] { return row(QStringLiteral("Shortcuts:"))->isVisible() &&
                                            m_delegate->tray()->toolTip().contains(u"Ctrl+Shift+R"); };
        QVERIFY(m_platform->fakeHotkeys.registered().isEmpty() && !listed()); // off on a first launch
        m_settings->setGlobalHotkeysEnabled(true);
        const int toggleId = hotkeyId("AD04");
        QVERIFY(toggleId > 0 && hotkeyId("AD05") < 0);
        QVERIFY(listed() && row("Cycle styles (in use)") && row("Toggle guide"));
        // No row claims a key of its own: from a tray menu none would work.
        for (QAction *action : rows())
            QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
        // A keyboard change loses a key, and gives it back.
        Q_EMIT m_platform->fakeHotkeys.registrationChanged(toggleId, false);
        QVERIFY(row("Toggle guide (in use)") && !listed());
        Q_EMIT m_platform->fakeHotkeys.registrationChanged(toggleId, true);
        QVERIFY(row("Toggle guide") && listed());
        // A key the desktop bound itself shows in the preferences once it is known.
        m_delegate->showPreferences();
        auto *preferences = qobject_cast<PreferencesWindow *>(m_delegate->preferencesWindow());
        m_platform->fakeHotkeys.bound[toggleId] = QStringLiteral("Meta+G");
        Q_EMIT m_platform->fakeHotkeys.registrationChanged(toggleId, true);
        QVERIFY(preferences->view()->shortcutSwitch()->accessibleDescription().contains(u", Meta+G, "));
        // The line keys, which other programs use too, are taken only while
        // their own switch is on.
        m_settings->setLineStepKeysEnabled(false);
        QVERIFY(hotkeyId("DOWN") < 0 && hotkeyId("AC09") < 0 && hotkeyId("AD04") > 0);
        QVERIFY(!row("Next line")->isVisible());
        m_settings->setLineStepKeysEnabled(true);
        QVERIFY(hotkeyId("DOWN") > 0 && row("Next line")->isVisible());
        m_settings->setGlobalHotkeysEnabled(false);
        QVERIFY(m_platform->fakeHotkeys.registered().isEmpty() && !listed());
    }

    // The rows show the real state: a change made elsewhere at once; a refused
    // login change either way leaves the row as it was and the HUD says why,
    // on one line; the login item (the platform's) is asked again as the
    // menu opens. A change that cannot be saved
    // shows, but the person is told, and the command line gets an error.
    void rowsShowTheRealStateAndRefusals()
    {
        const auto hud = [this] {
            return m_delegate->hud().window() ? m_delegate->hud().window()->view().message : QString();
        };
        m_settings->applyStyle(LineStyle::ruler);
        QVERIFY(row("Ruler")->isChecked());
        QAction *login = row("Launch at Login");
        m_platform->fakeLoginItem.setFailure(QStringLiteral("read-only\nfolder")); // said on one line
        login->trigger();
        QVERIFY(!m_platform->fakeLoginItem.isEnabled() && !login->isChecked());
        QTRY_COMPARE(hud(), QStringLiteral("Failed to enable launch at login: read-only folder"));
        m_platform->fakeLoginItem.setEnabledDirectly(true);
        Q_EMIT m_delegate->tray()->menu()->aboutToShow();
        QVERIFY(login->isChecked());
        login->trigger();
        QVERIFY(m_platform->fakeLoginItem.isEnabled() && login->isChecked());
        QTRY_COMPARE(hud(), QStringLiteral("Failed to disable launch at login: read-only folder"));
        QVERIFY(QDir().mkpath(m_settings->filePath()));
        QCOMPARE(m_delegate->runCommand("thicker").left(31),
                 QStringLiteral("error: the change was not saved"));
        QTRY_VERIFY2(hud().contains(u"not saved"), qPrintable(hud()));
        // A command that saves nothing is not blamed for it.
        QCOMPARE(m_delegate->runCommand(QStringLiteral("toggle")), QStringLiteral("ok"));
    }
};

QTEST_MAIN(TestAppDelegate)
#include "test_appdelegate.moc"
