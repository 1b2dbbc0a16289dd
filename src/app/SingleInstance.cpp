#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QLatin1String socketName("tovani.socket");

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

// Why `dir` is no place for the socket, or empty when it is the user's own
// folder that nobody else may enter. `follow`: a symbolic link to such a
// folder counts (XDG_RUNTIME_DIR, which the session sets); in the shared temp
// folder anyone could plant a link, so there it doesn't.
QString privateDirProblem(const QString &dir, bool follow)
{
    struct stat info = {};
    const int rc = follow ? ::stat(encoded(dir).constData(), &info) : ::lstat(encoded(dir).constData(), &info);
    if (rc != 0)
        return QStringLiteral("%1: %2").arg(dir, errnoText(errno));
    if (!S_ISDIR(info.st_mode))
        return SingleInstance::tr("%1 is not a folder").arg(dir);
    if (info.st_uid != ::geteuid())
        return SingleInstance::tr("%1 belongs to another user").arg(dir);
    if ((info.st_mode & 07777) != 0700)
        return SingleInstance::tr("%1 has mode %2, not 0700")
            .arg(dir)
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return QString();
}

QString userName()
{
    if (const passwd *entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::geteuid());
}

// The client has closed its end without a full line in what it sent: there
// is nothing to answer.
bool hungUpUnfinished(int fd)
{
    pollfd hangUp = {fd, POLLRDHUP, 0};
    if (::poll(&hangUp, 1, 0) != 1 || !(hangUp.revents & (POLLRDHUP | POLLHUP | POLLERR)))
        return false;
    char sent[4097];
    const ssize_t size = ::recv(fd, sent, sizeof sent, MSG_PEEK | MSG_DONTWAIT);
    return size <= 0 || !std::memchr(sent, '\n', size_t(size));
}

} // namespace

int SingleInstance::maximumPathLength() { return int(sizeof(sockaddr_un::sun_path)) - 1; }

SingleInstance::Place SingleInstance::defaultPlace()
{
    Place place;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString path = runtime + QLatin1Char('/') + socketName;
        const QString problem = QDir::isAbsolutePath(runtime)
                                    ? privateDirProblem(runtime, true)
                                    : tr("%1 is not an absolute path").arg(runtime);
        if (!problem.isEmpty())
            place.notes << tr("XDG_RUNTIME_DIR is not private (%1)").arg(problem);
        else if (encoded(path).size() > maximumPathLength())
            place.notes << tr("the path %1 is longer than the %2 bytes a socket address takes")
                               .arg(path)
                               .arg(maximumPathLength());
        else {
            place.path = path;
            return place;
        }
    }

    // Qt's own fallback for the runtime folder, checked the same way.
    const QString fallback = QDir::tempPath() + QStringLiteral("/runtime-") + userName();
    if (::mkdir(encoded(fallback).constData(), 0700) != 0 && errno != EEXIST) {
        place.error = tr("cannot create %1: %2").arg(fallback, errnoText(errno));
        return place;
    }
    struct stat info = {};
    // Ours but too open (made by hand, or under another umask): close it.
    if (::lstat(encoded(fallback).constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 07777) != 0700)
        ::chmod(encoded(fallback).constData(), 0700);
    if (const QString problem = privateDirProblem(fallback, false); !problem.isEmpty()) {
        place.error = tr("no private folder for the control socket: %1").arg(problem);
        return place;
    }
    const QString path = fallback + QLatin1Char('/') + socketName;
    if (encoded(path).size() > maximumPathLength()) {
        place.error = tr("the path %1 is longer than the %2 bytes a socket address takes")
                          .arg(path)
                          .arg(maximumPathLength());
        return place;
    }
    place.path = path;
    return place;
}

SingleInstance::SingleInstance(const QString &socketPath, QObject *parent)
    : QObject(parent), m_socketPath(socketPath)
{
    m_acceptRetry.setSingleShot(true);
    connect(&m_acceptRetry, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
        acceptPending();
    });
}

SingleInstance::~SingleInstance()
{
    closeListener();
    // Before the members they report to are gone.
    for (QLocalSocket *socket : findChildren<QLocalSocket *>(Qt::FindDirectChildrenOnly)) {
        disconnect(socket, nullptr, this, nullptr);
        delete socket;
    }
}

void SingleInstance::closeListener()
{
    if (m_listenFd < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_listenFd);
    m_listenFd = -1;
    ::unlink(encoded(m_socketPath).constData());
}

void SingleInstance::setLimits(int maxConnections, int idleTimeoutMs)
{
    m_maxConnections = std::max(1, maxConnections);
    m_idleTimeoutMs = std::max(1, idleTimeoutMs);
}

