// The magnifier on the fake platform: the source rectangle, the pacing of
// captures (one in flight, latest position next, stale pictures dropped), and
// set-up failure and what it says then. (Its size and place, leaving itself
// out of its pictures, clicks through it and the picture it draws:
// tests/x11/test_app_magnifier.sh.)

#include "magnifier/MagnifierWindow.h"
#include "platform/x11/CaptureGeometry.h"
#include "platform/FakePlatform.h"

#include <QtTest>

using platform::FakeCapture;

namespace {

QImage solid(const QColor &color)
{
    QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

} // namespace

class TestMagnifier : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    AppSettings m_settings{m_dir.filePath(QStringLiteral("tovani.conf"))};
    std::unique_ptr<platform::FakePlatform> m_platform;

    static QColor shown(const MagnifierWindow &window) { return window.view().capturedImage.pixelColor(0, 0); }
    // Sets the window up; its capture engine, once made.
    FakeCapture *setUp(MagnifierWindow &window)
    {
        window.setupAsMagnifier();
        return QTest::qWaitFor([this] { return !m_platform->captures.isEmpty(); }) ? m_platform->captures.last() : nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_settings.resetToDefaults();
        m_platform = std::make_unique<platform::FakePlatform>();
        m_platform->x11 = true;
        m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1440, 900)});
    }

    void sourceRectangle()
    {
        // The window's size divided by the zoom, centred on the pointer, at
        // twice the window's size in pixels (truncated). Near an edge it
        // reaches past it rather than moving inward; odd geometry gives no
        // request rather than a huge or invalid one.
        // (A null source: no request.)
        const struct { const char *name; QPointF center; double width, height, zoom; QRectF source; QSize pixels; } rows[] = {
            {"worked example", {700, 450}, 576, 64, 2, {556, 434, 288, 32}, {1152, 128}},
            {"past the edge", {20, 300}, 200, 80, 1, {-80, 260, 200, 80}, {400, 160}},
            {"pixels truncated", {0, 0}, 100.7, 64.3, 2, {-25.175, -16.075, 50.35, 32.15}, {201, 128}},
            {"centre NaN", {qQNaN(), 0}, 400, 80, 2, {}, {}},
            {"too wide", {0, 0}, 1e9, 80, 2, {}, {}},
        };
        for (const auto &r : rows) {
            const auto request = ScreenCaptureEngine::captureRequest(r.center, r.width, r.height, r.zoom);
            QVERIFY2(request ? request->source == r.source && request->pixels == r.pixels : r.source.isNull(), r.name);
        }

        // On the display under the centre, in its own pixels: A (ratio 1) and,
        // right of it, B at twice the density (1280 x 1024 points from
        // x = 1440). B's grid starts at its native corner (1440, 0), so the
        // logical (1856, 434) is 1440 + 2 x 416, 2 x 434. (The source of the
        // worked example, centred on (x, 450).)
        platform::FakeDisplays &displays = m_platform->fakeDisplays;
        displays.setDisplays({platform::Display{QRectF(0, 0, 1440, 900), 1, QStringLiteral("A")},
                              platform::Display{QRectF(1440, 0, 1280, 1024), 2, QStringLiteral("B")}});
        const auto area = [&](double x) { return platform::sourceAreaInRootPixels(displays, {x - 144, 434, 288, 32}); };
        QCOMPARE(area(700), std::optional<QRect>(QRect(556, 434, 288, 32)));
        QCOMPARE(area(2000), std::optional<QRect>(QRect(1440 + 832, 868, 576, 64)));
        displays.setDisplays({});
        QVERIFY(!area(700));
    }

    void followsThePointerOneCaptureAtATime()
    {
        // A second, wider display: the size still comes from the main one.
        m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1440, 900), QRectF(1440, 0, 2000, 900)});
        m_settings.setVerticalGuideMargin(20);
        m_settings.setCustomThickness(4);
        m_settings.setMagnifierZoom(2);
        MagnifierWindow window(*m_platform, m_settings);
        FakeCapture *capture = setUp(window);
        QVERIFY(capture);
        window.updatePosition(700, 450);
        QCOMPARE(capture->requests().size(), 1);
        const FakeCapture::Request r = capture->requests().first();
        QVERIFY(r.outputPixels == QSize(1152, 128) && r.source == QRectF(556, 434, 288, 32));
        // A burst like a 1000 Hz mouse: the window follows each move, the
        // capture waits for the running one, then takes the latest position.
        for (int i = 0; i < 1000; ++i)
            window.updatePosition(1500 + i, 400);
        QCOMPARE(window.globalFrame(), QRectF(2499 - 288, 400 - 32, 576, 64));
        QCOMPARE(capture->requests().size(), 1);
        m_settings.setMagnifierZoom(2.5); // read as each capture starts
        capture->finish(r.id, solid(Qt::red));
        QCOMPARE(shown(window), QColor(Qt::red));
        QCOMPARE(capture->requests().size(), 2);
        const QRectF next = capture->requests()[1].source;
        QVERIFY(next.center() == QPointF(2499, 400) && next.width() == 576 / 2.5);
        capture->finish(capture->requests()[1].id, solid(Qt::blue));
        // A failed capture keeps the last picture and frees the slot.
        window.updatePosition(320, 400);
        capture->finish(capture->requests()[2].id, QImage());
        QCOMPARE(shown(window), QColor(Qt::blue));
        QVERIFY(!window.isCaptureInFlight());
        window.updatePosition(330, 400);
        QCOMPARE(capture->requests().size(), 4);
    }

    // Captures never answered in time: after the time-out the waiting
    // position is captured. A late answer shows only if nothing newer has.
    void lateCaptures()
    {
        MagnifierWindow window(*m_platform, m_settings);
        FakeCapture *capture = setUp(window);
        QVERIFY(capture);
        window.updatePosition(330, 400);
        const auto timedOut = [&](double x) {
            window.updatePosition(x, 400);
            window.updatePosition(x + 10, 400);
            const qsizetype next = capture->requests().size() + 1;
            QTRY_COMPARE_WITH_TIMEOUT(capture->requests().size(), next, MagnifierWindow::captureTimeoutMs * 3);
        };
        timedOut(340);
        capture->finish(capture->requests()[1].id, solid(Qt::green));
        capture->finish(capture->requests()[0].id, solid(Qt::red)); // older: dropped
        QCOMPARE(shown(window), QColor(Qt::green));
        timedOut(400);
        capture->finish(capture->requests()[2].id, solid(Qt::red)); // older, but nothing newer yet
        QCOMPARE(shown(window), QColor(Qt::red));
        capture->finish(capture->requests()[3].id, solid(Qt::blue));
        QCOMPARE(shown(window), QColor(Qt::blue));
        capture->finish(9999, solid(Qt::yellow)); // never asked for
        QCOMPARE(shown(window), QColor(Qt::blue));
        // A position that is no number, or no display at all, moves nothing.
        const QRect before = window.geometry();
        window.updatePosition(qQNaN(), 400);
        m_platform->fakeDisplays.setDisplays({});
        window.updatePosition(100, 100);
        QCOMPARE(window.geometry(), before);
    }

    // What the preferences say before any magnifier runs, and the
    // placeholder's caption (empty: capture works).
    void setupFailureIsToldTruthfully_data()
    {
        QTest::addColumn<bool>("x11");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("excludes");
        QTest::addColumn<QString>("caption");
        QTest::newRow("capture works") << true << "" << true << QString();
        QTest::newRow("not X11") << false << "no X11 here" << true << MagnifierView::needsX11Text();
        QTest::newRow("set-up refused") << true << "denied by the test" << true << MagnifierView::unavailableText();
        // Else it would show the magnifier inside itself, again and again.
        QTest::newRow("cannot leave itself out") << true << "" << false << MagnifierView::unavailableText();
    }

    void setupFailureIsToldTruthfully()
    {
        QFETCH(QString, caption);
        QFETCH(bool, x11);
        QFETCH(QString, error);
        QFETCH(bool, excludes);
        std::tie(m_platform->x11, m_platform->captureError, m_platform->captureExcludes) = std::tie(x11, error, excludes);
        QCOMPARE(MagnifierWindow::captureProblem(*m_platform), caption);
        MagnifierWindow window(*m_platform, m_settings);
        const qsizetype before = m_platform->captures.size();
        window.setupAsMagnifier();
        QVERIFY(window.view().placeholder.isEmpty()); // nothing said while the first picture comes
        window.updatePosition(400, 400);              // before the engine exists: moves the window only
        QCOMPARE(window.globalFrame().center(), QPointF(400, 400));
        QTRY_COMPARE(m_platform->captures.size(), before + 1);
        window.updatePosition(509, 400);
        QCOMPARE(m_platform->captures.last()->requests().size(), caption.isEmpty() ? 1 : 0);
        QCOMPARE(window.view().placeholder, caption);
        QCOMPARE(window.globalFrame().center(), QPointF(509, 400)); // still on the pointer
        window.showAt(509, 400);
        QCOMPARE(window.isVisible(), caption.isEmpty()); // no box that only says why not
    }
};

QTEST_MAIN(TestMagnifier)
#include "test_magnifier.moc"
