#pragma once

// The application shell: owns every long-lived object of the running program
// (tray item, overlays, magnifier, pointer tracker, windows, hot keys), runs the
// launch sequence, and carries the user's commands.

#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class MagnifierWindow;
class OverlayManager;

class AppDelegate : public QObject
{
    Q_OBJECT
public:
    AppDelegate(platform::Platform &platform, AppSettings &settings, QObject *parent = nullptr);
    ~AppDelegate() override;

    // Launch and termination. A plain launch (no command) of a desktop without
    // a tray opens the preferences, the only way in there; a launch that runs a
    // command, such as a desktop shortcut bound to "tovani toggle", does not.
    void applicationDidFinishLaunching(bool plainLaunch = true);
    void applicationWillTerminate();
    void handleHotkeysToggled();

    // Commands: the menu, the hot keys and the command line all call these.
    void toggleGuide();
    void selectStyle(const QVariant &representedObject);
    void cycleStyle();
    void selectStyleByIndex(int index);
    void increaseThickness();
    void decreaseThickness();
    void toggleVerticalGuides();
    void toggleMagnifier();
    void showPreferences();
    void showAbout();
    void toggleLaunchAtLogin();
    void quit();

    // Runs a command word sent by another launch ("toggle", "style 3", ...).
    // Returns "ok", or "error: ..." for a command it does not know.
    // A command whose change could not be saved answers "error: ..." too.
    QString runCommand(const QString &command);

    // Tray item: menu, icon and tooltip. The menu is built once; updateMenu()
    // brings its rows up to date in place.
    void setupMenuBar();
    void updateMenu();
    void updateStatusIcon();
    static QIcon createMenuBarIcon(bool enabled, const QPalette &palette);
    // Draws the 18-point icon into a painter whose unit is one point, y down.
    static void paintMenuBarIcon(QPainter &painter, bool enabled, const QPalette &palette);
    QString toolTip() const;

    // Global hot keys (ids 1 to 9).
    void setupGlobalHotkey();
    void unregisterHotkey();
    void handleHotkey(int id, bool autoRepeat);

    bool isEnabled() const { return m_isEnabled; }
    QMenu *menu() const { return m_menu; }
    QSystemTrayIcon *statusItem() const { return m_statusItem; }
    OverlayManager *overlayManager() const { return m_overlay.get(); }
    MagnifierWindow *magnifierWindow() const { return m_magnifierWindow.get(); }
    QWidget *preferencesWindow() const { return m_preferencesWindow; }
    QWidget *aboutWindow() const { return m_aboutWindow; }
    bool hasTray() const { return m_hasTray; }
    // Hot keys that another program holds, so pressing them does nothing here.
    QSet<int> refusedHotkeys() const { return m_refusedHotkeys; }

    // How long after launch the session warning appears (1 s; tests shorten it).
    void setAccessibilityPromptDelay(int ms) { m_promptDelayMs = ms; }

Q_SIGNALS:
    // A command asked the application to end.
    void quitRequested();

private:
    QString dispatchCommand(const QString &command);
    void setupOverlay();
    void setupMouseTracker();
    void checkAccessibilityPermission();
    void showAccessibilityPrompt();
    void showStyleHud(LineStyle style);
    void showThicknessHud(const QString &symbol);
    void buildMenu();
    std::optional<int> &hotkeyField(int id);

    platform::Platform &m_platform;
    AppSettings &m_settings;

    QSystemTrayIcon *m_statusItem = nullptr;
    QMenu *m_menu = nullptr;
    // The menu's rows whose text, tick or visibility follows the state.
    QAction *m_guideAction = nullptr;
    QAction *m_bracketsAction = nullptr;
    QAction *m_magnifierAction = nullptr;
    QAction *m_loginAction = nullptr;
    QList<QAction *> m_styleActions;
    QList<QAction *> m_shortcutActions; // the "Shortcuts:" block and its separator
    // The tray icons, off and on, painted once for the palette they were
    // painted with: a fresh QIcon on every change would leave another set of
    // scaled copies in the pixmap cache each time.
    std::array<QIcon, 2> m_trayIcons;
    qint64 m_trayIconPalette = 0;
    std::unique_ptr<OverlayManager> m_overlay; // the overlay windows and the pointer tracker
    std::unique_ptr<MagnifierWindow> m_magnifierWindow;
    QPointer<QWidget> m_preferencesWindow;
    QPointer<QWidget> m_aboutWindow;
    bool m_isEnabled = false;
    std::optional<int> m_hotkeyRef;
    std::optional<int> m_themeHotkeyRef;
    std::optional<int> m_increaseHotkeyRef;
    std::optional<int> m_decreaseHotkeyRef;
    std::array<std::optional<int>, 5> m_styleHotkeyRefs;
    QSet<int> m_refusedHotkeys;
    bool m_hasTray = false;
    int m_promptDelayMs = 1000;
};
