#include "app/CommandLine.h"

#include "settings/Settings.h"

namespace {
const QStringList plainCommands = {
    QStringLiteral("toggle"),      QStringLiteral("cycle-style"), QStringLiteral("thicker"),
    QStringLiteral("thinner"),     QStringLiteral("brackets"),    QStringLiteral("magnifier"),
    QStringLiteral("preferences"), QStringLiteral("about"),       QStringLiteral("quit"),
};

// "ruler", "reading-strip" or 1..5 -> index 0..4, else -1.
int styleIndex(const QString &word)
{
    bool isNumber = false;
    const int number = word.toInt(&isNumber);
    if (isNumber)
        return number >= 1 && number <= LineStyles::count ? number - 1 : -1;
    for (LineStyle style : LineStyles::allCases) {
        QString slug = LineStyles::rawValue(style).toLower();
        slug.replace(QLatin1Char(' '), QLatin1Char('-'));
        if (word == slug)
            return LineStyles::index(style);
    }
    return -1;
}

CommandLine failure(const QString &text)
{
    CommandLine result;
    result.kind = CommandLine::Kind::Error;
    result.error = text;
    return result;
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
            return failure(QStringLiteral("unexpected argument \"%1\"").arg(arguments.at(1)));
        result.kind = help ? Kind::Help : Kind::Version;
        return result;
    }
    if (first == u"style") {
        if (arguments.size() != 2)
            return failure(QStringLiteral("\"style\" takes one style: underline, highlight-bar, focus-window, "
                                        "ruler, reading-strip or 1-5"));
        const int index = styleIndex(arguments.at(1));
        if (index < 0)
            return failure(QStringLiteral("unknown style \"%1\"").arg(arguments.at(1)));
        result.kind = Kind::Command;
        result.command = QStringLiteral("style %1").arg(index + 1);
        return result;
    }
    if (plainCommands.contains(first)) {
        if (arguments.size() > 1)
            return failure(QStringLiteral("\"%1\" takes no argument").arg(first));
        result.kind = Kind::Command;
        result.command = first;
        return result;
    }
    if (first.startsWith(QLatin1Char('-')))
        return failure(QStringLiteral("unknown option \"%1\"").arg(first));
    return failure(QStringLiteral("unknown command \"%1\"").arg(first));
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: tovani [COMMAND]\n"
        "\n"
        "A reading guide that follows the pointer. Without a command, starts Tovani\n"
        "(or opens the preferences of the copy already running).\n"
        "\n"
        "Commands, sent to the running copy (which is started first if needed):\n"
        "  toggle              switch the reading guide on or off\n"
        "  style STYLE         underline, highlight-bar, focus-window, ruler,\n"
        "                      reading-strip, or 1-5\n"
        "  cycle-style         switch to the next style\n"
        "  thicker, thinner    change the guide's thickness by 5 points\n"
        "  brackets            show or hide the crosshair brackets\n"
        "  magnifier           switch the magnifier on or off\n"
        "  preferences         open the preferences window\n"
        "  about               open the About window\n"
        "  quit                end the running copy\n"
        "\n"
        "Options:\n"
        "  -h, --help          show this help\n"
        "  -v, --version       show the version\n"
        "\n"
        "Exit status: 0 on success, 1 when the running copy could not be reached,\n"
        "2 for an unknown command or argument.\n");
}
