// Drives the KWin pointer monitor for kwin_pointer.sh. Commands on standard
// input, one a line: "start", "stop", "quit"; each is answered with one line
// ("started 1"/"started 0", "stopped"). Every moved() is answered by reading
// the position at once and printing "pos X Y"; a second moved() before that
// read would print "error: moved twice".
#include "platform/kwin/KWinPointer.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::unique_ptr<platform::PointerMonitor> pointer = platform::kwin::createPointerMonitor();
    if (!pointer) {
        std::printf("unavailable\n");
        return 1;
    }
    bool unread = false;
    QObject::connect(pointer.get(), &platform::PointerMonitor::moved, [&] {
        if (unread)
            std::printf("error: moved twice\n");
        unread = true;
        // Read on the next turn of the event loop, as the guide reads once per
        // frame: a move that comes in between must not report again.
        QMetaObject::invokeMethod(
            &app,
            [&] {
                unread = false;
                const QPointF p = pointer->position();
                std::printf("pos %d %d\n", int(p.x()), int(p.y()));
                std::fflush(stdout);
            },
            Qt::QueuedConnection);
    });
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line) || line == "quit") {
            QCoreApplication::quit();
            return;
        }
        if (line == "start")
            std::printf("started %d\n", pointer->start() ? 1 : 0);
        else if (line == "stop") {
            pointer->stop();
            std::printf("stopped\n");
        }
        std::fflush(stdout);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
