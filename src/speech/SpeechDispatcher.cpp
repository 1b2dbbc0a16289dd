#include "speech/SpeechDispatcher.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <libspeechd.h>

#include <mutex>

#include <csignal>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace speech {

namespace {

constexpr int kReplyTimeoutMs = 4000;
// How often the connection is checked while a message is out.
constexpr int kAliveCheckMs = 500;

enum Kind { begin = 1, end = 2, cancelled = 3 };

// speech-dispatcher is started on demand at its usual address only: an
// address given in SPEECHD_ADDRESS is a server someone runs themselves.
bool mayStartServer() { return qEnvironmentVariableIsEmpty("SPEECHD_ADDRESS"); }

QString notInstalled()
{
    return QCoreApplication::translate("speech", "Reading aloud needs speech-dispatcher: install the package "
                                                 "\"speech-dispatcher\".");
}
QString noAnswer()
{
    return QCoreApplication::translate("speech", "speech-dispatcher does not answer; reading aloud stopped.");
}
QString wentAway()
{
    return QCoreApplication::translate("speech", "speech-dispatcher went away; reading aloud stopped.");
}
QString badAnswer()
{
    return QCoreApplication::translate("speech", "speech-dispatcher gave an answer Tovani does not understand; "
                                                 "reading aloud stopped.");
}

} // namespace

// Lives on the speech thread and holds the connection; every libspeechd call
// is made here. Answers go back to the owner's thread by queued calls, which
// the owner drops if the worker was given up meanwhile.
class SpeechWorker : public QObject
{
public:
    explicit SpeechWorker(SpeechDispatcher *owner) : m_owner(owner) {}
    ~SpeechWorker() override { close(); }

    // Runs f(owner) on the owner's thread, unless the owner gave this
    // worker up meanwhile.
    template <typename F> void reply(F &&f)
    {
        SpeechWorker *self = this;
        SpeechDispatcher *owner = m_owner;
        QMetaObject::invokeMethod(
            owner, [self, owner, f = std::forward<F>(f)] { if (owner->m_worker == self) f(owner); },
            Qt::QueuedConnection);
    }

    // The connection with notifications on, rate and voice as last asked.
    bool ensureOpen()
    {
        if (m_conn)
            return true;
        // A server that went away makes libspeechd write to a closed socket:
        // the signal goes to the writing thread, blocked here (and in
        // libspeechd's reader thread, which inherits the mask).
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        char *error = nullptr;
        SPDConnection *conn =
            spd_open2("tovani", "read-aloud", nullptr, SPD_MODE_THREADED, nullptr, mayStartServer(), &error);
        free(error);
        if (!conn) {
            fail(notInstalled());
            return false;
        }
        {
            std::lock_guard lock(s_mutex);
            m_conn = conn;
            s_current = this;
        }
        conn->callback_begin = &SpeechWorker::notification;
        conn->callback_end = &SpeechWorker::notification;
        conn->callback_cancel = &SpeechWorker::notification;
        if (spd_set_notification_on(conn, SPDNotification(SPD_BEGIN | SPD_END | SPD_CANCEL)) != 0 ||
            !applyVoice()) {
            callFailed();
            return false;
        }
        return true;
    }

    bool applyVoice()
    {
        if (spd_set_voice_rate(m_conn, m_rate) != 0)
            return false;
        return m_voice.isEmpty() || spd_set_synthesis_voice(m_conn, m_voice.constData()) == 0;
    }

    void say(quint64 token, const QByteArray &text)
    {
        if (!ensureOpen())
            return;
        const int id = spd_say(m_conn, SPD_TEXT, text.constData());
        if (id < 0) {
            callFailed();
            return;
        }
        reply([token, id](SpeechDispatcher *o) { o->said(token, id); });
    }

    void cancel()
    {
        if (m_conn && spd_cancel(m_conn) != 0)
            callFailed();
    }

    void setVoice(int rate, const QByteArray &voice)
    {
        m_rate = rate;
        m_voice = voice;
        if (m_conn && !applyVoice())
            callFailed();
    }

    void listVoices()
    {
        if (!ensureOpen())
            return;
        SPDVoice **voices = spd_list_synthesis_voices(m_conn);
        if (!voices) {
            callFailed();
            return;
        }
        QList<Voice> list;
        for (SPDVoice **v = voices; *v; ++v) {
            list.append({QString::fromUtf8((*v)->name),
                         (*v)->language ? QString::fromUtf8((*v)->language) : QString()});
        }
        free_spd_voices(voices);
        reply([list](SpeechDispatcher *o) { Q_EMIT o->voicesListed(list); });
    }

