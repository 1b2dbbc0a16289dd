#include "app/CommandRegistry.h"

#include "feedback/HUDNotification.h"
#include "platform/Platform.h"
#include "ui/TrayMenu.h"

#include <algorithm>

namespace {

// One global hot key of the table: the command and argument it runs. Its id
// with the hot-key service is its place in bindings() plus one.
struct Binding
{
    const Command *command;
    int argument;
    const Hotkey *key;
};

const QList<Binding> &bindings()
{
    static const QList<Binding> list = [] {
        QList<Binding> made;
        for (const Command &command : Commands::all()) {
            const QList<int> arguments = command.arguments();
            for (size_t i = 0; i < command.hotkeys.size(); ++i)
                made.append({&command, arguments.at(qsizetype(i)), &command.hotkeys.at(i)});
        }
        return made;
    }();
    return list;
}

const Binding *binding(int id)
{
    return id >= 1 && id <= bindings().size() ? &bindings().at(id - 1) : nullptr;
}

} // namespace

CommandRegistry::CommandRegistry(CommandTarget &target, platform::HotkeyService &hotkeys, HUDNotification &hud,
                                 QObject *parent)
    : QObject(parent), m_target(target), m_hotkeys(hotkeys), m_hud(hud)
{
    connect(&m_hotkeys, &platform::HotkeyService::activated, this, &CommandRegistry::hotkeyPressed);
    connect(&m_hotkeys, &platform::HotkeyService::registrationChanged, this, &CommandRegistry::registrationChanged);
}

QString CommandRegistry::run(const Command &command, int argument, Source source)
{
    const QString unavailable = command.unavailable ? command.unavailable(m_target) : QString();
    QString failure = unavailable.isEmpty() ? command.run(m_target, argument) : unavailable;
    // A failure always shows; a menu row shows its own change.
    const bool confirm = command.feedback && source != Source::menu;
    const Feedback feedback = !failure.isEmpty() ? Feedback{failure, QString()}
                              : confirm          ? command.feedback(m_target)
                                                 : Feedback();
    if (!feedback.message.isEmpty())
        m_hud.show(feedback.message, feedback.symbol);
    Q_EMIT ran();
    return failure;
}

QString CommandRegistry::runLine(const QString &line)
{
    const QString error = QStringLiteral("error: ");
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const Command *command = Commands::find(words.value(0));
    const bool takesArgument = command && command->argument != Command::Argument::none;
    if (!command || words.size() != (takesArgument ? 2 : 1))
        return error + tr("unknown command \"%1\"").arg(line);
    int argument = 0;
    if (takesArgument) {
        const std::optional<int> value = command->parseArgument(words.at(1));
        if (!value)
            return error + tr("unknown style \"%1\"").arg(words.at(1));
        argument = *value;
    }

    AppSettings &settings = m_target.settings();
    bool changedSettings = false;
    const QMetaObject::Connection watch =
        connect(&settings, &AppSettings::changed, this, [&changedSettings] { changedSettings = true; });
    const QString failure = run(*command, argument, Source::commandLine);
    disconnect(watch);
    if (!failure.isEmpty())
        return error + failure;
    if (!changedSettings)
        return command->reply ? command->reply(m_target) : QStringLiteral("ok");
    // Written now rather than in a moment, so the answer can say whether the
    // change was kept: it shows on screen, but would be gone at the next start.
    const int failedSavesBefore = settings.failedSaves();
    settings.flush();
    if (settings.failedSaves() > failedSavesBefore)
        return error + tr("the change was not saved: %1").arg(settings.saveError());
    return QStringLiteral("ok");
}

