// The tovani command line and the hand-over of commands between copies.

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <vector>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parses_data();
    void parses();
    void usageListsEveryCommand();
    void forwardsToTheRunningCopy();
    void takesOverASocketLeftBehind();
    void socketPlace_data();
    void socketPlace();
    void neverTouchesAnotherUsersSocket();
    void idleClientsDoNotShutTheDoor();
    void keepsListeningWithoutDescriptors();
    void repliesArePrintedAsPlainText_data();
    void repliesArePrintedAsPlainText();
};

namespace {
// The client blocks, so it runs on another thread while this one serves.
std::optional<QString> sendWhileServing(const QString &path, const QString &command)
{
    std::optional<QString> reply;
    QThread *client = QThread::create([&] { reply = SingleInstance::send(path, command, 5000); });
    client->start();
    QDeadlineTimer deadline(15000);
    while (!client->isFinished() && !deadline.hasExpired())
        QTest::qWait(5);
    if (!client->wait(QDeadlineTimer(5000)))
        qFatal("the client thread hangs");
    delete client;
    return reply;
}

const auto answerOk = [](const QString &) { return QStringLiteral("ok"); };
} // namespace

void TestCommandLine::parses_data()
{
    // What the arguments make: the line for the running copy, "" for a plain
    // launch, "--help" or "--version", or "error: " and how the message starts.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("nothing") << QStringList{} << "";
    QTest::newRow("toggle") << QStringList{"toggle"} << "toggle";
    QTest::newRow("style by name") << QStringList{"style", "ruler"} << "style 4";
    QTest::newRow("style two words") << QStringList{"style", "highlight-bar"} << "style 2";
    QTest::newRow("style by number") << QStringList{"style", "5"} << "style 5";
    QTest::newRow("help") << QStringList{"--help"} << "--help";
    QTest::newRow("version") << QStringList{"-v"} << "--version";
    QTest::newRow("unknown command") << QStringList{"toggel"} << "error: unknown command \"toggel\"";
    QTest::newRow("only from a launch") << QStringList{"launch"} << "error: unknown command \"launch\"";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "error: unknown option";
    QTest::newRow("style missing") << QStringList{"style"} << "error: \"style\" takes one style: underline, ";
    QTest::newRow("style 6") << QStringList{"style", "6"} << "error: unknown style \"6\"";
    QTest::newRow("style display name") << QStringList{"style", "Ruler"} << "error: unknown style";
    QTest::newRow("extra argument") << QStringList{"toggle", "now"} << "error: \"toggle\" takes no argument";
    QTest::newRow("help with extra") << QStringList{"--help", "x"} << "error: unexpected argument";
}

void TestCommandLine::parses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, outcome);
    const CommandLine parsed = CommandLine::parse(arguments);
    using K = CommandLine::Kind;
    const QString made = parsed.kind == K::Help      ? QStringLiteral("--help")
                         : parsed.kind == K::Version ? QStringLiteral("--version")
                         : parsed.kind == K::Error   ? "error: " + parsed.error
                                                     : parsed.command;
    if (parsed.kind == K::Error && outcome.startsWith(u"error: "))
        QVERIFY2(made.startsWith(outcome), qPrintable(made));
    else
        QCOMPARE(made, outcome);
}

void TestCommandLine::usageListsEveryCommand()
{
    const QString usage = CommandLine::usage();
    for (const Command &command : Commands::all())
        QCOMPARE(usage.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(command.verb))), command.isTyped());
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
    QVERIFY(!second.listen(answerOk));

    // The live copy keeps the lock: nobody takes its place while it lives.
    QCOMPARE(second.holderPid(), qint64(getpid()));

    QCOMPARE(sendWhileServing(path, QStringLiteral("style 3")).value_or(QString()), QStringLiteral("ok"));
    QCOMPARE(received, QStringList{"style 3"});
    QCOMPARE(sendWhileServing(path, QStringLiteral("bad")).value_or(QString()), QStringLiteral("error: unknown command"));
}

void TestCommandLine::takesOverASocketLeftBehind()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tovani.socket");
    {
        // A copy that crashed leaves its socket file; nobody answers on it.
        SingleInstance crashed(path);
        QVERIFY(crashed.listen(answerOk));
    }
    QFile stale(path);
    QVERIFY(stale.open(QIODevice::WriteOnly)); // a plain file in the way
    stale.close();
    QVERIFY(!SingleInstance::send(path, QStringLiteral("toggle"), 300).has_value());
    SingleInstance next(path);
    QVERIFY(next.listen(answerOk));
}

