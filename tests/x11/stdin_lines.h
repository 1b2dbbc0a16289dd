// Standard input line by line, for the helpers the end-to-end tests drive
// with commands (hotkey_probe, wlprobe, session_probe, qt_text).
#pragma once

#include <QCoreApplication>
#include <QSocketNotifier>

#include <functional>
#include <unistd.h>

// Hands every whole line (without its newline) to `line` as it arrives; the
// end of the input quits the application.
inline void onStdinLine(std::function<void(const QByteArray &)> line)
{
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(input, &QSocketNotifier::activated, input,
                     [line = std::move(line), pending = QByteArray()]() mutable {
                         char chunk[4096];
                         const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
                         if (n <= 0) return QCoreApplication::quit();
                         pending.append(chunk, n);
                         for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
                             line(pending.left(end));
                     });
}