void CommandRegistry::setHotkeysEnabled(bool enabled)
{
    // Released first: registering while registered would leave the old grabs
    // behind. Refused combinations too: the service keeps asking for them
    // after keyboard changes until they are released.
    for (int id : m_grabbed + m_refused)
        m_hotkeys.unregisterHotkey(id);
    m_grabbed.clear();
    m_refused.clear();
    m_hotkeysEnabled = enabled;
    const bool lineKeys = m_target.settings().lineStepKeysEnabled();
    for (int id = 1; enabled && id <= bindings().size(); ++id) {
        const Binding &bound = *binding(id);
        if (bound.command->lineKeys && (!lineKeys || !m_target.canHoldGuide()))
            continue;
        const Hotkey &key = *bound.key;
        QString name = QString::fromLatin1(bound.command->verb);
        QString description = Commands::translate(bound.command->hotkeyTitle);
        if (bound.command->argument != Command::Argument::none) {
            name += QLatin1Char('-') + QString::number(bound.argument);
            description += QLatin1Char(' ') + QString::number(bound.argument);
        }
        if (m_hotkeys.registerHotkey(id, {QString::fromLatin1(key.xkbKeyName), key.modifiers, key.text(), name, description}))
            m_grabbed.insert(id);
        else
            m_refused.insert(id);
    }
    Q_EMIT hotkeysChanged();
}

bool CommandRegistry::isHotkeyRefused(const Command &command) const
{
    return std::any_of(m_refused.cbegin(), m_refused.cend(),
                       [&command](int id) { return binding(id)->command == &command; });
}

QString CommandRegistry::boundKeyText(const Command &command) const
{
    QStringList keys;
    for (int id = 1; id <= bindings().size(); ++id) {
        const QString key = binding(id)->command == &command ? m_hotkeys.boundKeyText(id) : QString();
        if (!key.isEmpty() && !keys.contains(key))
            keys << key;
    }
    return keys.join(QStringLiteral(", "));
}

void CommandRegistry::hotkeyPressed(int id, bool autoRepeat)
{
    const Binding *pressed = binding(id);
    if (!pressed || !m_grabbed.contains(id))
        return;
    // A held key repeats: the size keeps stepping, but a toggle or a style
    // pick happens once per press.
    if (autoRepeat && !pressed->command->repeats)
        return;
    run(*pressed->command, pressed->argument, Source::hotkey);
}

void CommandRegistry::registrationChanged(int id, bool registered)
{
    // A new keyboard or layout can free a combination or lose one.
    if (!m_hotkeysEnabled || !binding(id))
        return;
    if (registered) {
        m_grabbed.insert(id);
        m_refused.remove(id);
    } else {
        m_grabbed.remove(id);
        m_refused.insert(id);
    }
    Q_EMIT hotkeysChanged();
}

TrayState CommandRegistry::trayState()
{
    TrayState state;
    Command::Section section = Command::Section::none;
    for (const Command &command : Commands::all()) {
        if (!command.menuTitle) continue;
        const QString unavailable = command.unavailable ? command.unavailable(m_target) : QString();
        const QString submenu =
            command.argument == Command::Argument::none ? QString() : Commands::translate(command.menuTitle);
        for (int argument : command.arguments()) {
            const bool newSection = section != command.section; // at most the command's first row
            // Off where it can't work, whatever was saved for another session.
            const bool checked =
                command.checked && unavailable.isEmpty() && command.checked(m_target, argument);
            state.rows.append({
                .text = command.menuText(argument, checked),
                .submenu = submenu,
                .separatorBefore = newSection && section != Command::Section::none,
                // The shortcuts, listed while they are on, come before the login row.
                .shortcutsBefore = newSection && command.section == Command::Section::login,
                .checkable = command.checked != nullptr,
                .checked = checked,
                .unavailable = unavailable,
                .run = [this, &command, argument] { run(command, argument, Source::menu); },
            });
            section = command.section;
        }
    }
    state.listShortcuts = m_hotkeysEnabled;
    for (const Command &keyed : Commands::all()) {
        if (!keyed.hotkeys.empty())
            state.shortcuts.append({keyed.hotkeyText(), Commands::translate(keyed.hotkeyTitle),
                                    isHotkeyRefused(keyed),
                                    !keyed.lineKeys || m_target.settings().lineStepKeysEnabled()});
    }
    state.guideEnabled = m_target.isGuideEnabled();
    state.styleName = LineStyles::displayName(m_target.settings().currentStyle());
    const Command *toggle = Commands::find(QStringLiteral("toggle"));
    if (m_hotkeysEnabled && !isHotkeyRefused(*toggle)) state.toggleKeys = toggle->hotkeyText();
    return state;
}
