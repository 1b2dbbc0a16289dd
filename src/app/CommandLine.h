#pragma once

// The tovani command line: what a launch asks for, parsed without side effects.

#include <QCoreApplication>
#include <QString>
#include <QStringList>

struct CommandLine
{
    enum class Kind {
        Launch,  // plain "tovani": start, or bring up the preferences of the running copy
        Command, // a command for the running copy (started first if needed)
        Help,
        Version,
        Error, // unknown command or argument; exit 2
    };

    Kind kind = Kind::Launch;
    // The command as sent to the running copy: "toggle", "style 3", "quit", ...
    QString command;
    QString error;

    static CommandLine parse(const QStringList &arguments); // without the program name
    static QString usage();

    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};
