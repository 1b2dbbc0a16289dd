// The tovani command line and the hand-over of commands between copies.

#include "app/CommandLine.h"
#include "app/SingleInstance.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parsesCommands_data();
    void parsesCommands();
    void rejectsBadInput_data();
    void rejectsBadInput();
    void forwardsToTheRunningCopy();
    void takesOverASocketLeftBehind();
};

void TestCommandLine::parsesCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("command");
    using K = CommandLine::Kind;
    QTest::newRow("nothing") << QStringList{} << int(K::Launch) << QString();
    QTest::newRow("toggle") << QStringList{"toggle"} << int(K::Command) << "toggle";
    QTest::newRow("style by name") << QStringList{"style", "ruler"} << int(K::Command) << "style 4";
    QTest::newRow("style two words") << QStringList{"style", "highlight-bar"} << int(K::Command) << "style 2";
    QTest::newRow("style by number") << QStringList{"style", "5"} << int(K::Command) << "style 5";
    QTest::newRow("quit") << QStringList{"quit"} << int(K::Command) << "quit";
    QTest::newRow("help") << QStringList{"--help"} << int(K::Help) << QString();
    QTest::newRow("version") << QStringList{"--version"} << int(K::Version) << QString();
}

void TestCommandLine::parsesCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(QString, command);
    const CommandLine parsed = CommandLine::parse(arguments);
    QCOMPARE(int(parsed.kind), kind);
    QCOMPARE(parsed.command, command);
}

void TestCommandLine::rejectsBadInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown command") << QStringList{"toggel"};
    QTest::newRow("unknown option") << QStringList{"--frobnicate"};
    QTest::newRow("style missing") << QStringList{"style"};
    QTest::newRow("style 0") << QStringList{"style", "0"};
    QTest::newRow("style 6") << QStringList{"style", "6"};
    QTest::newRow("style display name") << QStringList{"style", "Ruler"};
    QTest::newRow("extra argument") << QStringList{"toggle", "now"};
    QTest::newRow("help with extra") << QStringList{"--help", "x"};
}

void TestCommandLine::rejectsBadInput()
{
    QFETCH(QStringList, arguments);
    const CommandLine parsed = CommandLine::parse(arguments);
    QCOMPARE(parsed.kind, CommandLine::Kind::Error);
    QVERIFY(!parsed.error.isEmpty());
}

void TestCommandLine::forwardsToTheRunningCopy()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tovani.socket");
    QStringList received;
    SingleInstance first(path);
    QVERIFY(first.listen([&received](const QString &command) {
        received.append(command);
        return command == u"bad" ? QStringLiteral("error: unknown command") : QStringLiteral("ok");
    }));
    // Only the user may connect.
    QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup), 0);

    SingleInstance second(path);
    QVERIFY(!second.listen([](const QString &) { return QStringLiteral("ok"); }));

    // The client blocks, so it runs on another thread while this one serves.
    std::optional<QString> reply;
    QThread *client = QThread::create([&] { reply = SingleInstance::send(path, QStringLiteral("style 3")); });
    client->start();
    QTRY_VERIFY(client->isFinished());
    delete client;
    QCOMPARE(reply.value_or(QString()), QStringLiteral("ok"));
    QCOMPARE(received, QStringList{"style 3"});

    client = QThread::create([&] { reply = SingleInstance::send(path, QStringLiteral("bad")); });
    client->start();
    QTRY_VERIFY(client->isFinished());
    delete client;
    QCOMPARE(reply.value_or(QString()), QStringLiteral("error: unknown command"));
}

void TestCommandLine::takesOverASocketLeftBehind()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tovani.socket");
    {
        // A copy that crashed leaves its socket file; nobody answers on it.
        SingleInstance crashed(path);
        QVERIFY(crashed.listen([](const QString &) { return QStringLiteral("ok"); }));
    }
    QFile stale(path);
    QVERIFY(stale.open(QIODevice::WriteOnly)); // a plain file in the way
    stale.close();
    QVERIFY(!SingleInstance::send(path, QStringLiteral("toggle"), 300).has_value());
    SingleInstance next(path);
    QVERIFY(next.listen([](const QString &) { return QStringLiteral("ok"); }));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
