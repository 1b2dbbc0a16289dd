#pragma once

// Runs the commands of the table (Commands.h) for whoever asks: a line from
// the control socket, a global hot key, a row of the tray menu. Holds the
// global hot keys while they are switched on.

#include "app/Commands.h"

#include <QObject>
#include <QSet>

class HUDNotification;
struct TrayState;

namespace platform {
class HotkeyService;
}

class CommandRegistry : public QObject
{
    Q_OBJECT
public:
    // Where a command came from. The HUD confirms what was given blind (a
    // hot key, the command line); a menu row shows its own tick.
    enum class Source { commandLine, hotkey, menu };

    // Failures and the confirmations of blind commands show in `hud`.
    CommandRegistry(CommandTarget &target, platform::HotkeyService &hotkeys, HUDNotification &hud,
                    QObject *parent = nullptr);

    CommandTarget &target() const { return m_target; }

    // Runs a command; a failure shows in the HUD. Returns why it failed, or
    // an empty text.
    QString run(const Command &command, int argument, Source source);
    // Runs a line sent by another launch ("toggle", "style 3"). Returns "ok",
    // or "error: ..." for a line it does not know, a command that failed, or
    // a change of the settings that could not be saved.
    QString runLine(const QString &line);

    // Takes the hot keys of every command, or releases them all.
    void setHotkeysEnabled(bool enabled);
    bool hotkeysEnabled() const { return m_hotkeysEnabled; }
    // Whether a hot key of the command is held by another program, so
    // pressing it does nothing here.
    bool isHotkeyRefused(const Command &command) const;
    // The keys the desktop bound to the command where it chooses them
    // ("Ctrl+Alt+G", several joined by ", "); empty where the keys asked for
    // are the keys taken, or nothing is bound.
    QString boundKeyText(const Command &command) const;

    // What the tray shows, from the table: the menu's rows (each runs its
    // command as from the menu), the list of shortcuts and the tooltip's facts.
    TrayState trayState();

Q_SIGNALS:
    // A command ran: whatever shows the state may need a refresh.
    void ran();
    // Hot keys were taken, released, lost or taken again.
    void hotkeysChanged();

private:
    void hotkeyPressed(int id, bool autoRepeat);
    void registrationChanged(int id, bool registered);

    CommandTarget &m_target;
    platform::HotkeyService &m_hotkeys;
    HUDNotification &m_hud;
    bool m_hotkeysEnabled = false;
    // Hot-key ids (see bindings() in the .cpp) taken, and refused because
    // another program holds the combination.
    QSet<int> m_grabbed;
    QSet<int> m_refused;
};
