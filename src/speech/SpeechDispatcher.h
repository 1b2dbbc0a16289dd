#pragma once

// Speech through speech-dispatcher, with libspeechd: its BEGIN, END and
// CANCEL notifications carry the id of each message, so the end of a line is
// told from a cancel without guessing.
//
// libspeechd's calls are synchronous and wait for the server without a time
// limit, so they all run on a thread of their own; its notifications arrive
// on libspeechd's reader thread and are passed through that thread (after
// the call that queued the message has returned its id) to the object's
// thread. A call the server leaves unanswered for replyTimeout() fails the
// speech with a sentence, and its connection is dropped. Nothing connects
// before the first say() or requestVoices(). One object per process:
// libspeechd's notifications name no connection.

#include "speech/Speech.h"

#include <QHash>
#include <QThread>
#include <QTimer>

namespace speech {

class SpeechWorker;

class SpeechDispatcher : public Speech
{
    Q_OBJECT
public:
    explicit SpeechDispatcher(QObject *parent = nullptr);
    ~SpeechDispatcher() override;

    // Why speech-dispatcher can't be reached at all, found without waiting:
    // nothing listens where it would (SPEECHD_ADDRESS, or its usual socket)
    // and it is not installed to be started. Empty when it may be reached.
    static QString unavailableReason();

    quint64 say(const QString &text) override;
    void cancel() override;
    void setRate(int rate) override;
    void setVoice(const QString &name) override;
    void requestVoices() override;

    // How long a call may wait for the server (4 s: an autospawned server
    // takes a second or two to come up).
    void setReplyTimeout(int ms) { m_watchdog.setInterval(ms); }

private:
    friend class SpeechWorker;
    void startWorker();
    void post(std::function<void(SpeechWorker &)> call);
    void callDone();
    void said(quint64 token, int messageId);
    void notified(int messageId, int kind);
    void workerFailed(const QString &reason);
    void timedOut();
    void dropMessages();

    QThread *m_thread = nullptr;
    SpeechWorker *m_worker = nullptr;
    QTimer m_watchdog;
    QTimer m_aliveCheck; // while messages are out
    int m_calls = 0;                // posted to the worker, not yet done
    quint64 m_nextToken = 0;
    quint64 m_firstLive = 1;        // tokens below it were cancelled or failed
    QHash<int, quint64> m_messages; // server's message id -> token
    int m_rate = 0;
    QString m_voice;
};

} // namespace speech
