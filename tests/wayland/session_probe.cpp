// Drives a desktop service of the Wayland session for the KWin tests; reads
// commands on standard input, one a line, "quit" ends.
//
//   session_probe pointer   the KWin pointer monitor (kwin_pointer.sh):
//       "start" answers "started 1|0", "stop" answers "stopped"; every
//       moved() is answered by reading the position on the next turn of the
//       event loop, as the guide reads once per frame: "pos X Y" ("error:
//       moved twice" if a second moved() came before that read)
//   session_probe hotkeys   the portal's shortcut service
//       (kwin_portal_shortcuts.sh): asks for Ctrl+Shift+R as "toggle" (id 1)
//       and Ctrl+1 as "style-1" (id 2); prints "activated ID REPEAT" for
//       every press and "changed ID 0|1" for every change of registration.
//       Any line prints "id ID 0|1 BOUND" for both; "drop" first
//       unregisters id 2
// Prints "ready" once listening, "unavailable" if the service is missing.
#include "../x11/stdin_lines.h"
#include "platform/kwin/KWinPointer.h"
#include "platform/portal/PortalHotkeys.h"

#include <cstdio>

namespace {
void print(const QString &line)
{
    std::puts(qPrintable(line));
}
} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication app(argc, argv);
    const bool pointerMode = app.arguments().value(1) == QLatin1String("pointer");
    std::unique_ptr<platform::PointerMonitor> pointer;
    std::unique_ptr<platform::HotkeyService> hotkeys;
    if (pointerMode ? !(pointer = platform::kwin::createPointerMonitor())
                    : !(hotkeys = platform::portal::createHotkeyService())) {
        print(QStringLiteral("unavailable"));
        return 1;
    }
    std::function<void(const QByteArray &)> command;
    bool unread = false;
    if (pointer) {
        QObject::connect(pointer.get(), &platform::PointerMonitor::moved, [&] {
            if (unread) print(QStringLiteral("error: moved twice"));
            unread = true;
            QMetaObject::invokeMethod(
                &app,
                [&] {
                    unread = false;
                    const QPointF p = pointer->position();
                    print(QStringLiteral("pos %1 %2").arg(int(p.x())).arg(int(p.y())));
                },
                Qt::QueuedConnection);
        });
        command = [&](const QByteArray &line) {
            if (line == "start")
                print(QStringLiteral("started %1").arg(int(pointer->start())));
            else if (line == "stop")
                pointer->stop(), print(QStringLiteral("stopped"));
        };
    } else {
        QObject::connect(hotkeys.get(), &platform::HotkeyService::activated, [&](int id, bool repeat) {
            print(QStringLiteral("activated %1 %2").arg(id).arg(int(repeat)));
        });
        QObject::connect(hotkeys.get(), &platform::HotkeyService::registrationChanged, [&](int id, bool on) {
            print(QStringLiteral("changed %1 %2").arg(id).arg(int(on)));
        });
        hotkeys->registerHotkey(
            1, {"AD04", Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+R", "toggle", "Toggle guide"});
        hotkeys->registerHotkey(2, {"AE01", Qt::ControlModifier, "Ctrl+1", "style-1", "Switch style 1"});
        command = [&](const QByteArray &line) {
            if (line == "drop") hotkeys->unregisterHotkey(2);
            for (int id : {1, 2})
                print(QStringLiteral("id %1 %2 %3")
                          .arg(id)
                          .arg(int(hotkeys->isRegistered(id)))
                          .arg(hotkeys->boundKeyText(id)));
        };
    }
    onStdinLine([&](const QByteArray &line) { line == "quit" ? QCoreApplication::quit() : command(line); });
    print(QStringLiteral("ready"));
    return QCoreApplication::exec();
}
