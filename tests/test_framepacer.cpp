// Frame pacing: no delay for a move after a rest, one frame for a burst, the
// last request always served, and nothing left running when requests stop.
#include "overlay/FramePacer.h"
#include "overlay/MouseTracker.h"
#include "platform/FakePlatform.h"

#include <QElapsedTimer>
#include <QTest>

class TestFramePacer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void burstIsOneFrameAfterTheFirst()
    {
        int frames = 0;
        FramePacer pacer([&] { ++frames; });
        pacer.setFrameRate(5); // 200 ms: wide enough that the burst below fits in it
        QElapsedTimer clock;
        clock.start();

        pacer.request();
        QCOMPARE(frames, 1); // at once: the first move after a rest adds no latency
        QVERIFY(!pacer.isWaiting());
        for (int i = 0; i < 20; ++i)
            pacer.request();
        QCOMPARE(frames, 1);
        QVERIFY(pacer.isWaiting());
        QTRY_COMPARE_WITH_TIMEOUT(frames, 2, 2000); // the burst's one frame
        QVERIFY2(clock.elapsed() >= 190, "a merged frame ran before its frame time");
        QVERIFY(!pacer.isWaiting()); // idle: no timer left behind
        QTest::qWait(300);
        QCOMPARE(frames, 2);

        pacer.request(); // after a rest: at once again
        QCOMPARE(frames, 3);
        pacer.request();
        pacer.cancel();
        QTest::qWait(300);
        QCOMPARE(frames, 3);
        // A rate the system cannot tell, or a nonsensical one, reads as 60 Hz.
        for (double hz : {0.0, qQNaN(), 1e300, -60.0}) {
            pacer.setFrameRate(hz);
            QCOMPARE(pacer.frameRate(), 60.0);
        }
    }

    // However the moves of a burst fall into frames, the guide ends where the
    // pointer ended, and the position is read once per frame, not per move.
    void trackerEndsOnTheLastPosition()
    {
        platform::FakePointer pointer;
        QList<QPointF> reported;
        MouseTracker tracker([&](double x, double y) { reported.append(QPointF(x, y)); }, pointer);
        tracker.setFrameRate(50);
        tracker.startTracking();
        for (int i = 0; i < 200; ++i) {
            pointer.moveTo(QPointF(i, 2 * i));
            if (i % 50 == 0)
                QTest::qWait(5);
        }
        QTRY_COMPARE(reported.value(reported.size() - 1), QPointF(199, 398));
        QVERIFY2(reported.size() < 20, qPrintable(QString::number(reported.size())));
        QTest::qWait(100);
        QCOMPARE(reported.last(), QPointF(199, 398));
        QVERIFY(!tracker.pacer().isWaiting());
    }
};

QTEST_MAIN(TestFramePacer)
#include "test_framepacer.moc"
