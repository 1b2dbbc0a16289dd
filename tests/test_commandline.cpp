// The tovani command line and the hand-over of commands between copies.

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The client blocks, so it runs on another thread while this one serves.
QString sendWhileServing(const QString &path, const QString &command)
{
    std::optional<QString> reply;
    const std::unique_ptr<QThread> client(QThread::create([&] { reply = SingleInstance::send(path, command, 5000); }));
    QEventLoop serving;
    QObject::connect(client.get(), &QThread::finished, &serving, &QEventLoop::quit);
    QTimer::singleShot(15000, &serving, [] { qFatal("the client hangs"); });
    client->start();
    serving.exec();
    client->wait();
    return reply.value_or(QStringLiteral("(nothing)"));
}

const auto answerOk = [](const QString &) { return QStringLiteral("ok"); };

// XDG_RUNTIME_DIR as found ("-" unset, else in a scratch folder, made with that
// mode and owner unless the mode is 0), what the private fallback folder in
// TMPDIR already is, and where the socket must go ("" for nowhere: refused
// with a reason). A folder the session named that is not the user's own with
// mode 0700, or too deep for a socket address, is passed over.
const std::tuple<const char *, QString, int, uid_t, QString, QString> socketPlaces[] = {
    {"private runtime folder", "run", 0700, 0, "", "runtime"},
    {"unset", "-", 0, 0, "", "fallback"},
    {"group readable", "run", 0750, 0, "", "fallback"},
    {"missing", "nowhere", 0, 0, "", "fallback"},
    {"relative", "relative", 0, 0, "", "fallback"},
    {"too long for a socket", "run/" + QString(110, u'x'), 0700, 0, "", "fallback"},
    {"another user's", "run", 0700, 65534, "", "fallback"},
    {"fallback ours but open", "-", 0, 0, "0755", "fallback"},
    {"fallback a link", "-", 0, 0, "link", ""},
    {"fallback another user's", "-", 0, 0, "foreign", ""}};
} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parses()
    {
        // What the arguments make: the line for the running copy, "" for a
        // plain launch, "--help" or "--version", or "error: " and how the
        // message starts. "launch" is a launch's own word, not a command;
        // "Ruler" is the style's display name, not its argument.
        // clang-format off
        const std::pair<QStringList, QString> cases[] = {
            {{}, ""}, {{"toggle"}, "toggle"}, {{"style", "highlight-bar"}, "style 2"}, {{"style", "5"}, "style 5"},
            {{"--help"}, "--help"}, {{"-v"}, "--version"}, {{"toggel"}, "error: unknown command \"toggel\""},
            {{"launch"}, "error: unknown command \"launch\""}, {{"--frobnicate"}, "error: unknown option"},
            {{"style", "6"}, "error: unknown style \"6\""}, {{"style"}, "error: \"style\" takes one style: underline, "},
            {{"style", "Ruler"}, "error: unknown style"}, {{"toggle", "now"}, "error: \"toggle\" takes no argument"},
            {{"--help", "x"}, "error: unexpected argument"}};
        // clang-format on
        using K = CommandLine::Kind;
        for (const auto &[arguments, outcome] : cases) {
            const CommandLine parsed = CommandLine::parse(arguments);
            const QString made = parsed.kind == K::Help      ? QStringLiteral("--help")
                                 : parsed.kind == K::Version ? QStringLiteral("--version")
                                 : parsed.kind == K::Error   ? "error: " + parsed.error
                                                             : parsed.command;
            const bool isError = parsed.kind == K::Error && outcome.startsWith(u"error: ");
            QVERIFY2(isError ? made.startsWith(outcome) : made == outcome, qPrintable(arguments.join(u' ') + " -> " + made));
        }
        const QString usage = CommandLine::usage();
        for (const Command &command : Commands::all())
            QCOMPARE(usage.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(command.verb))), command.isTyped());
    }

    void socketPlace_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(socketPlaces)); ++i)
            QTest::newRow(std::get<0>(socketPlaces[i])) << i;
    }

    void socketPlace()
    {
        QFETCH(int, row);
        const auto &[name, runtime, mode, owner, fallback, outcome] = socketPlaces[row];
        if ((owner != 0 || fallback == u"foreign") && geteuid() != 0) QSKIP("needs root to make a folder of another user");
        QTemporaryDir scratch;
        QVERIFY(QDir().mkpath(scratch.filePath("tmp")));
        qputenv("TMPDIR", QFile::encodeName(scratch.filePath("tmp")));
        const QString fallbackDir = QDir::tempPath() + "/runtime-" + QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
        const QString runtimeDir = runtime == u"relative" ? runtime : scratch.filePath(runtime);
        runtime == u"-" ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir));
        if (mode != 0)
            QVERIFY(QDir().mkpath(runtimeDir) && chmod(qPrintable(runtimeDir), mode_t(mode)) == 0 &&
                    (owner == 0 || chown(qPrintable(runtimeDir), owner, owner) == 0));
        if (fallback == u"link")
            QVERIFY(QFile::link(scratch.path(), fallbackDir));
        else if (!fallback.isEmpty())
            QVERIFY(QDir().mkpath(fallbackDir) && chmod(qPrintable(fallbackDir), 0755) == 0 &&
                    (fallback != u"foreign" || chown(qPrintable(fallbackDir), 65534, 65534) == 0));

        const SingleInstance::Place place = SingleInstance::defaultPlace();
        qunsetenv("TMPDIR");
        // Refused: no place, and why.
        QVERIFY2(place.error.isEmpty() != outcome.isEmpty() && place.path.isEmpty() == outcome.isEmpty(), qPrintable(place.error));
        if (outcome.isEmpty()) return;
        QCOMPARE(place.path, (outcome == u"runtime" ? runtimeDir : fallbackDir) + "/tovani.socket");
        // Passing over a folder the session named is always explained, and
        // the fallback is made (or left) the user's own, mode 0700.
        QCOMPARE(place.notes.isEmpty(), runtime == u"-" || outcome == u"runtime");
        struct stat info = {};
        QVERIFY(outcome == u"runtime" ||
                (lstat(qPrintable(fallbackDir), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 07777) == 0700));
        SingleInstance instance(place.path); // and a copy can listen there, for the user only
        QVERIFY2(instance.listen(answerOk), qPrintable(instance.error()));
        const auto others = QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup;
        QCOMPARE(QFileInfo(place.path).permissions() & others, 0);
    }

    void neverTouchesAnotherUsersSocket()
    {
        if (geteuid() != 0) QSKIP("needs root to make a socket of another user");
        QTemporaryDir dir;
        const QString path = dir.filePath("tovani.socket");
        const QByteArray name = QFile::encodeName(path), kept = name + ".kept";
        {
            // Left behind as if its process were gone, but another user's.
            SingleInstance theirs(path);
            QVERIFY(theirs.listen(answerOk));
            QVERIFY(chown(name.constData(), 65534, 65534) == 0 && link(name.constData(), kept.constData()) == 0);
        }
        QVERIFY(rename(kept.constData(), name.constData()) == 0);
        const auto reply = SingleInstance::send(path, QStringLiteral("toggle"), 300);
        QVERIFY(reply && reply->startsWith(u"error: "));
        SingleInstance ours(path);
        QVERIFY(!ours.listen(answerOk) && !ours.error().isEmpty());
        struct stat info = {};
        QVERIFY(lstat(name.constData(), &info) == 0 && S_ISSOCK(info.st_mode));
    }

    void crowdsNeverShutTheDoor_data()
    {
        QTest::addColumn<int>("clients");
        QTest::addColumn<bool>("comeBack");
        QTest::newRow("idle") << 50 << false;
        QTest::newRow("reconnecting") << 100 << true;
    }

    void crowdsNeverShutTheDoor()
    {
        // Clients that send the start of a command and wait, some coming back
        // as soon as they are dropped: a real command is still answered at
        // once, no more than the cap are open, and idle ones give up their place.
        QFETCH(int, clients);
        QFETCH(bool, comeBack);
        QTemporaryDir dir;
        const QString path = dir.filePath("tovani.socket");
        SingleInstance server(path);
        server.setLimits(16, 1500);
        QVERIFY(server.listen(answerOk));
        QObject crowd;
        for (int i = 0; i < clients; ++i) {
            auto *socket = new QLocalSocket(&crowd);
            connect(socket, &QLocalSocket::connected, socket, [socket] { socket->write("tog"); });
            if (comeBack) connect(socket, &QLocalSocket::disconnected, socket, [socket, path] { socket->connectToServer(path); });
            socket->connectToServer(path);
        }
        QTest::qWait(100);
        QElapsedTimer answered;
        answered.start();
        QCOMPARE(sendWhileServing(path, QStringLiteral("status")), QStringLiteral("ok"));
        QVERIFY2(answered.elapsed() < 1000, qPrintable(QString::number(answered.elapsed()) + " ms"));
        QVERIFY(server.openConnections() <= 16);
        if (comeBack) // and now they go for good
            for (QLocalSocket *client : crowd.findChildren<QLocalSocket *>())
                client->disconnect(), client->abort();
        QTRY_COMPARE(server.openConnections(), 0);
    }

    void repliesArePrintedAsPlainText()
    {
        // Nothing from the running copy may drive the terminal.
        // clang-format off
        const std::pair<QString, QString> cases[] = {
            {"unknown style \"6\"", "unknown style \"6\""}, {"\x1b]0;owned\x07\x1b[2J", "\\x1b]0;owned\\x07\\x1b[2J"},
            {QChar(0x9b) + QStringLiteral("31m"), "\\x9b31m"}, {"a\\x1b", "a\\\\x1b"},
            {QChar(0x202e) + QStringLiteral("txt.exe"), "\\u{202e}txt.exe"}, {"réglage", "réglage"}};
        // clang-format on
        for (const auto &[reply, printed] : cases)
            QCOMPARE(SingleInstance::printable(reply), printed);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
