#include "app/Commands.h"

#include <QCoreApplication>
#include <QKeySequence>

namespace {

using Section = Command::Section;
using Argument = Command::Argument;
constexpr Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;

// A style as typed: "highlight-bar".
QString typedName(LineStyle style)
{
    QString name = LineStyles::rawValue(style).toLower();
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    return name;
}

Feedback styleFeedback(const CommandTarget &target)
{
    const LineStyle style = target.settings().currentStyle();
    return {LineStyles::displayName(style), LineStyles::hudSymbolName(style)};
}

// "12px": the thickness truncated toward zero.
QString thicknessText(const AppSettings &settings)
{
    return QCoreApplication::translate("Commands", "%1px").arg(int(settings.customThickness()));
}

// Declared here rather than in the table, where lupdate does not find them.
Feedback lockFeedback(const CommandTarget &target)
{
    if (target.isGuideLocked())
        return {QCoreApplication::translate("Commands", "Guide locked"), QStringLiteral("lock")};
    return {QCoreApplication::translate("Commands", "Guide unlocked"), QStringLiteral("lock.open")};
}

Feedback readAloudFeedback(const CommandTarget &target)
{
    if (target.isReadingAloud())
        return {QCoreApplication::translate("Commands", "Reading aloud"), QString()};
    return {QCoreApplication::translate("Commands", "Stopped reading"), QString()};
}

void stepThickness(AppSettings &settings, double step)
{
    settings.setCustomThickness(settings.customThickness() + step);
}

std::vector<Command> makeTable()
{
    // clang-format off
    return {
        {.verb = "toggle",
         .help = QT_TRANSLATE_NOOP("Commands", "switch the reading guide on or off"),
         .hotkeys = {{"AD04", ctrlShift, Qt::CTRL | Qt::SHIFT | Qt::Key_R}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Toggle guide"),
         .section = Section::switches,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Enable Reading Guide"),
         .checkedMenuTitle = QT_TRANSLATE_NOOP("Commands", "Reading Guide Enabled"),
         .checked = [](const CommandTarget &target, int) { return target.isGuideEnabled(); },
         .run = [](CommandTarget &target, int) {
             target.setGuideEnabled(!target.isGuideEnabled());
             return QString();
         }},
        {.verb = "brackets",
         .help = QT_TRANSLATE_NOOP("Commands", "show or hide the crosshair brackets"),
         .section = Section::switches,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Crosshair Brackets"),
         .checked = [](const CommandTarget &target, int) { return target.settings().verticalGuidesEnabled(); },
         .run = [](CommandTarget &target, int) {
             target.settings().setVerticalGuidesEnabled(!target.settings().verticalGuidesEnabled());
             return QString();
         }},
        {.verb = "magnifier",
         .help = QT_TRANSLATE_NOOP("Commands", "switch the magnifier on or off"),
         .section = Section::switches,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Magnifier"),
         .checked = [](const CommandTarget &target, int) { return target.settings().magnifierEnabled(); },
         .run = [](CommandTarget &target, int) {
             target.settings().setMagnifierEnabled(!target.settings().magnifierEnabled());
             return QString();
         },
         .unavailable = [](const CommandTarget &target) { return target.magnifierProblem(); }},
        // Stepping shows no message: the guide moving is the answer, and a
        // message at every line would cover the text being read.
        {.verb = "next-line",
         .help = QT_TRANSLATE_NOOP("Commands", "move the guide to the next line of text"),
         .hotkeys = {{"DOWN", ctrlShift, Qt::CTRL | Qt::SHIFT | Qt::Key_Down}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Next line"),
         .repeats = true,
         .lineKeys = true,
         .section = Section::lines,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Next Line"),
         .run = [](CommandTarget &target, int) { return target.stepLine(1); }},
        {.verb = "previous-line",
         .help = QT_TRANSLATE_NOOP("Commands", "move the guide to the previous line of text"),
         .hotkeys = {{"UP", ctrlShift, Qt::CTRL | Qt::SHIFT | Qt::Key_Up}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Previous line"),
         .repeats = true,
         .lineKeys = true,
         .section = Section::lines,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Previous Line"),
         .run = [](CommandTarget &target, int) { return target.stepLine(-1); }},
        {.verb = "lock",
         .help = QT_TRANSLATE_NOOP("Commands", "lock the guide in place, or unlock it"),
         .hotkeys = {{"AC09", ctrlShift, Qt::CTRL | Qt::SHIFT | Qt::Key_L}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Lock guide"),
         .lineKeys = true,
         .section = Section::lines,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Lock Guide"),
         .checkedMenuTitle = QT_TRANSLATE_NOOP("Commands", "Guide Locked"),
         .checked = [](const CommandTarget &target, int) { return target.isGuideLocked(); },
         .feedback = &lockFeedback,
         .run = [](CommandTarget &target, int) { return target.setGuideLocked(!target.isGuideLocked()); }},
        // Ctrl+Alt+Space: no common editor, browser, terminal or office
        // program binds it, nor GNOME, Plasma or Xfce by default, and it sits
        // under the thumbs, away from the line keys held while reading.
        {.verb = "read-aloud",
         .help = QT_TRANSLATE_NOOP("Commands", "read aloud from the guide's line on, line after line, or stop"),
         .hotkeys = {{"SPCE", ctrlAlt, Qt::CTRL | Qt::ALT | Qt::Key_Space}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Read aloud"),
         .section = Section::lines,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Read Aloud"),
         .checkedMenuTitle = QT_TRANSLATE_NOOP("Commands", "Stop Reading"),
         .checked = [](const CommandTarget &target, int) { return target.isReadingAloud(); },
         .feedback = &readAloudFeedback,
         .run = [](CommandTarget &target, int) { return target.toggleReadAloud(); }},
        {.verb = "style",
         .argument = Argument::style,
         .help = QT_TRANSLATE_NOOP("Commands", "switch to a style: %1"),
         .hotkeys = {{"AE01", ctrl, Qt::CTRL | Qt::Key_1},
                     {"AE02", ctrl, Qt::CTRL | Qt::Key_2},
                     {"AE03", ctrl, Qt::CTRL | Qt::Key_3},
                     {"AE04", ctrl, Qt::CTRL | Qt::Key_4},
                     {"AE05", ctrl, Qt::CTRL | Qt::Key_5}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Switch style"),
         .section = Section::styles,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Style"),
         .checked = [](const CommandTarget &target, int number) {
             return LineStyles::index(target.settings().currentStyle()) == number - 1;
         },
         .feedback = styleFeedback,
         .run = [](CommandTarget &target, int number) {
             target.settings().applyStyle(LineStyles::allCases.at(size_t(number - 1)));
             return QString();
         }},
        {.verb = "cycle-style",
         .help = QT_TRANSLATE_NOOP("Commands", "switch to the next style"),
         .hotkeys = {{"AD05", ctrlShift, Qt::CTRL | Qt::SHIFT | Qt::Key_T}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Cycle styles"),
         .feedback = styleFeedback,
         .run = [](CommandTarget &target, int) {
             const int next = (LineStyles::index(target.settings().currentStyle()) + 1) % LineStyles::count;
             target.settings().applyStyle(LineStyles::allCases.at(size_t(next)));
             return QString();
         }},
        {.verb = "thicker",
         .help = QT_TRANSLATE_NOOP("Commands", "make the guide 5 points thicker"),
         .hotkeys = {{"AE12", ctrlShift, Qt::CTRL | Qt::SHIFT | Qt::Key_Plus}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Thicker guide"),
         .repeats = true,
         .feedback = [](const CommandTarget &target) {
             return Feedback{thicknessText(target.settings()), QStringLiteral("arrow.up.left.and.arrow.down.right")};
         },
         .run = [](CommandTarget &target, int) {
             stepThickness(target.settings(), 5.0);
             return QString();
         }},
        {.verb = "thinner",
         .help = QT_TRANSLATE_NOOP("Commands", "make the guide 5 points thinner"),
         .hotkeys = {{"AE11", ctrlShift, Qt::CTRL | Qt::SHIFT | Qt::Key_Minus}},
         .hotkeyTitle = QT_TRANSLATE_NOOP("Commands", "Thinner guide"),
         .repeats = true,
         .feedback = [](const CommandTarget &target) {
             return Feedback{thicknessText(target.settings()), QStringLiteral("arrow.down.right.and.arrow.up.left")};
         },
         .run = [](CommandTarget &target, int) {
             stepThickness(target.settings(), -5.0);
             return QString();
         }},
        {.verb = "preferences",
         .help = QT_TRANSLATE_NOOP("Commands", "open the preferences window"),
         .section = Section::windows,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Preferences..."),
         .run = [](CommandTarget &target, int) {
             target.showPreferences();
             return QString();
         }},
        {.verb = "launch-at-login",
         .section = Section::login,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Launch at Login"),
         .checked = [](const CommandTarget &target, int) { return target.launchesAtLogin(); },
         .run = [](CommandTarget &target, int) { return target.setLaunchAtLogin(!target.launchesAtLogin()); }},
        {.verb = "about",
         .help = QT_TRANSLATE_NOOP("Commands", "open the About window"),
         .section = Section::application,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "About Tovani"),
         .run = [](CommandTarget &target, int) {
             target.showAbout();
             return QString();
         }},
        {.verb = "status",
         .help = QT_TRANSLATE_NOOP("Commands", "print how Tovani reaches the desktop: its backend and pointer"),
         .run = [](CommandTarget &, int) { return QString(); },
         .reply = [](const CommandTarget &target) { return target.status(); }},
        {.verb = "quit",
         .help = QT_TRANSLATE_NOOP("Commands", "end the running copy"),
         .section = Section::application,
         .menuTitle = QT_TRANSLATE_NOOP("Commands", "Quit Tovani"),
         .run = [](CommandTarget &target, int) {
             target.requestQuit();
             return QString();
         }},
        // What a plain launch sends to the copy already running.
        {.verb = "launch",
         .run = [](CommandTarget &target, int) {
             target.showPreferences();
             return QString();
         }},
    };
    // clang-format on
}

} // namespace

QString Hotkey::text() const { return QKeySequence(shown).toString(QKeySequence::NativeText); }

QList<int> Command::arguments() const
{
    if (argument == Argument::none)
        return {0};
    QList<int> numbers;
    for (int number = 1; number <= LineStyles::count; ++number)
        numbers.append(number);
    return numbers;
}

std::optional<int> Command::parseArgument(const QString &word) const
{
    if (argument == Argument::none)
        return std::nullopt;
    bool isNumber = false;
    const int number = word.toInt(&isNumber);
    if (isNumber)
        return arguments().contains(number) ? std::optional<int>(number) : std::nullopt;
    for (LineStyle style : LineStyles::allCases) {
        if (word == typedName(style))
            return LineStyles::index(style) + 1;
    }
    return std::nullopt;
}

QString Command::argumentChoices() const
{
    if (argument == Argument::none)
        return {};
    QStringList names;
    for (LineStyle style : LineStyles::allCases)
        names.append(typedName(style));
    const QString last = names.takeLast();
    return QCoreApplication::translate("Commands", "%1, %2 or 1-%3")
        .arg(names.join(QStringLiteral(", ")), last)
        .arg(LineStyles::count);
}

QString Command::menuText(int value, bool isChecked) const
{
    if (argument == Argument::style)
        return LineStyles::displayName(LineStyles::allCases.at(size_t(value - 1)));
    return Commands::translate(isChecked && checkedMenuTitle ? checkedMenuTitle : menuTitle);
}

QString Command::line(int value) const
{
    const QString word = QLatin1String(verb);
    return argument == Argument::none ? word : QStringLiteral("%1 %2").arg(word).arg(value);
}

QString Command::hotkeyText() const
{
    if (hotkeys.empty())
        return {};
    QString text = hotkeys.front().text();
    if (hotkeys.size() > 1) {
        // "Ctrl+1-5": the first combination and the last key.
        text += QLatin1Char('-') + QKeySequence(hotkeys.back().shown.key()).toString(QKeySequence::NativeText);
    }
    return text;
}

const std::vector<Command> &Commands::all()
{
    static const std::vector<Command> table = makeTable();
    return table;
}

const Command *Commands::find(const QString &verb)
{
    for (const Command &command : all()) {
        if (verb == QLatin1String(command.verb))
            return &command;
    }
    return nullptr;
}

QString Commands::translate(const char *text) { return QCoreApplication::translate("Commands", text); }
