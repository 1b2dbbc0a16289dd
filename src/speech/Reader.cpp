#include "speech/Reader.h"

#include <QCoreApplication>

namespace speech {

Reader::Reader(SpeechFactory speech, QObject *parent) : QObject(parent), m_factory(std::move(speech)) {}

Speech *Reader::speech()
{
    if (!m_speech && m_factory) {
        m_speech = m_factory();
        if (m_speech) {
            connect(m_speech, &Speech::finished, this, &Reader::onFinished);
            connect(m_speech, &Speech::cancelled, this, &Reader::onCancelled);
            connect(m_speech, &Speech::failed, this, [this](const QString &reason) {
                if (isReading())
                    finish(reason);
            });
        }
    }
    return m_speech;
}

void Reader::start(const QString &text)
{
    if (!speech())
        return;
    m_blankLines = 0;
    speak(text);
}

void Reader::speak(const QString &text)
{
    // A line ends with its line feed, and holds tabs and runs of spaces
    // where the application aligns text: one line, spoken as words.
    const QString words = text.simplified();
    if (words.isEmpty()) {
        if (++m_blankLines > maxBlankLines) {
            finish(QCoreApplication::translate("speech", "End of text"));
            return;
        }
        m_state = State::stepping;
        Q_EMIT stepWanted();
        return;
    }
    m_blankLines = 0;
    m_state = State::speaking;
    m_token = m_speech->say(words);
}

void Reader::stop()
{
    if (!isReading())
        return;
    m_state = State::idle;
    m_token = 0;
    m_speech->cancel();
}

void Reader::finish(const QString &why)
{
    m_state = State::idle;
    m_token = 0;
    Q_EMIT ended(why);
}

void Reader::onFinished(quint64 token)
{
    if (m_state != State::speaking || token != m_token)
        return;
    m_state = State::stepping;
    Q_EMIT stepWanted();
}

void Reader::onCancelled(quint64 token)
{
    // Cut off by the server or another program (a screen reader's message),
    // not by stop(): what follows would be out of place.
    if (m_state == State::speaking && token == m_token)
        finish(QCoreApplication::translate("speech", "Stopped reading"));
}

void Reader::lineStepped(const std::optional<QString> &text)
{
    if (m_state != State::stepping)
        return;
    if (!text) {
        finish(QCoreApplication::translate("speech", "End of text"));
        return;
    }
    speak(*text);
}

} // namespace speech
