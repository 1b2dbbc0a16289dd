#include "app/CommandLine.h"

#include "app/Commands.h"

namespace {
CommandLine failure(const QString &text)
{
    CommandLine result;
    result.kind = CommandLine::Kind::Error;
    result.error = text;
    return result;
}

// Words filled into lines of `width` characters, each starting with `indent`
// spaces but the first, which continues a line already `indent` wide.
QString wrapped(const QString &text, int indent, int width = 79)
{
    QString out;
    int column = indent;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (column > indent && column + 1 + word.size() > width) {
            out += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += int(word.size());
    }
    return out;
}
} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine result;
    if (arguments.isEmpty())
        return result;

    const QString &first = arguments.first();
    const bool help = first == u"--help" || first == u"-h";
    const bool version = first == u"--version" || first == u"-v";
    if (help || version) {
        if (arguments.size() > 1)
            return failure(tr("unexpected argument \"%1\"").arg(arguments.at(1)));
        result.kind = help ? Kind::Help : Kind::Version;
        return result;
    }
    const Command *command = Commands::find(first);
    if (!command || !command->isTyped()) {
        if (first.startsWith(QLatin1Char('-')))
            return failure(tr("unknown option \"%1\"").arg(first));
        return failure(tr("unknown command \"%1\"").arg(first));
    }
    int argument = 0;
    if (command->argument == Command::Argument::none) {
        if (arguments.size() > 1)
            return failure(tr("\"%1\" takes no argument").arg(first));
    } else {
        if (arguments.size() != 2)
            return failure(tr("\"%1\" takes one style: %2").arg(first, command->argumentChoices()));
        const std::optional<int> value = command->parseArgument(arguments.at(1));
        if (!value)
            return failure(tr("unknown style \"%1\"").arg(arguments.at(1)));
        argument = *value;
    }
    result.kind = Kind::Command;
    result.command = command->line(argument);
    return result;
}

QString CommandLine::usage()
{
    // Each command's line: its verb (and argument) in a column 20 wide, then
    // what it does, from column 22 on.
    constexpr int column = 22;
    QString commands;
    for (const Command &command : Commands::all()) {
        if (!command.isTyped())
            continue;
        QString words = QLatin1String(command.verb);
        QString help = Commands::translate(command.help);
        if (command.argument != Command::Argument::none) {
            words += QLatin1Char(' ') + tr("STYLE");
            help = help.arg(command.argumentChoices());
        }
        commands += QStringLiteral("  %1  %2\n").arg(words.leftJustified(column - 4), wrapped(help, column));
    }
    return tr("Usage: tovani [COMMAND]\n"
              "\n"
              "A reading guide that follows the pointer. Without a command, starts Tovani\n"
              "(or opens the preferences of the copy already running).\n"
              "\n"
              "Commands, sent to the running copy (which is started first if needed):\n"
              "%1"
              "\n"
              "Options:\n"
              "  -h, --help          show this help\n"
              "  -v, --version       show the version\n"
              "\n"
              "Exit status: 0 on success, 1 when the running copy could not be reached,\n"
              "2 for an unknown command or argument, or a change that was not saved.\n")
        .arg(commands);
}