    // From the owner's thread: unblocks a call that waits for the server by
    // shutting its socket (libspeechd's reader then sees the end and lets
    // the call fail).
    void abort()
    {
        std::lock_guard lock(s_mutex);
        if (m_conn && m_conn->socket >= 0)
            ::shutdown(m_conn->socket, SHUT_RDWR);
    }

    // libspeechd tells no one when the server goes away between calls: its
    // reader thread just closes the socket. Asked while messages are out.
    void checkAlive()
    {
        if (m_conn && m_conn->socket < 0)
            fail(wentAway());
    }

    // A call failed: libspeechd's reader closes the socket when the server
    // went away; otherwise the server said something unexpected.
    void callFailed() { fail(m_conn && m_conn->socket < 0 ? wentAway() : badAnswer()); }

    void fail(const QString &reason)
    {
        close();
        reply([reason](SpeechDispatcher *o) { o->workerFailed(reason); });
    }

    void close()
    {
        SPDConnection *conn = nullptr;
        {
            std::lock_guard lock(s_mutex);
            conn = m_conn;
            m_conn = nullptr;
            if (s_current == this)
                s_current = nullptr;
        }
        if (conn)
            spd_close(conn); // stops and joins libspeechd's reader thread
    }

private:
    SpeechDispatcher *m_owner;
    // On libspeechd's reader thread. Passed on through the worker's own
    // queue, so a message's id is known (say() has returned) before its end.
    static void notification(size_t messageId, size_t, SPDNotificationType type)
    {
        // Not cut off halfway by spd_close() while holding the lock.
        int cancelState = 0;
        pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &cancelState);
        {
            std::lock_guard lock(s_mutex);
            const int kind = type == SPD_EVENT_BEGIN ? begin : type == SPD_EVENT_END ? end : cancelled;
            if (SpeechWorker *w = s_current) {
                const int id = int(messageId);
                QMetaObject::invokeMethod(
                    w, [w, id, kind] { w->reply([id, kind](SpeechDispatcher *o) { o->notified(id, kind); }); },
                    Qt::QueuedConnection);
            }
        }
        pthread_setcancelstate(cancelState, nullptr);
    }

    static inline std::mutex s_mutex;
    static inline SpeechWorker *s_current = nullptr;
    SPDConnection *m_conn = nullptr;
    int m_rate = 0;
    QByteArray m_voice;
};

SpeechDispatcher::SpeechDispatcher(QObject *parent) : Speech(parent)
{
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(kReplyTimeoutMs);
    connect(&m_watchdog, &QTimer::timeout, this, &SpeechDispatcher::timedOut);
    m_aliveCheck.setInterval(kAliveCheckMs);
    connect(&m_aliveCheck, &QTimer::timeout, this, [this] {
        if (m_messages.isEmpty() && m_calls == 0)
            m_aliveCheck.stop();
        else if (m_calls == 0)
            post([](SpeechWorker &w) { w.checkAlive(); });
    });
}

SpeechDispatcher::~SpeechDispatcher()
{
    if (!m_thread)
        return;
    // Whatever was asked last (a cancel on quitting) goes first; a call the
    // server leaves waiting is cut off.
    QMetaObject::invokeMethod(m_worker, [w = m_worker] { w->close(); }, Qt::QueuedConnection);
    m_thread->quit();
    if (!m_thread->wait(500)) {
        m_worker->abort();
        m_thread->wait(500);
    }
    if (m_thread->isFinished()) {
        delete m_worker;
        delete m_thread;
    }
    // else: a call still waits on a server that never answered (in
    // spd_open2, before its socket is known): left to the process's end
    // rather than blocking the exit.
}

