#pragma once

// One running copy per user. The first copy listens on a per-user local socket
// (user-only access); later launches hand their command to it and exit.

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalServer;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // Runs a received command and returns the reply line ("ok" or "error: ...").
    using Handler = std::function<QString(const QString &command)>;

    explicit SingleInstance(const QString &socketPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR/tovani.socket, or a per-user name in the temp folder.
    static QString defaultSocketPath();

    // Becomes the running copy. False when another live copy already listens
    // (a socket left behind by a crashed copy is cleaned up and taken over).
    bool listen(Handler handler);

    // Hands a command to the running copy and waits for its reply; nothing when
    // no copy listens. A copy that took the command but did not reply within
    // the timeout (busy starting, or hung) gives `noAnswer`: it may still run
    // the command later, so the caller must not run it again elsewhere.
    static std::optional<QString> send(const QString &socketPath, const QString &command, int timeoutMs = 10000);
    static inline const QString noAnswer = QStringLiteral("error: no answer");

private:
    void serve();

    QString m_socketPath;
    QLocalServer *m_server = nullptr;
    Handler m_handler;
};