void TestCommandLine::socketPlace_data()
{
    // XDG_RUNTIME_DIR as found (relative to the scratch folder, "-" for
    // unset), its mode, its owner (0: ours, else that uid), what the private
    // fallback folder already is ("" for nothing), and the outcome: "runtime",
    // "fallback" or "refused".
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("owner");
    QTest::addColumn<QString>("fallback");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("private runtime folder") << "run" << 0700 << 0 << "" << "runtime";
    QTest::newRow("unset") << "-" << 0 << 0 << "" << "fallback";
    QTest::newRow("open to all") << "run" << 0777 << 0 << "" << "fallback";
    QTest::newRow("group readable") << "run" << 0750 << 0 << "" << "fallback";
    QTest::newRow("missing") << "nowhere" << 0 << 0 << "" << "fallback";
    QTest::newRow("relative") << "relative" << 0700 << 0 << "" << "fallback";
    QTest::newRow("too long for a socket") << "run/" + QString(110, QLatin1Char('x')) << 0700 << 0 << ""
                                           << "fallback";
    QTest::newRow("another user's, mode 0777") << "run" << 0777 << 65534 << "" << "fallback";
    QTest::newRow("fallback ours but open") << "-" << 0 << 0 << "ours 0755" << "fallback";
    QTest::newRow("fallback a link") << "-" << 0 << 0 << "link" << "refused";
    QTest::newRow("fallback another user's") << "-" << 0 << 0 << "foreign" << "refused";
}

void TestCommandLine::socketPlace()
{
    QFETCH(QString, runtime);
    QFETCH(int, mode);
    QFETCH(int, owner);
    QFETCH(QString, fallback);
    QFETCH(QString, outcome);
    if ((owner != 0 || fallback == u"foreign") && geteuid() != 0)
        QSKIP("needs root to make a folder of another user");
    QTemporaryDir scratch;
    const QString tmp = scratch.filePath("tmp");
    QVERIFY(QDir().mkpath(tmp));
    qputenv("TMPDIR", QFile::encodeName(tmp));
    const QString fallbackDir = QDir::tempPath() + "/runtime-" + QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
    const QString runtimeDir = runtime == u"relative" ? runtime : scratch.filePath(runtime);
    if (runtime == u"-") {
        qunsetenv("XDG_RUNTIME_DIR");
    } else {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir));
        if (runtime != u"nowhere" && runtime != u"relative") {
            QVERIFY(QDir().mkpath(runtimeDir));
            QVERIFY(chmod(QFile::encodeName(runtimeDir).constData(), mode_t(mode)) == 0);
            if (owner)
                QVERIFY(chown(QFile::encodeName(runtimeDir).constData(), uid_t(owner), gid_t(owner)) == 0);
        }
    }
    if (fallback == u"link") {
        QVERIFY(QFile::link(scratch.path(), fallbackDir));
    } else if (!fallback.isEmpty()) {
        QVERIFY(QDir().mkpath(fallbackDir));
        QVERIFY(chmod(QFile::encodeName(fallbackDir).constData(), 0755) == 0);
        if (fallback == u"foreign")
            QVERIFY(chown(QFile::encodeName(fallbackDir).constData(), 65534, 65534) == 0);
    }

    const SingleInstance::Place place = SingleInstance::defaultPlace();
    qunsetenv("TMPDIR");
    if (outcome == u"refused") {
        QVERIFY(place.path.isEmpty());
        QVERIFY(!place.error.isEmpty());
        return;
    }
    QVERIFY2(place.error.isEmpty(), qPrintable(place.error));
    QCOMPARE(place.path, (outcome == u"runtime" ? runtimeDir : fallbackDir) + "/tovani.socket");
    // Passing over a folder the session named is always explained.
    QCOMPARE(place.notes.isEmpty(), runtime == u"-" || outcome == u"runtime");
    if (outcome == u"fallback") {
        struct stat info = {};
        QVERIFY(lstat(QFile::encodeName(fallbackDir).constData(), &info) == 0);
        QVERIFY(S_ISDIR(info.st_mode) && info.st_uid == geteuid());
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
    }
    // The copy can actually listen there.
    SingleInstance instance(place.path);
    QVERIFY2(instance.listen(answerOk), qPrintable(instance.error()));
}