bool SingleInstance::claim()
{
    if (m_lock && m_lock->isLocked())
        return true;
    m_error.clear();
    m_holderPid = 0;
    const QString dir = QFileInfo(m_socketPath).absolutePath();
    if (const QString problem = privateDirProblem(dir, true); !problem.isEmpty()) {
        m_error = problem;
        return false;
    }
    // Held for the copy's whole life: a copy that is alive but busy (or
    // stopped) keeps it, so nobody mistakes it for one that is gone and
    // takes its socket. A lock whose process has ended is stale and taken over.
    m_lock = std::make_unique<QLockFile>(m_socketPath + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError) {
        QString host, app;
        m_lock->getLockInfo(&m_holderPid, &host, &app);
    } else {
        m_error = tr("cannot create the lock file %1.lock").arg(m_socketPath);
    }
    return false;
}

bool SingleInstance::listen(Handler handler)
{
    m_handler = std::move(handler);
    if (m_listenFd >= 0)
        return true;
    if (!claim())
        return false;

    // We hold the lock, so whatever is at the path was left by a copy that is
    // gone: ours to replace, unless another user put it there.
    const QByteArray path = encoded(m_socketPath);
    struct stat info = {};
    if (::lstat(path.constData(), &info) == 0) {
        if (info.st_uid != ::geteuid()) {
            m_error = tr("%1 belongs to another user").arg(m_socketPath);
            return false;
        }
        if (S_ISDIR(info.st_mode) || ::unlink(path.constData()) != 0) {
            m_error = tr("cannot replace %1").arg(m_socketPath);
            return false;
        }
    }

    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() > maximumPathLength()) {
        m_error = tr("the path %1 is too long for a socket").arg(m_socketPath);
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // A queue as long as the system allows: a client that keeps coming back
    // must not fill it and leave a command unable to connect at all.
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        m_error = tr("cannot listen on %1: %2").arg(m_socketPath, errnoText(errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    m_listenFd = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::acceptPending);
    return true;
}

void SingleInstance::acceptPending()
{
    if (m_listenFd < 0)
        return;
    // Everyone who knocks is let in, so that a crowd of clients that never
    // finish their line cannot keep a real command waiting outside; a full
    // house closes its oldest instead. A few at a time, so that those let in
    // are read before the next ones can push them out; the notifier fires
    // again for the rest. Those that have already hung up without a full
    // line are closed at once and take no place, so that a client
    // reconnecting in a loop does not leave a long queue to work through.
    for (int kept = std::max(1, m_maxConnections / 4), dropped = 0; kept > 0 && dropped < 1024;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0 && hungUpUnfinished(fd)) {
            ::close(fd);
            ++dropped;
            continue;
        }
        if (fd >= 0) {
            adopt(fd);
            --kept;
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            // Out of descriptors or memory: the connection stays queued.
            // Pause instead of spinning on it, and never give up listening.
            m_notifier->setEnabled(false);
            m_acceptRetry.start(200);
        }
        return;
    }
}

void SingleInstance::adopt(int fd)
{
    auto *socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(fd)) {
        ::close(fd);
        delete socket;
        return;
    }
    if (m_connections.size() >= m_maxConnections) {
        QLocalSocket *oldest = m_connections.takeFirst();
        disconnect(oldest, &QObject::destroyed, this, nullptr);
        oldest->abort();
        oldest->deleteLater();
    }
    m_connections.append(socket);
    connect(socket, &QObject::destroyed, this, [this, socket] { m_connections.removeOne(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A client that connects and never finishes its line is closed.
    auto *idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    idle->start(m_idleTimeoutMs);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, idle] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > 4096) { // not one of ours
                socket->abort();
                socket->deleteLater();
            }
            return;
        }
        const QString command = QString::fromUtf8(socket->readLine(4096)).trimmed();
        const QString reply = m_handler ? m_handler(command) : QStringLiteral("error: ") + tr("not ready");
        socket->write(reply.toUtf8() + '\n');
        socket->flush();
        socket->disconnectFromServer();
        // A client that does not read its reply still goes after the idle time.
        idle->start(m_idleTimeoutMs);
    });
}

std::optional<QString> SingleInstance::send(const QString &socketPath, const QString &command, int timeoutMs)
{
    struct stat info = {};
    if (::lstat(encoded(socketPath).constData(), &info) == 0 && info.st_uid != ::geteuid())
        return QStringLiteral("error: ") + tr("%1 belongs to another user; not connecting to it").arg(socketPath);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    socket.write(command.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return noAnswer;
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() > 4096 || !socket.waitForReadyRead(timeoutMs))
            return noAnswer;
    }
    return QString::fromUtf8(socket.readLine(4096)).trimmed();
}

QString SingleInstance::printable(const QString &reply)
{
    QString out;
    const QString text = reply.left(1000);
    for (const char32_t c : text.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (c == U'\\')
            out += QStringLiteral("\\\\");
        else if (category == QChar::Other_Control && c < 0x100)
            out += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
        else if (category == QChar::Other_Control || category == QChar::Other_Format ||
                 category == QChar::Other_Surrogate || category == QChar::Separator_Line ||
                 category == QChar::Separator_Paragraph)
            out += QStringLiteral("\\u{%1}").arg(uint(c), 4, 16, QLatin1Char('0'));
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}
