#pragma once

// A voice that reads text aloud, one message after another, and says when
// each message began, was spoken to its end or was cut off. The reader
// (speech/Reader.h) steps the guide on when a line's message ends, so what
// matters is a reliable end of each message, told apart from a cancel.
//
// Every call returns at once; answers come later as signals on the thread
// the object lives on. An implementation that can't reach its server says so
// by failed(), with a sentence for people, and drops every message said.

#include <QList>
#include <QObject>
#include <QString>

namespace speech {

struct Voice
{
    QString name;     // as the server names it, and as it is stored
    QString language; // "en-US", or empty when the server does not say
};

class Speech : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Queues `text`; returns the token its signals carry (never 0).
    virtual quint64 say(const QString &text) = 0;
    // Cuts off what is spoken and drops what waits. Messages cut off are
    // answered by cancelled(), never by finished().
    virtual void cancel() = 0;
    // -100 (slowest) .. 100 (fastest), 0 the server's usual speed.
    virtual void setRate(int rate) = 0;
    // A name from voicesListed(); empty for the server's default voice.
    virtual void setVoice(const QString &name) = 0;
    // Asks for the voices the server offers: answered by voicesListed(), or
    // by failed().
    virtual void requestVoices() = 0;

Q_SIGNALS:
    void started(quint64 token);
    void finished(quint64 token);
    void cancelled(quint64 token);
    // The server is missing, went away, answered nonsense or did not answer
    // in time. Messages said before are forgotten, none of their signals
    // follow; the next say() tries to reach the server again.
    void failed(const QString &reason);
    void voicesListed(const QList<speech::Voice> &voices);
};

} // namespace speech
