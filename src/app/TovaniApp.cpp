#include "app/TovaniApp.h"

#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "version.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <memory>
#include <optional>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

// One line on standard error: "tovani: <text>".
void complain(const QString &text) { std::fprintf(stderr, "tovani: %s\n", qPrintable(text)); }

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the event loop normally, so termination runs its
// course (the hot keys are released) and Ctrl+C prints no stack trace.
void installTerminationHandlers(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier] {
        char byte;
        [[maybe_unused]] const auto read = ::read(g_signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // The terminal that started it closed: end the same way.
    sigaction(SIGHUP, &action, nullptr);
}

// Hands the command to a running copy. Returns the exit code, or -1 when no
// copy answered.
int forward(const QString &socketPath, const QString &command, int timeoutMs = 10000)
{
    const auto reply = SingleInstance::send(socketPath, command, timeoutMs);
    if (!reply)
        return -1;
    if (*reply == SingleInstance::noAnswer) {
        // Starting another copy now would run the command twice once the
        // running one catches up.
        complain(TovaniApp::tr("the running copy did not answer"));
        return 1;
    }
    // Whatever answers is printed as plain text: it must not be able to
    // drive the terminal.
    if (reply->startsWith(u"error: ")) {
        complain(SingleInstance::printable(reply->mid(7)));
        return 2;
    }
    if (*reply != u"ok")
        std::printf("%s\n", qPrintable(SingleInstance::printable(*reply)));
    return 0;
}

// Another live copy holds the lock but did not take the command: it may be
// starting, so give it a moment to listen, then say what is wrong. Never
// start a second copy beside a live one.
int forwardToBusyCopy(const QString &socketPath, const QString &command, qint64 pid)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int code = forward(socketPath, command, 1000);
        if (code >= 0)
            return code;
        ::usleep(100 * 1000);
    }
    complain(TovaniApp::tr("the running copy (process %1) does not answer").arg(pid));
    return 1;
}

} // namespace

int TovaniApp::main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Qt's sockets, the lock file and the translations want an application
    // object; the full one only comes once this is the copy that runs.
    auto probe = std::make_optional<QCoreApplication>(argc, argv);
    translations::install();
    const CommandLine parsed = CommandLine::parse(arguments);

    switch (parsed.kind) {
    case CommandLine::Kind::Help:
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    case CommandLine::Kind::Version:
        std::printf("%s\n", qPrintable(tr("tovani %1 (build %2)").arg(QStringLiteral(TOVANI_VERSION),
                                                                        QStringLiteral(TOVANI_BUILD_NUMBER))));
        return 0;
    case CommandLine::Kind::Error:
        complain(parsed.error);
        std::fprintf(stderr, "%s\n", qPrintable(tr("Try \"tovani --help\".")));
        return 2;
    case CommandLine::Kind::Launch:
    case CommandLine::Kind::Command:
        break;
    }

    const SingleInstance::Place place = SingleInstance::defaultPlace();
    for (const QString &note : place.notes)
        complain(tr("%1; using %2 instead")
                     .arg(SingleInstance::printable(note),
                          place.path.isEmpty() ? tr("a private folder") : SingleInstance::printable(place.path)));
    if (!place.error.isEmpty()) {
        complain(SingleInstance::printable(place.error));
        return 1;
    }
    const QString socketPath = place.path;
    // A plain launch of a second copy opens the running copy's preferences.
    const QString forwarded = parsed.kind == CommandLine::Kind::Launch ? QStringLiteral("launch") : parsed.command;
    {
        const int code = forward(socketPath, forwarded);
        if (code >= 0)
            return code;
    }
    // Asked without taking the lock, which a copy starting now needs.
    if (parsed.command == u"status") {
        complain(tr("not running"));
        return 1;
    }
    SingleInstance instance(socketPath);
    if (!instance.claim()) {
        if (!instance.error().isEmpty()) {
            complain(SingleInstance::printable(instance.error()));
            return 1;
        }
        return forwardToBusyCopy(socketPath, forwarded, instance.holderPid());
    }
    if (parsed.command == u"quit") {
        complain(tr("not running"));
        return 0;
    }

    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        complain(tr("no display to draw on (DISPLAY is not set)"));
        return 1;
    }
    platform::Platform::chooseDisplayServer();
    // Qt aborts when it cannot reach the display; say so plainly instead.
    if (const QString problem = platform::Platform::checkDisplayServer(); !problem.isEmpty()) {
        complain(problem);
        return 1;
    }
    probe.reset();

    // Qt picks the display server (QT_QPA_PLATFORM is the user's to set), and
    // the platform backend follows what Qt picked.
    QApplication app(argc, argv);
    translations::install();
    QApplication::setApplicationName(QStringLiteral("tovani"));
    QApplication::setApplicationVersion(QStringLiteral(TOVANI_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tovani"));
    QApplication::setQuitOnLastWindowClosed(false);
    installTerminationHandlers(app);

    AppDelegate *delegatePtr = nullptr;
    if (!instance.listen([&delegatePtr](const QString &command) {
            return delegatePtr ? delegatePtr->runCommand(command) : QStringLiteral("error: ") + tr("starting up");
        })) {
        complain(SingleInstance::printable(instance.error()));
        return 1;
    }

    // Made after the application and gone before it: a backend may still
    // speak to its desktop as it goes (KWin's magnifier is put back then).
    const std::unique_ptr<platform::Platform> ownPlatform = platform::Platform::create();
    platform::Platform &platform = *ownPlatform;
    AppDelegate delegate(platform, AppSettings::shared());
    delegatePtr = &delegate;
    QObject::connect(&delegate, &AppDelegate::quitRequested, &app, &QCoreApplication::quit);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching(parsed.kind == CommandLine::Kind::Launch);
    if (parsed.kind == CommandLine::Kind::Command)
        QTimer::singleShot(0, &delegate, [&delegate, parsed] { delegate.runCommand(parsed.command); });

    const int code = QApplication::exec();
    delegatePtr = nullptr;
    return code;
}