QString SpeechDispatcher::unavailableReason()
{
    char *error = nullptr;
    SPDConnectionAddress *address = spd_get_default_address(&error);
    free(error);
    if (!address)
        return notInstalled();
    // Only a local socket can be checked without waiting; the server may
    // also be started on demand if it is installed.
    bool listening = address->method != SPD_METHOD_UNIX_SOCKET;
    if (!listening && address->unix_socket_name) {
        sockaddr_un where = {};
        where.sun_family = AF_UNIX;
        strncpy(where.sun_path, address->unix_socket_name, sizeof(where.sun_path) - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        listening = fd >= 0 && (::connect(fd, reinterpret_cast<sockaddr *>(&where), sizeof(where)) == 0 ||
                                errno == EAGAIN || errno == EINPROGRESS);
        if (fd >= 0)
            ::close(fd);
    }
    SPDConnectionAddress__free(address);
    if (listening ||
        (mayStartServer() && !QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher")).isEmpty()))
        return {};
    return notInstalled();
}

void SpeechDispatcher::startWorker()
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("speech"));
    m_worker = new SpeechWorker(this);
    m_worker->moveToThread(m_thread);
    m_thread->start();
    const int rate = m_rate;
    const QByteArray voice = m_voice.toUtf8();
    post([rate, voice](SpeechWorker &w) { w.setVoice(rate, voice); });
}

void SpeechDispatcher::post(std::function<void(SpeechWorker &)> call)
{
    if (!m_thread)
        startWorker();
    if (m_calls++ == 0)
        m_watchdog.start();
    SpeechWorker *w = m_worker;
    QMetaObject::invokeMethod(
        w,
        [w, call = std::move(call)] {
            call(*w);
            w->reply([](SpeechDispatcher *o) { o->callDone(); });
        },
        Qt::QueuedConnection);
}

void SpeechDispatcher::callDone()
{
    if (m_calls > 0 && --m_calls > 0)
        m_watchdog.start(); // the next call gets its own time
    else
        m_watchdog.stop();
}

quint64 SpeechDispatcher::say(const QString &text)
{
    const quint64 token = ++m_nextToken;
    const QByteArray bytes = text.toUtf8();
    post([token, bytes](SpeechWorker &w) { w.say(token, bytes); });
    if (!m_aliveCheck.isActive())
        m_aliveCheck.start();
    return token;
}

void SpeechDispatcher::cancel()
{
    if (!m_thread)
        return;
    dropMessages();
    post([](SpeechWorker &w) { w.cancel(); });
}

void SpeechDispatcher::setRate(int rate)
{
    m_rate = std::clamp(rate, -100, 100);
    if (m_thread)
        post([rate = m_rate, voice = m_voice.toUtf8()](SpeechWorker &w) { w.setVoice(rate, voice); });
}

void SpeechDispatcher::setVoice(const QString &name)
{
    m_voice = name;
    if (m_thread)
        post([rate = m_rate, voice = m_voice.toUtf8()](SpeechWorker &w) { w.setVoice(rate, voice); });
}

void SpeechDispatcher::requestVoices()
{
    post([](SpeechWorker &w) { w.listVoices(); });
}

void SpeechDispatcher::said(quint64 token, int messageId)
{
    if (token >= m_firstLive)
        m_messages.insert(messageId, token);
}

void SpeechDispatcher::notified(int messageId, int kind)
{
    const auto it = m_messages.constFind(messageId);
    if (it == m_messages.cend())
        return; // cancelled here already, or not ours
    const quint64 token = it.value();
    if (kind == begin) {
        Q_EMIT started(token);
        return;
    }
    m_messages.erase(it);
    if (kind == end)
        Q_EMIT finished(token);
    else
        Q_EMIT cancelled(token);
}

// Every message said so far is over: none of their notifications count.
void SpeechDispatcher::dropMessages()
{
    const QList<quint64> live = m_messages.values();
    m_messages.clear();
    m_firstLive = m_nextToken + 1;
    for (quint64 token : live)
        Q_EMIT cancelled(token);
}

void SpeechDispatcher::workerFailed(const QString &reason)
{
    m_messages.clear();
    m_firstLive = m_nextToken + 1;
    Q_EMIT failed(reason);
}

// The worker waits on a server that does not answer: its connection is cut
// and the worker given up; the next call starts a new one.
void SpeechDispatcher::timedOut()
{
    SpeechWorker *stuck = m_worker;
    QThread *thread = m_thread;
    m_worker = nullptr;
    m_thread = nullptr;
    m_calls = 0;
    stuck->abort();
    QMetaObject::invokeMethod(stuck, [stuck] { stuck->close(); }, Qt::QueuedConnection);
    thread->quit();
    connect(thread, &QThread::finished, stuck, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    workerFailed(noAnswer());
}

} // namespace speech
