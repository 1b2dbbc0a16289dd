// Drives the portal's shortcut service for kwin_portal_shortcuts.sh. It asks
// for two shortcuts, Ctrl+Shift+R as "toggle" (id 1) and Ctrl+1 as "style-1"
// (id 2), and prints "activated ID REPEAT" for every press and "changed ID
// 0|1" for every change of registration. "status" prints "id ID 0|1 BOUND"
// for both; "drop" unregisters id 2; "quit" ends.
#include "platform/portal/PortalHotkeys.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::unique_ptr<platform::HotkeyService> hotkeys = platform::portal::createHotkeyService();
    if (!hotkeys) {
        std::printf("unavailable\n");
        return 1;
    }
    const auto print = [](const QString &line) {
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    };
    QObject::connect(hotkeys.get(), &platform::HotkeyService::activated,
                     [&](int id, bool repeat) { print(QStringLiteral("activated %1 %2").arg(id).arg(int(repeat))); });
    QObject::connect(hotkeys.get(), &platform::HotkeyService::registrationChanged,
                     [&](int id, bool on) { print(QStringLiteral("changed %1 %2").arg(id).arg(int(on))); });
    hotkeys->registerHotkey(1, {"AD04", Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+R", "toggle", "Toggle guide"});
    hotkeys->registerHotkey(2, {"AE01", Qt::ControlModifier, "Ctrl+1", "style-1", "Switch style 1"});
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line) || line == "quit") {
            QCoreApplication::quit();
            return;
        }
        if (line == "drop")
            hotkeys->unregisterHotkey(2);
        for (int id : {1, 2})
            print(QStringLiteral("id %1 %2 %3").arg(id).arg(int(hotkeys->isRegistered(id))).arg(hotkeys->boundKeyText(id)));
    });
    print(QStringLiteral("ready"));
    return QCoreApplication::exec();
}
