// A Qt 6 QTextEdit with known text in a known font, for the end-to-end tests
// of the text lines: qt_text X Y WIDTH HEIGHT, like gtk_text.py (same text,
// same commands on stdin, "ready" once shown). Run it with
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, or after the accessibility switch is on.
#include "../x11/stdin_lines.h"

#include <QApplication>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) return 2;
    QTextEdit edit;
    edit.setWindowFlags(Qt::FramelessWindowHint);
    edit.setWindowTitle(QStringLiteral("textlines qt"));
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(16);
    edit.setFont(font);
    edit.setLineWrapMode(QTextEdit::NoWrap);
    edit.setStyleSheet(QStringLiteral("QTextEdit { color: #000; background: #fff; }"));
    QStringList lines;
    for (int i = 0; i < 10; ++i)
        lines << QStringLiteral("Line %1: quietly fly past the big jumping dog").arg(i);
    edit.setPlainText(lines.join(QLatin1Char('\n')));
    edit.setGeometry(args[1].toInt(), args[2].toInt(), args[3].toInt(), args[4].toInt());
    edit.show();

    onStdinLine([&](const QByteArray &line) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.value(0) == "caret" && parts.size() == 2) {
            edit.activateWindow();
            edit.setFocus();
            edit.setTextCursor(QTextCursor(edit.document()->findBlockByNumber(parts[1].toInt())));
        } else if (parts.value(0) == "quit") {
            app.quit();
        }
    });
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTimer::singleShot(300, &app, [] { std::puts("ready"); });
    return app.exec();
}
