// sway's tree, as its IPC socket gives it, into windows: the view's frame and
// where its surface begins, floating views above tiled ones, the focused
// one; and trees a broken or hostile peer might send, which give no window
// and never a crash.

#include "platform/sway/SwayWindows.h"

#include <QTest>

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
        QTest::newRow("tiled, below its title bar") << QByteArray(kTree) << QPointF(100, 100) << qint64(100) << QPointF(2, 26);
        QTest::newRow("the other tiled one") << QByteArray(kTree) << QPointF(1500, 100) << qint64(101) << QPointF(962, 26);
        QTest::newRow("floating above tiled") << QByteArray(kTree) << QPointF(900, 400) << qint64(102) << QPointF(800, 300);
        const QByteArray tree(kTree);
        QTest::newRow("not JSON") << tree.left(300) << QPointF(100, 100) << qint64(0) << QPointF();
        QTest::newRow("pid a string") << QByteArray(tree).replace("\"pid\":100", "\"pid\":\"100\"")
                                      << QPointF(100, 100) << qint64(0) << QPointF();
        QTest::newRow("rect an array") << QByteArray(tree).replace(R"("rect":{"x":0,"y":0,"width":960,"height":1080})", R"("rect":[0,0,960,1080])")
                                       << QPointF(100, 100) << qint64(0) << QPointF();
        QTest::newRow("nodes an object") << QByteArray(R"({"nodes":{"pid":1},"floating_nodes":7})") << QPointF(1, 1)
                                         << qint64(0) << QPointF();
        QTest::newRow("a huge coordinate") << QByteArray(tree).replace(R"("width":960,"height":1080},"window_rect")", R"("width":1e300,"height":1080},"window_rect")")
                                           << QPointF(100, 100) << qint64(0) << QPointF();
        QTest::newRow("nested past any real tree") << QByteArray("{\"nodes\":[").repeated(500) + QByteArray("]}").repeated(500)
                                                   << QPointF(1, 1) << qint64(0) << QPointF();
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
};

QTEST_GUILESS_MAIN(TestSwayWindows)
#include "test_swaywindows.moc"
