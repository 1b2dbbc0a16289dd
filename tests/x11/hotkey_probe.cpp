// Drives the X11 hot-key service for the end-to-end tests: registers the nine
// application combinations (ids 1 to 9, see registerId()) and prints on stdout,
// one line each:
//   activated <id> <0|1>     a press (1: an auto-repeat of a held key)
//   refused <id>             registerHotkey() returned false
//   registered <id> / lost <id>   registrationChanged() after a keyboard change
//   held <id> / free <id>    isRegistered(), for the status command
//   ready                    after start-up and after every command
// Commands, one per line on stdin: register <id> | unregister <id> | status |
// destroy | create (a new service with all nine) | quit. Options: --autorepeat
// detectable|classic (how the server reports a held key to this client: only
// presses, or a release before every repeated press), --outlive-app (keep the
// service until after the application object is gone, as one kept in a static
// is).

#include "platform/Backends.h"
#include "stdin_lines.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using platform::HotkeyService;

// Static, so that it can outlive the application object.
std::unique_ptr<HotkeyService> service;

const auto say = [](const QString &line) { std::puts(qPrintable(line)); };

void registerId(int id)
{
    // Ctrl+Shift with R, T, = and -; then Ctrl+1 to Ctrl+5.
    static const char *const shifted[] = {"AD04", "AD05", "AE12", "AE11"};
    const QString name = id <= 4 ? QString::fromLatin1(shifted[id - 1]) : QStringLiteral("AE0%1").arg(id - 4);
    const HotkeyService::Key key{
        name, Qt::ControlModifier | (id <= 4 ? Qt::ShiftModifier : Qt::NoModifier), {}, {}, {}};
    if (service && !service->registerHotkey(id, key)) say(QStringLiteral("refused %1").arg(id));
}

void create()
{
    service = platform::createX11Hotkeys();
    QObject::connect(service.get(), &HotkeyService::activated, [](int id, bool repeat) {
        say(QStringLiteral("activated %1 %2").arg(id).arg(int(repeat)));
    });
    QObject::connect(service.get(), &HotkeyService::registrationChanged, [](int id, bool registered) {
        say(QString::fromLatin1(registered ? "registered %1" : "lost %1").arg(id));
    });
    for (int id = 1; id <= 9; ++id)
        registerId(id);
}

void command(const QString &line)
{
    const QString cmd = line.section(u' ', 0, 0);
    const int id = line.section(u' ', 1, 1).toInt();
    if (cmd == u"register")
        registerId(id);
    else if (cmd == u"unregister" && service)
        service->unregisterHotkey(id);
    else if (cmd == u"status")
        for (int i = 1; service && i <= 9; ++i)
            say(QString::fromLatin1(service->isRegistered(i) ? "held %1" : "free %1").arg(i));
    else if (cmd == u"destroy")
        service.reset();
    else if (cmd == u"create")
        create();
    else if (cmd == u"quit")
        return QGuiApplication::quit();
    else if (cmd != u"unregister")
        return say(QStringLiteral("unknown command %1").arg(line)); // no "ready": the test waits in vain
    say(QStringLiteral("ready"));
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    // XKB detectable auto-repeat on or off for Qt's connection.
    const qsizetype repeatArg = args.indexOf(QLatin1String("--autorepeat"));
    if (repeatArg > 0) {
        const bool on = args.value(repeatArg + 1) == QLatin1String("detectable");
        const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        xcb_connection_t *c = app.nativeInterface<QNativeInterface::QX11Application>()->connection();
        auto *reply = xcb_xkb_per_client_flags_reply(
            c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, on ? flag : 0, 0, 0, 0), nullptr);
        const bool taken = reply && bool(reply->value & flag) == on;
        std::free(reply);
        if (!taken) return say(QStringLiteral("autorepeat mode refused")), 1;
    }
    create();

    onStdinLine([](const QByteArray &line) { command(QString::fromUtf8(line)); });
    say(QStringLiteral("ready"));
    const int rc = QGuiApplication::exec();
    if (!args.contains(QLatin1String("--outlive-app"))) service.reset();
    return rc;
}