void TestCommandLine::neverTouchesAnotherUsersSocket()
{
    if (geteuid() != 0)
        QSKIP("needs root to make a socket of another user");
    QTemporaryDir dir;
    const QString path = dir.filePath("tovani.socket");
    {
        SingleInstance theirs(path);
        QVERIFY(theirs.listen(answerOk));
        // Leave the socket behind as if its process were gone, but not ours.
        QVERIFY(chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        QVERIFY(link(QFile::encodeName(path).constData(), QFile::encodeName(path + ".kept").constData()) == 0);
    }
    QVERIFY(rename(QFile::encodeName(path + ".kept").constData(), QFile::encodeName(path).constData()) == 0);
    const auto reply = SingleInstance::send(path, QStringLiteral("toggle"), 300);
    QVERIFY(reply && reply->startsWith(u"error: "));
    SingleInstance ours(path);
    QVERIFY(!ours.listen(answerOk));
    QVERIFY(!ours.error().isEmpty());
    struct stat info = {};
    QVERIFY(lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode));
}

void TestCommandLine::idleClientsDoNotShutTheDoor()
{
    // Clients that connect and never send give their place up after the idle
    // time; the number open at once is capped, the rest wait their turn.
    QTemporaryDir dir;
    const QString path = dir.filePath("tovani.socket");
    SingleInstance server(path);
    server.setLimits(4, 300);
    QVERIFY(server.listen(answerOk));
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 12; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(path);
        QVERIFY(idle.back()->waitForConnected(1000));
    }
    QTRY_COMPARE(server.openConnections(), 4);
    QTest::qWait(100);
    QVERIFY(server.openConnections() <= 4);
    QCOMPARE(sendWhileServing(path, QStringLiteral("toggle")).value_or(QString()), QStringLiteral("ok"));
    QTRY_COMPARE(server.openConnections(), 0);
}

void TestCommandLine::keepsListeningWithoutDescriptors()
{
    // Running out of file descriptors while clients queue must never close
    // the listening socket: once descriptors are free again, commands go
    // through.
    QTemporaryDir dir;
    const QString path = dir.filePath("tovani.socket");
    SingleInstance server(path);
    QVERIFY(server.listen(answerOk));
    std::vector<std::unique_ptr<QLocalSocket>> queued;
    for (int i = 0; i < 8; ++i) {
        queued.push_back(std::make_unique<QLocalSocket>());
        queued.back()->connectToServer(path);
        QVERIFY(queued.back()->waitForConnected(1000));
    }
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_NOFILE, &saved) == 0);
    const int lowestFree = dup(0);
    QVERIFY(lowestFree >= 0);
    close(lowestFree);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(lowestFree); // no new descriptor can be had
    QVERIFY(setrlimit(RLIMIT_NOFILE, &tight) == 0);
    QTest::qWait(600);
    QVERIFY(setrlimit(RLIMIT_NOFILE, &saved) == 0);
    queued.clear();
    QCOMPARE(sendWhileServing(path, QStringLiteral("toggle")).value_or(QString()), QStringLiteral("ok"));
}

void TestCommandLine::repliesArePrintedAsPlainText_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("printed");
    QTest::newRow("plain") << "unknown style \"6\"" << "unknown style \"6\"";
    QTest::newRow("escape sequence") << "\x1b]0;owned\x07\x1b[2J" << "\\x1b]0;owned\\x07\\x1b[2J";
    QTest::newRow("c1 control") << QString(QChar(0x9b)) + "31m" << "\\x9b31m";
    QTest::newRow("bidi override") << QString(QChar(0x202e)) + "txt.exe" << "\\u{202e}txt.exe";
    QTest::newRow("backslash") << "a\\x1b" << "a\\\\x1b";
    QTest::newRow("accents kept") << "réglage enregistré" << "réglage enregistré";
}

void TestCommandLine::repliesArePrintedAsPlainText()
{
    QFETCH(QString, reply);
    QFETCH(QString, printed);
    QCOMPARE(SingleInstance::printable(reply), printed);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
