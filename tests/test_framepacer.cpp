// Frame pacing on a clock the test sets: no delay for a move after a rest, one
// frame for a burst, never before its frame time, the last request always
// served, and nothing left running when requests stop.
#include "overlay/FramePacer.h"
#include "overlay/MouseTracker.h"
#include "platform/FakePlatform.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
constexpr qint64 ms = 1'000'000; // in the clock's nanoseconds
}

class TestFramePacer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void burstIsOneFrameAfterTheFirst()
    {
        qint64 now = 1000 * ms;
        int frames = 0;
        FramePacer pacer([&] { ++frames; }, [&] { return now; });
        pacer.setFrameRate(5); // 200 ms a frame
        pacer.request();
        QCOMPARE(frames, 1); // at once: the first move after a rest adds no latency
        now += 10 * ms;
        for (int i = 0; i < 20; ++i)
            pacer.request();
        QVERIFY(frames == 1 && pacer.isWaiting());
        QElapsedTimer waited;
        waited.start();
        QTRY_COMPARE_WITH_TIMEOUT(frames, 2, 5000); // the burst's one frame, at the frame time
        QVERIFY2(waited.elapsed() >= 190, "a merged frame ran before its frame time");
        QVERIFY(!pacer.isWaiting()); // idle: no timer left behind
        // The frame time counts from the frame that ran: one nanosecond short
        // of it a request waits, at it a request runs at once.
        now += 200 * ms - 1;
        pacer.request();
        QVERIFY(frames == 2 && pacer.isWaiting());
        pacer.cancel();
        QVERIFY(!pacer.isWaiting());
        now += 1;
        pacer.request();
        QVERIFY(frames == 3 && !pacer.isWaiting());
        // A rate the system cannot tell, or a nonsensical one, reads as 60 Hz.
        for (double hz : {0.0, qQNaN(), 1e300, -60.0}) {
            pacer.setFrameRate(hz);
            QCOMPARE(pacer.frameRate(), 60.0);
        }
    }

    // However many moves a burst has, the guide ends where the pointer ended,
    // and the position is read once per frame, not per move.
    void trackerEndsOnTheLastPosition()
    {
        qint64 now = 0;
        platform::FakePointer pointer;
        QList<QPointF> reported;
        MouseTracker tracker([&](double x, double y) { reported.append(QPointF(x, y)); }, pointer, nullptr,
                             [&] { return now; });
        tracker.setFrameRate(50);
        tracker.startTracking();
        for (int i = 0; i < 200; ++i)
            pointer.moveTo(QPointF(i, 2 * i));
        QTRY_COMPARE(reported, (QList<QPointF>{{0, 0}, {199, 398}}));
        QVERIFY(!tracker.pacer().isWaiting());
    }
};

QTEST_MAIN(TestFramePacer)
#include "test_framepacer.moc"
