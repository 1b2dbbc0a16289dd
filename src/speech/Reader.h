#pragma once

// Reads aloud along the guide: speaks the line the guide is on, and when the
// line has been spoken to its end asks for the guide to step to the next
// line, then speaks that one, until the text ends, it is stopped, or the
// speech fails. The guide itself is moved by whoever owns it (stepWanted()
// is answered by lineStepped()), so the reader knows nothing of the desktop
// and the guide is always on the line being spoken.
//
// Only the newest message counts: an end or a cancel of a message said
// before a stop, and a step answered after one, are ignored.

#include "speech/Speech.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace speech {

class Reader : public QObject
{
    Q_OBJECT
public:
    // The speech, made the first time a line is read (and kept by the caller).
    using SpeechFactory = std::function<Speech *()>;

    explicit Reader(SpeechFactory speech, QObject *parent = nullptr);

    bool isReading() const { return m_state != State::idle; }
    // Speaks `text`, the line the guide is on, and goes on from there.
    void start(const QString &text);
    // Cuts the speech off at once; the guide stays where it is.
    void stop();
    // The answer to stepWanted(): the text of the line the guide moved to,
    // or nothing when there is no next line.
    void lineStepped(const std::optional<QString> &text);

    // Blank lines stepped over in a row before the text counts as ended.
    static constexpr int maxBlankLines = 16;

Q_SIGNALS:
    // The line was spoken: the guide should move to the next one.
    void stepWanted();
    // Reading ended by itself: at the end of the text, or because the
    // speech failed or was cut off by someone else. Says why, for people.
    void ended(const QString &why);

private:
    enum class State { idle, speaking, stepping };

    Speech *speech();
    void speak(const QString &text);
    void finish(const QString &why);
    void onFinished(quint64 token);
    void onCancelled(quint64 token);

    SpeechFactory m_factory;
    Speech *m_speech = nullptr;
    State m_state = State::idle;
    quint64 m_token = 0; // the message being spoken
    int m_blankLines = 0;
};

} // namespace speech
