#pragma once

// Every command of the program, declared once: the word that sends it on the
// command line and the control socket, its global hot key, its row in the tray
// menu, what the HUD says after it, and what it does. The command line, the
// hot keys, the tray menu and its tooltip all read this one table.

#include "settings/Settings.h"

#include <QKeyCombination>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

// What the commands act on: the running application.
class CommandTarget
{
public:
    virtual AppSettings &settings() const = 0;
    virtual bool isGuideEnabled() const = 0;
    virtual void setGuideEnabled(bool enabled) = 0;
    // Moves the guide one text line down (direction > 0) or up from where it
    // is, detached from the pointer. Returns why it could not, or an empty text.
    virtual QString stepLine(int direction) = 0;
    // Freezes the guide where it is, or lets it follow the pointer again.
    // Returns why it could not, or an empty text.
    virtual QString setGuideLocked(bool locked) = 0;
    virtual bool isGuideLocked() const = 0;
    // Starts reading aloud from the guide's line, or stops. Returns why it
    // could not start, or an empty text.
    virtual QString toggleReadAloud() { return {}; }
    virtual bool isReadingAloud() const { return false; }
    // The guide can leave the pointer (steps, the lock): false where the
    // desktop shell moves it with the pointer itself. Their keys are not
    // taken then.
    virtual bool canHoldGuide() const { return true; }
    // Why the magnifier can show nothing in this session, or an empty text.
    virtual QString magnifierProblem() const { return {}; }
    // Whether Tovani starts at login, and switching it. Returns why it could
    // not, or an empty text.
    virtual bool launchesAtLogin() const { return false; }
    virtual QString setLaunchAtLogin(bool enabled)
    {
        Q_UNUSED(enabled);
        return {};
    }
    virtual void showPreferences() = 0;
    virtual void showAbout() = 0;
    // Ends the application once the command that asks it has been answered.
    virtual void requestQuit() = 0;
    // One line for people: the backend in use and where the pointer comes from.
    virtual QString status() const = 0;

protected:
    CommandTarget() = default;
    CommandTarget(const CommandTarget &) = default;
    CommandTarget &operator=(const CommandTarget &) = default;
    ~CommandTarget() = default;
};

// A global hot key: the physical key by the XKB name of its US position (so
// it sits in the same place on every layout), its modifiers, and the
// combination as people read it. Ctrl stands where other desktops use Command.
struct Hotkey
{
    const char *xkbKeyName;
    Qt::KeyboardModifiers modifiers;
    QKeyCombination shown;

    QString text() const; // "Ctrl+Shift+R"
};

// What the HUD shows after a command: one line and a symbol name.
struct Feedback
{
    QString message;
    QString symbol;
};

struct Command
{
    // What the verb takes after it.
    enum class Argument {
        none,  // nothing; the argument value is 0
        style, // a style: 1-5, or on the command line also its name ("highlight-bar")
    };
    // Groups of the tray menu, parted by separators, in menu order.
    enum class Section { none, switches, lines, styles, windows, login, application };

    const char *verb;
    Argument argument = Argument::none;
    // Its line in "tovani --help". Only commands with one are taken from the
    // command line; the others come from the menu or the running program.
    const char *help = nullptr;
    // The global hot key, or one per argument value (a style's number).
    std::vector<Hotkey> hotkeys = {};
    // Its name in the menu's list of shortcuts.
    const char *hotkeyTitle = nullptr;
    // A held hot key runs it again with every repeat; otherwise once per press.
    bool repeats = false;
    // Its hot keys are the line keys, taken only while that setting is on
    // (AppSettings::lineStepKeysEnabled).
    bool lineKeys = false;
    Section section = Section::none;
    // The menu row; for a command with an argument, the title of the submenu
    // with one row per value.
    const char *menuTitle = nullptr;
    // The row's text while it is ticked, when that differs.
    const char *checkedMenuTitle = nullptr;
    // Whether the row for this argument is ticked; null for a row without tick.
    bool (*checked)(const CommandTarget &target, int argument) = nullptr;
    // What the HUD says after the command was given blind (hot key or
    // command line); null for nothing.
    Feedback (*feedback)(const CommandTarget &target) = nullptr;
    // Does it, with an argument from arguments(). Returns why it failed, or
    // an empty text.
    QString (*run)(CommandTarget &target, int argument) = nullptr;
    // What the command line prints after it instead of nothing; null for
    // nothing.
    QString (*reply)(const CommandTarget &target) = nullptr;
    // Why it can't work in this session, or an empty text; null where it
    // always can. It then refuses with that, changing nothing (a saved
    // setting stays for a session where it works), and its menu row is
    // greyed out with it as the tooltip.
    QString (*unavailable)(const CommandTarget &target) = nullptr;

    bool isTyped() const { return help != nullptr; }
    // Every value the argument takes: {0} for none, 1..5 for a style.
    QList<int> arguments() const;
    // A word after the verb as a value of arguments(), or nothing.
    std::optional<int> parseArgument(const QString &word) const;
    // What the argument can be, for people: "underline, ..., reading-strip or 1-5".
    QString argumentChoices() const;
    // The menu row of one argument value ("Ruler"), or of the command.
    QString menuText(int argument, bool checked) const;
    // The command as the running copy takes it: "toggle", "style 3".
    QString line(int argument) const;
    // The hot keys as people read them: "Ctrl+Shift+R", "Ctrl+1-5".
    QString hotkeyText() const;
};

namespace Commands {
// Every command, in the order of the menu and of "tovani --help".
const std::vector<Command> &all();
const Command *find(const QString &verb);
// A text of the table in the user's language.
QString translate(const char *text);
} // namespace Commands
