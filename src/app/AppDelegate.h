#pragma once

// The application's composition root: owns every long-lived object of the
// running program (tray item, overlays, magnifier, windows, notices, commands
// and their hot keys), runs the launch sequence and wires them together, and
// is what the commands act on. The commands themselves are declared in
// Commands.h; what Tovani tells the person about the desktop is Notices'.

#include "app/CommandRegistry.h"
#include "app/Commands.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

namespace speech {
class Reader;
class SpeechDispatcher;
} // namespace speech

class HUDNotification;
class MagnifierWindow;
class Notices;
class OverlayManager;
class TrayMenu;

class AppDelegate : public QObject, public CommandTarget
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

    // Runs a command line sent by another launch ("toggle", "style 3", ...).
    // Returns "ok", or "error: ..." for a command it does not know, one that
    // failed, or one whose change could not be saved.
    QString runCommand(const QString &command) { return m_commands.runLine(command); }

    // What the commands act on.
    AppSettings &settings() const override { return m_settings; }
    bool isGuideEnabled() const override { return m_isEnabled; }
    void setGuideEnabled(bool enabled) override;
    QString stepLine(int direction) override;
    QString setGuideLocked(bool locked) override;
    bool isGuideLocked() const override;
    QString toggleReadAloud() override;
    bool isReadingAloud() const override;
    bool canHoldGuide() const override;
    QString magnifierProblem() const override;
    bool launchesAtLogin() const override;
    QString setLaunchAtLogin(bool enabled) override;
    void showPreferences() override;
    void showAbout() override;
    void requestQuit() override;
    QString status() const override;

    CommandRegistry &commands() { return m_commands; }
    HUDNotification &hud() const { return *m_hud; }
    TrayMenu *tray() const { return m_tray.get(); }
    OverlayManager *overlayManager() const { return m_overlay.get(); }
    MagnifierWindow *magnifierWindow() const { return m_magnifierWindow.get(); }
    QWidget *preferencesWindow() const { return m_preferencesWindow; }
    QWidget *aboutWindow() const { return m_aboutWindow; }
    bool hasTray() const { return m_hasTray; }

    // How long after launch the session warning appears (1 s; tests shorten it).
    void setAccessibilityPromptDelay(int ms) { m_promptDelayMs = ms; }

Q_SIGNALS:
    // A command asked the application to end.
    void quitRequested();

private:
    platform::Platform &m_platform;
    AppSettings &m_settings;
    std::unique_ptr<HUDNotification> m_hud; // before the commands, which show their failures in it
    CommandRegistry m_commands;
    std::unique_ptr<Notices> m_notices;
    std::unique_ptr<TrayMenu> m_tray;
    std::unique_ptr<OverlayManager> m_overlay; // the overlay windows and the pointer tracker
    std::unique_ptr<MagnifierWindow> m_magnifierWindow;
    // Made when first needed: reading aloud, or the voices in the preferences.
    speech::SpeechDispatcher *speech();
    std::unique_ptr<speech::SpeechDispatcher> m_speech;
    std::unique_ptr<speech::Reader> m_reader;
    QPointer<QWidget> m_preferencesWindow;
    QPointer<QWidget> m_aboutWindow;
    bool m_isEnabled = false;
    bool m_hasTray = false;
    mutable std::optional<QString> m_magnifierProblem; // asked once
    int m_promptDelayMs = 1000;
};
