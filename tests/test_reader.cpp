// The reader against a fake speech, for what a real server makes rare: an END
// or CANCEL after a stop or a new start, a step answered after a stop, a cancel
// from someone else, blank lines, a failure (the rest, reading line after line
// to the end among it: tests/speech/).
#include "speech/Reader.h"

#include <QTest>

namespace {

class FakeSpeech : public speech::Speech
{
    Q_OBJECT
public:
    quint64 say(const QString &text) override { return log << QStringLiteral("say ") + text, ++last; }
    void cancel() override { log << QStringLiteral("cancel"); }
    void setRate(int) override {}
    void setVoice(const QString &) override {}
    void requestVoices() override {}

    QStringList log;
    quint64 last = 0;
};

} // namespace

class TestReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Events, "|"-separated: "start TEXT", "stop", "end N" (message N spoken
    // to its end), "cut N" (message N cancelled by the server), "step TEXT"
    // (the guide's answer: the next line's text), "fail". Expected: the
    // speech's calls, "step?" for a step asked, "ended WHY".
    void reading_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("an END after the stop steps nothing") << "start a|stop|end 1" << "say a|cancel";
        QTest::newRow("a step answered after the stop says nothing") << "start a|end 1|stop|step b" << "say a|step?|cancel";
        QTest::newRow("the old message's END does not move the new reading") << "start a|stop|start b|end 1" << "say a|cancel|say b";
        QTest::newRow("cut off by someone else") << "start a|cut 1|end 1" << "say a|ended Stopped reading";
        QTest::newRow("a cancel of an old message is no stop") << "start a|stop|start b|cut 1|end 2" << "say a|cancel|say b|step?";
        QTest::newRow("blank lines are stepped over") << "start a|end 1|step  \t |step c" << "say a|step?|step?|say c";
        QTest::newRow("a failure ends the reading") << "start a|fail|end 1" << "say a|ended gone";
        // clang-format on
    }
    void reading()
    {
        QFETCH(QString, events);
        QFETCH(QString, expected);
        FakeSpeech speech;
        speech::Reader reader([&speech]() -> speech::Speech * { return &speech; });
        connect(&reader, &speech::Reader::stepWanted, this, [&speech] { speech.log << QStringLiteral("step?"); });
        connect(&reader, &speech::Reader::ended, this, [&speech](const QString &why) { speech.log << QStringLiteral("ended ") + why; });
        for (const QString &event : events.split(u'|')) {
            const QString word = event.section(u' ', 0, 0), rest = event.section(u' ', 1);
            if (word == u"start")
                reader.start(rest);
            else if (word == u"stop")
                reader.stop();
            else if (word == u"end")
                Q_EMIT speech.finished(rest.toULongLong());
            else if (word == u"cut")
                Q_EMIT speech.cancelled(rest.toULongLong());
            else if (word == u"step")
                reader.lineStepped(rest);
            else if (word == u"fail")
                Q_EMIT speech.failed(QStringLiteral("gone"));
        }
        QCOMPARE(speech.log.join(u'|'), expected);
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "test_reader.moc"
