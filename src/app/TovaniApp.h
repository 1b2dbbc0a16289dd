#pragma once

// The program's entry: parses the command line, hands commands to a copy that
// already runs, or becomes the running copy and starts the application shell.

#include <QCoreApplication>

class TovaniApp
{
public:
    static int main(int argc, char **argv);

    Q_DECLARE_TR_FUNCTIONS(TovaniApp)
};
