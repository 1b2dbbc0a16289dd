// Drives the X11 hot-key service for the end-to-end tests: registers the nine
// application combinations and prints, one line each, on stdout:
//   activated <id> <0|1>     a press (1: an auto-repeat of a held key)
//   refused <id>             registerHotkey() returned false
//   registered <id> / lost <id>   registrationChanged() after a keyboard change
//   key <keycode> <state>    a key press that reached the probe's own window
//   ready                    after start-up and after every command
// Commands, one per line on stdin: register <id> | register-all |
// unregister <id> | unregister-all | status | destroy | create | quit.
// Options: --no-register (start with nothing registered), --window (show a
// focused window that prints the key presses it receives), --autorepeat
// detectable|classic (how the server reports a held key to this client: only
// presses, or a release before every repeated press), --outlive-app (keep the
// service until after the application object is gone).

#include "platform/Backends.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

using platform::HotkeyService;

HotkeyService::Key keyFor(int id)
{
    const Qt::KeyboardModifiers cs = Qt::ControlModifier | Qt::ShiftModifier;
    switch (id) {
    case 1: return {QStringLiteral("AD04"), cs, QStringLiteral("Ctrl+Shift+R")};
    case 2: return {QStringLiteral("AD05"), cs, QStringLiteral("Ctrl+Shift+T")};
    case 3: return {QStringLiteral("AE12"), cs, QStringLiteral("Ctrl+Shift+=")};
    case 4: return {QStringLiteral("AE11"), cs, QStringLiteral("Ctrl+Shift+-")};
    default:
        return {QStringLiteral("AE0%1").arg(id - 4), Qt::ControlModifier, QStringLiteral("Ctrl+%1").arg(id - 4)};
    }
}

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

class KeyWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkCyan); }
    void keyPressEvent(QKeyEvent *e) override
    {
        say(QStringLiteral("key %1 %2").arg(e->nativeScanCode()).arg(e->nativeModifiers()));
    }
};

class Probe
{
public:
    void create()
    {
        service = platform::createX11Hotkeys();
        if (!service->isAvailable())
            say(QStringLiteral("unavailable"));
        QObject::connect(service.get(), &HotkeyService::activated, [](int id, bool repeat) {
            say(QStringLiteral("activated %1 %2").arg(id).arg(repeat ? 1 : 0));
        });
        QObject::connect(service.get(), &HotkeyService::registrationChanged, [](int id, bool registered) {
            say(QStringLiteral("%1 %2").arg(registered ? QStringLiteral("registered") : QStringLiteral("lost")).arg(id));
        });
    }
    void registerId(int id)
    {
        if (service && !service->registerHotkey(id, keyFor(id)))
            say(QStringLiteral("refused %1").arg(id));
    }
    void command(const QString &line)
    {
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            return;
        const QString cmd = words[0];
        const int id = words.size() > 1 ? words[1].toInt() : 0;
        if (cmd == QLatin1String("register")) {
            registerId(id);
        } else if (cmd == QLatin1String("register-all")) {
            for (int i = 1; i <= 9; ++i)
                registerId(i);
        } else if (cmd == QLatin1String("unregister")) {
            if (service)
                service->unregisterHotkey(id);
        } else if (cmd == QLatin1String("unregister-all")) {
            for (int i = 1; service && i <= 9; ++i)
                service->unregisterHotkey(i);
        } else if (cmd == QLatin1String("status")) {
            for (int i = 1; service && i <= 9; ++i)
                say(QStringLiteral("%1 %2").arg(service->isRegistered(i) ? "held" : "free").arg(i));
        } else if (cmd == QLatin1String("destroy")) {
            service.reset();
        } else if (cmd == QLatin1String("create")) {
            create();
        } else if (cmd == QLatin1String("quit")) {
            QGuiApplication::quit();
            return;
        } else {
            say(QStringLiteral("unknown command %1").arg(cmd));
        }
        say(QStringLiteral("ready"));
    }

    std::unique_ptr<HotkeyService> service;
};

// Switches XKB detectable auto-repeat for Qt's connection; false if the
// server did not take it.
bool setDetectableAutoRepeat(bool on)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_xkb_per_client_flags_reply_t *reply = xcb_xkb_per_client_flags_reply(
        c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, on ? flag : 0, 0, 0, 0), nullptr);
    const bool ok = reply && bool(reply->value & flag) == on;
    std::free(reply);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // --outlive-app: the service is destroyed after the application object,
    // as a platform kept in a static is.
    static std::unique_ptr<HotkeyService> outliving;
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();

    const qsizetype repeatArg = args.indexOf(QLatin1String("--autorepeat"));
    if (repeatArg > 0 && repeatArg + 1 < args.size()) {
        if (!setDetectableAutoRepeat(args[repeatArg + 1] == QLatin1String("detectable"))) {
            say(QStringLiteral("autorepeat mode refused"));
            return 1;
        }
    }

    Probe probe;
    probe.create();
    if (!args.contains(QLatin1String("--no-register"))) {
        for (int id = 1; id <= 9; ++id)
            probe.registerId(id);
    }

    std::unique_ptr<KeyWindow> window;
    if (args.contains(QLatin1String("--window"))) {
        window = std::make_unique<KeyWindow>();
        window->setTitle(QStringLiteral("hotkey-probe"));
        window->setGeometry(100, 100, 300, 200);
        window->show();
        window->requestActivate();
    }

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            QGuiApplication::quit();
            return;
        }
        pending.append(buffer, n);
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(nl)).trimmed();
            pending.remove(0, nl + 1);
            probe.command(line);
        }
    });

    say(QStringLiteral("ready"));
    const int rc = app.exec();
    if (args.contains(QLatin1String("--outlive-app")))
        outliving = std::move(probe.service);
    probe.service.reset();
    return rc;
}
