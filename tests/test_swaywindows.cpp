// sway's tree, as its IPC socket gives it, into windows: the view's frame and
// where its surface begins, floating views above tiled ones, the focused
// one; and trees a broken or hostile peer might send, which give no window
// and never a crash. Then the socket itself, against a fake sway: replies
// split anywhere, headers that lie, and the tree asked again once it is old.

#include "platform/sway/SwayWindows.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using platform::CompositorWindows;

namespace {

// A workspace with two tiled views side by side (the left one focused) and
// a floating one over both, and a view on a hidden workspace.
const char *const kTree = R"({"id":1,"type":"root","rect":{"x":0,"y":0,"width":1920,"height":1080},"nodes":[
 {"id":3,"type":"output","nodes":[{"id":4,"type":"workspace","nodes":[
   {"id":10,"type":"con","pid":100,"visible":true,"focused":true,
    "rect":{"x":0,"y":0,"width":960,"height":1080},"window_rect":{"x":2,"y":26,"width":956,"height":1052}},
   {"id":11,"type":"con","pid":101,"visible":true,"focused":false,
    "rect":{"x":960,"y":0,"width":960,"height":1080},"window_rect":{"x":2,"y":26,"width":956,"height":1052}}],
  "floating_nodes":[
   {"id":12,"type":"floating_con","pid":102,"visible":true,
    "rect":{"x":800,"y":300,"width":400,"height":300},"window_rect":{"x":0,"y":0,"width":400,"height":300}}]},
  {"id":5,"type":"workspace","nodes":[
   {"id":13,"type":"con","pid":103,"visible":false,
    "rect":{"x":0,"y":0,"width":1920,"height":1080},"window_rect":{"x":0,"y":0,"width":1920,"height":1080}}]}]}]})";

} // namespace

class TestSwayWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tree_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<qint64>("pid"); // under the point; 0: none
        QTest::addColumn<QPointF>("origin");
        const QByteArray tree(kTree);
        const auto broken = [&](const char *name, const QByteArray &json) {
            QTest::newRow(name) << json << QPointF(100, 100) << qint64(0) << QPointF();
        };
        // clang-format off
        QTest::newRow("tiled, below its title bar") << tree << QPointF(100, 100) << qint64(100) << QPointF(2, 26);
        QTest::newRow("the other tiled one") << tree << QPointF(1500, 100) << qint64(101) << QPointF(962, 26);
        QTest::newRow("floating above tiled") << tree << QPointF(900, 400) << qint64(102) << QPointF(800, 300);
        broken("not JSON", tree.left(300));
        broken("pid a string", QByteArray(tree).replace("\"pid\":100", "\"pid\":\"100\""));
        broken("rect an array", QByteArray(tree).replace(R"("rect":{"x":0,"y":0,"width":960,"height":1080})", R"("rect":[0,0,960,1080])"));
        broken("nodes an object", R"({"nodes":{"pid":1},"floating_nodes":7})");
        broken("a huge coordinate", QByteArray(tree).replace(R"("width":960,"height":1080},"window_rect")", R"("width":1e300,"height":1080},"window_rect")"));
        // clang-format on
    }
    void tree()
    {
        QFETCH(QByteArray, json);
        QFETCH(QPointF, point);
        QFETCH(qint64, pid);
        QFETCH(QPointF, origin);
        CompositorWindows windows;
        windows.setWindows(platform::sway::parseTree(json));
        const std::optional<platform::WindowAtPoint> w = windows.windowAt(point);
        QCOMPARE(w ? w->pid : 0, pid);
        if (w) {
            QCOMPARE(w->origin, origin);
            QCOMPARE(w->toNative(point + QPointF(5, 5)), point + QPointF(5, 5) - origin);
        }
        const std::optional<platform::WindowAtPoint> focused = windows.focusedWindow();
        QCOMPARE(focused ? focused->pid : 0, json == kTree ? 100 : 0);
    }

    void socket_data()
    {
        QTest::addColumn<QByteArray>("header"); // before the tree's bytes
        QTest::addColumn<int>("cut");           // the reply goes in two writes, cut here
        QTest::addColumn<int>("windows");
        const QByteArray tree(kTree);
        QTest::newRow("whole") << message(4, tree.size()) << 0 << 3;
        QTest::newRow("cut in the header") << message(4, tree.size()) << 9 << 3;
        QTest::newRow("cut in the tree") << message(4, tree.size()) << 500 << 3;
        QTest::newRow("a length of 4 GiB") << message(4, 0xffffffffu) << 0 << 0;
        QTest::newRow("not i3-ipc") << message(4, tree.size()).replace("i3-ipc", "i3-ipd") << 0 << 0;
    }
    void socket()
    {
        QFETCH(QByteArray, header);
        QFETCH(int, cut);
        QFETCH(int, windows);
        QTemporaryDir dir;
        QLocalServer server;
        QVERIFY(server.listen(dir.filePath(QStringLiteral("sway.sock"))));
        qputenv("SWAYSOCK", server.fullServerName().toUtf8());
        auto known = std::make_shared<CompositorWindows>();
        std::unique_ptr<QObject> connection = platform::sway::connectWindows(known);
        QVERIFY(server.waitForNewConnection(2000));
        QLocalSocket *sway = server.nextPendingConnection();
        m_read.clear();
        m_requests.clear();
        QTRY_VERIFY(requests(sway).contains(4)); // subscribed, then asked for the tree
        m_requests.clear();
        const QByteArray reply = header + QByteArray(kTree);
        sway->write(reply.left(cut ? cut : reply.size()));
        sway->flush();
        if (cut) {
            QTest::qWait(50);
            sway->write(reply.mid(cut));
        }
        if (windows == 0) { // dropped: the connection is closed
            QTRY_COMPARE(sway->state(), QLocalSocket::UnconnectedState);
            QCOMPARE(known->windows().size(), 0);
            return;
        }
        QTRY_COMPARE(known->windows().size(), windows);
        // No window events, half a second: the next question asks again.
        QVERIFY(known->windowAt(QPointF(1, 1)));
        QTest::qWait(100);
        QVERIFY(requests(sway).isEmpty());
        QTest::qWait(500);
        known->windowAt(QPointF(1, 1));
        known->focusedWindow(); // one question out at a time
        QTRY_COMPARE(requests(sway), QList<quint32>{4});
    }

private:
    static QByteArray message(quint32 type, quint32 length)
    {
        QByteArray m("i3-ipc");
        m.resize(14);
        qToLittleEndian<quint32>(length, m.data() + 6);
        qToLittleEndian<quint32>(type, m.data() + 10);
        return m;
    }
    // The types of the requests that came so far (QTRY_ evaluates it again
    // and again: it only adds).
    QList<quint32> requests(QLocalSocket *sway)
    {
        m_read += sway->readAll();
        while (m_read.size() >= 14) {
            const quint32 length = qFromLittleEndian<quint32>(m_read.constData() + 6);
            if (quint32(m_read.size()) < 14 + length) break;
            m_requests.append(qFromLittleEndian<quint32>(m_read.constData() + 10));
            m_read.remove(0, 14 + length);
        }
        return m_requests;
    }
    QList<quint32> m_requests;
    QByteArray m_read;
};

QTEST_GUILESS_MAIN(TestSwayWindows)
#include "test_swaywindows.moc"
