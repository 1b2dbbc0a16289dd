#pragma once

// One running copy per user. The first copy holds a lock file and listens on a
// local socket in a folder only the user can enter; later launches hand their
// command to it and exit.

#include <QList>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QLocalSocket;
class QSocketNotifier;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // Runs a received command and returns the reply line ("ok" or "error: ...").
    using Handler = std::function<QString(const QString &command)>;

    // Where the socket goes: `path`, or `error` when no private place could
    // be had. `notes` say why a preferred place was passed over.
    struct Place
    {
        QString path;
        QString error;
        QStringList notes;
    };
    // $XDG_RUNTIME_DIR/tovani.socket when that folder is the user's own with
    // mode 0700 and the path fits a socket address; otherwise the same name
    // in a private folder runtime-<user> in the temp folder, created (or
    // reused after checking its owner and mode) as needed.
    static Place defaultPlace();
    // The longest socket path the system takes.
    static int maximumPathLength();

    explicit SingleInstance(const QString &socketPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock that marks the running copy, held until destruction.
    // False when another live process holds it (see holderPid()) or it
    // cannot be had (see error()).
    bool claim();
    // Claims, then listens. False when another live copy runs, or with
    // error() set when the socket could not be made. A socket or file left
    // behind by a copy that is gone is taken over; one owned by another user
    // is never touched.
    bool listen(Handler handler);
    QString error() const { return m_error; }
    // The process holding the lock when claim() failed, or 0.
    qint64 holderPid() const { return m_holderPid; }

    // Connections that send no full line within the idle time are closed, and
    // no more than maxConnections are open at once: one more closes the oldest.
    // Tests shorten both.
    void setLimits(int maxConnections, int idleTimeoutMs);
    int openConnections() const { return int(m_connections.size()); }

    // Hands a command to the running copy and waits for its reply; nothing when
    // no copy listens. A copy that took the command but did not reply within
    // the timeout (busy starting, or hung) gives `noAnswer`: it may still run
    // the command later, so the caller must not run it again elsewhere. A
    // socket that belongs to another user is never connected to: that gives
    // an "error: ..." reply.
    static std::optional<QString> send(const QString &socketPath, const QString &command, int timeoutMs = 10000);
    static inline const QString noAnswer = QStringLiteral("error: no answer");

    // A reply as it may be printed on a terminal: control and format
    // characters (escape sequences, bidirectional overrides) written as
    // \xNN or \u{NNNN}, and at most 1000 characters.
    static QString printable(const QString &reply);

private:
    void acceptPending();
    void adopt(int fd);
    void closeListener();

    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_listenFd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_acceptRetry; // after running out of descriptors
    Handler m_handler;
    QString m_error;
    qint64 m_holderPid = 0;
    int m_maxConnections = 16;
    int m_idleTimeoutMs = 3000;
    QList<QLocalSocket *> m_connections; // oldest first
};
