// The magnifier on the fake platform: capture geometry, window placement, the
// pacing of captures (one in flight, latest position, stale pictures dropped),
// leaving itself out of its pictures, set-up failure and what it says then, and
// the view's drawing.

#include "magnifier/MagnifierWindow.h"
#include "platform/CaptureGeometry.h"
#include "platform/FakePlatform.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstdio>
#include <unistd.h>

using platform::FakeCapture;

namespace {

// A capture that may not be able to leave a window out of its pictures.
class ScriptedCapture : public FakeCapture
{
public:
    bool excludes = true;
    bool canExcludeWindows() const override { return excludes; }
};

// The fake platform as an X11 session or not, with a capture that can fail.
class ScriptedPlatform : public platform::FakePlatform
{
public:
    bool x11 = true;
    QString setupError;
    bool excludes = true;
    bool isX11() const override { return x11; }
    std::unique_ptr<platform::ScreenCapture> createScreenCapture() override
    {
        auto capture = std::make_unique<ScriptedCapture>();
        capture->setSetupError(setupError);
        capture->excludes = excludes;
        captures.append(capture.get());
        return capture;
    }
};

// Runs `body` and returns what it wrote to standard output.
template <typename F> QByteArray capturedStdout(F body)
{
    std::fflush(stdout);
    QTemporaryFile file;
    file.open();
    const int saved = dup(STDOUT_FILENO);
    dup2(file.handle(), STDOUT_FILENO);
    body();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

QImage solid(const QColor &color, const QSize &size = QSize(40, 20))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

QImage paintView(const MagnifierView &view, const QSize &canvasSize)
{
    QImage canvas(canvasSize, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    view.paint(painter, canvas.size());
    return canvas;
}

} // namespace

class TestMagnifier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<AppSettings>(m_dir->filePath(QStringLiteral("tovani.conf")));
        m_platform = std::make_unique<ScriptedPlatform>();
        m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1440, 900)});
        platform::Platform::setInstance(m_platform.get());
    }
    void cleanup()
    {
        platform::Platform::setInstance(nullptr);
        m_platform.reset();
        m_settings.reset();
    }

    // --- geometry ----------------------------------------------------------

    void captureRequest_data()
    {
        QTest::addColumn<QPointF>("center");
        QTest::addColumn<QSizeF>("display");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QRectF>("source"); // null: no request
        QTest::addColumn<QSize>("pixels");
        // Near an edge the area reaches past it; it is not moved inward.
        QTest::newRow("past the edge") << QPointF(20, 300) << QSizeF(200, 80) << 1.0 << QRectF(-80, 260, 200, 80)
                                       << QSize(400, 160);
        QTest::newRow("pixels truncated") << QPointF(0, 0) << QSizeF(100.7, 64.3) << 2.0
                                          << QRectF(-25.175, -16.075, 50.35, 32.15) << QSize(201, 128);
        // Odd geometry gives no request rather than a huge or invalid one.
        QTest::newRow("centre NaN") << QPointF(qQNaN(), 0) << QSizeF(400, 80) << 2.0 << QRectF() << QSize();
        QTest::newRow("too wide") << QPointF(0, 0) << QSizeF(1e9, 80) << 2.0 << QRectF() << QSize();
    }

    void captureRequest()
    {
        QFETCH(QPointF, center);
        QFETCH(QSizeF, display);
        QFETCH(double, zoom);
        QFETCH(QRectF, source);
        QFETCH(QSize, pixels);
        const auto request = ScreenCaptureEngine::captureRequest(center, display.width(), display.height(), zoom);
        QCOMPARE(request.has_value(), !source.isNull());
        if (request) {
            QCOMPARE(request->source, source);
            QCOMPARE(request->pixels, pixels);
        }
    }

    void sourceAreaOnTheDisplayUnderThePointer()
    {
        // Main display A (ratio 1) and, right of it with top edges aligned, B
        // at twice the density: 1280 x 1024 points, 2560 x 2048 pixels.
        platform::FakeDisplays &displays = m_platform->fakeDisplays;
        displays.setDisplays({platform::Display{QRectF(0, 0, 1440, 900), 1, QStringLiteral("A")},
                              platform::Display{QRectF(1440, 0, 1280, 1024), 2, QStringLiteral("B")}});
        const auto area = [&](double x) {
            return platform::sourceAreaInRootPixels(displays,
                                                    ScreenCaptureEngine::captureRequest({x, 450}, 576, 64, 2)->source);
        };
        QCOMPARE(area(700), std::optional<QRect>(QRect(556, 434, 288, 32)));
        // Qt's logical top-left of the area is (1856, 434); on B's pixel grid,
        // which starts at (1440, 0), that is 2 x (416, 434) further.
        QCOMPARE(area(2000), std::optional<QRect>(QRect(1440 + 832, 868, 576, 64)));
        // A centre just past every display belongs to the nearest one.
        QCOMPARE(area(2800)->size(), QSize(576, 64));
        displays.setDisplays({});
        QVERIFY(!area(700)); // no display, no area
    }

    void windowFrameAndRequestLeaveTheWindowOut()
    {
        // A second, wider display: the size still comes from the main one.
        m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1440, 900), QRectF(1440, 0, 2000, 900)});
        m_settings->setVerticalGuideMargin(20);
        m_settings->setCustomThickness(4);
        m_settings->setMagnifierZoom(2);
        MagnifierWindow window(*m_settings);
        // Until the pointer moves: at the main display's bottom-left corner.
        QCOMPARE(window.globalFrame(), QRectF(0, 800, 200, 100));
        FakeCapture *capture = setUp(window);
        QVERIFY(capture);

        window.updatePosition(700, 450);
        QCOMPARE(window.globalFrame(), QRectF(412, 418, 576, 64));
        QCOMPARE(capture->requests().size(), 1);
        const FakeCapture::Request r = capture->requests().first();
        QCOMPARE(r.outputPixels, QSize(1152, 128));
        QCOMPARE(r.source, QRectF(556, 434, 288, 32));
        // The magnifier lies over its own source area: it is left out.
        QVERIFY(window.winId() != 0);
        QCOMPARE(r.exclude, window.winId());

        window.updatePosition(2000, 400);
        QCOMPARE(window.globalFrame(), QRectF(2000 - 288, 400 - 32, 576, 64));

        // A position that is no number, or no display at all, moves nothing.
        const QRect before = window.geometry();
        window.updatePosition(qQNaN(), 400);
        m_platform->fakeDisplays.setDisplays({});
        window.updatePosition(100, 100);
        QCOMPARE(window.geometry(), before);
    }

    // --- pacing --------------------------------------------------------------

    void oneCaptureInFlightLatestPositionNext()
    {
        MagnifierWindow window(*m_settings);
        FakeCapture *capture = setUp(window);
        QVERIFY(capture);

        // A burst like a 1000 Hz mouse: one capture starts, the rest wait as
        // one remembered position.
        for (int i = 0; i < 1000; ++i)
            window.updatePosition(100 + i * 0.5, 400);
        QCOMPARE(capture->requests().size(), 1);
        QCOMPARE(capture->requests()[0].source.center(), QPointF(100, 400));
        QVERIFY(std::abs(window.globalFrame().center().x() - (100 + 999 * 0.5)) <= 0.5);

        capture->finish(capture->requests()[0].id, solid(Qt::red));
        QCOMPARE(window.view().capturedImage.pixelColor(0, 0), QColor(Qt::red));
        // The last position is captured next, and only it.
        QCOMPARE(capture->requests().size(), 2);
        QCOMPARE(capture->requests()[1].source.center(), QPointF(100 + 999 * 0.5, 400));

        // The zoom is read when the capture starts.
        m_settings->setMagnifierZoom(2.5);
        window.updatePosition(300, 400);
        capture->finish(capture->requests()[1].id, solid(Qt::green));
        QCOMPARE(capture->requests().size(), 3);
        QCOMPARE(capture->requests()[2].source.width(), window.globalFrame().width() / 2.5);

        // No refresh while the pointer rests.
        capture->finish(capture->requests()[2].id, solid(Qt::blue));
        QTest::qWait(50);
        QCOMPARE(capture->requests().size(), 3);
        QVERIFY(!window.isCaptureInFlight());

        // A failed capture keeps the last picture and frees the slot.
        window.updatePosition(320, 400);
        capture->finish(capture->requests()[3].id, QImage());
        QCOMPARE(window.view().capturedImage.pixelColor(0, 0), QColor(Qt::blue));
        QVERIFY(!window.isCaptureInFlight());
        window.updatePosition(330, 400);
        QCOMPARE(capture->requests().size(), 5);
    }

    void stalePictureNeverReplacesANewerOne()
    {
        MagnifierWindow window(*m_settings);
        FakeCapture *capture = setUp(window);
        QVERIFY(capture);

        window.updatePosition(100, 400); // capture 1, never answered in time
        window.updatePosition(200, 400); // waits
        QCOMPARE(capture->requests().size(), 1);
        // After the time-out the waiting position is captured.
        QTRY_COMPARE_WITH_TIMEOUT(capture->requests().size(), 2, MagnifierWindow::captureTimeoutMs * 3);
        const quint64 first = capture->requests()[0].id;
        const quint64 second = capture->requests()[1].id;
        QVERIFY(second > first);

        capture->finish(second, solid(Qt::green));
        capture->finish(first, solid(Qt::red)); // late and older: dropped
        QCOMPARE(window.view().capturedImage.pixelColor(0, 0), QColor(Qt::green));

        // The other order: an older picture that arrives first is shown until
        // the newer one replaces it.
        window.updatePosition(300, 400); // capture 3
        window.updatePosition(310, 400);
        QTRY_COMPARE_WITH_TIMEOUT(capture->requests().size(), 4, MagnifierWindow::captureTimeoutMs * 3);
        capture->finish(capture->requests()[2].id, solid(Qt::red));
        QCOMPARE(window.view().capturedImage.pixelColor(0, 0), QColor(Qt::red));
        capture->finish(capture->requests()[3].id, solid(Qt::blue));
        QCOMPARE(window.view().capturedImage.pixelColor(0, 0), QColor(Qt::blue));
        // A result for an id never asked for changes nothing.
        capture->finish(9999, solid(Qt::yellow));
        QCOMPARE(window.view().capturedImage.pixelColor(0, 0), QColor(Qt::blue));
    }

    // --- when no picture can be taken ------------------------------------------

    void setupFailure_data()
    {
        QTest::addColumn<bool>("x11");
        QTest::addColumn<QString>("setupError");
        QTest::addColumn<bool>("excludes");
        QTest::addColumn<QString>("caption"); // empty: capture works
        QTest::addColumn<QByteArray>("report");
        QTest::newRow("works") << true << QString() << true << QString() << QByteArray();
        QTest::newRow("no X11 session") << false << QStringLiteral("no X11 here") << true
                                        << MagnifierView::needsX11Text()
                                        << QByteArray("Failed to setup screen capture: no X11 here\n");
        QTest::newRow("X server refuses") << true << QStringLiteral("denied by the test") << true
                                          << MagnifierView::unavailableText()
                                          << QByteArray("Failed to setup screen capture: denied by the test\n");
        // A capture that cannot leave the magnifier out would show the
        // magnifier inside itself, again and again.
        QTest::newRow("would show itself")
            << true << QString() << false << MagnifierView::unavailableText()
            << QByteArray("Failed to setup screen capture: the display server cannot leave the magnifier out of "
                          "its screenshots\n");
    }

    void setupFailure()
    {
        QFETCH(bool, x11);
        QFETCH(QString, setupError);
        QFETCH(bool, excludes);
        QFETCH(QString, caption);
        QFETCH(QByteArray, report);
        m_platform->x11 = x11;
        m_platform->setupError = setupError;
        m_platform->excludes = excludes;
        // What the preferences tell, before any magnifier runs.
        QCOMPARE(MagnifierWindow::captureProblem(*m_platform), caption);

        MagnifierWindow window(*m_settings);
        const int before = m_platform->captures.size();
        window.setupAsMagnifier();
        QVERIFY(window.view().placeholder.isEmpty()); // nothing said while the first picture comes
        window.updatePosition(400, 400);              // before the engine exists: moves only the window
        QCOMPARE(window.globalFrame().center(), QPointF(400, 400));
        const QByteArray out = capturedStdout([&] {
            QTRY_COMPARE(m_platform->captures.size(), before + 1);
            QCOMPARE(m_platform->captures.last()->requests().size(), 0);
            for (int i = 0; i < 10; ++i)
                window.updatePosition(500 + i, 400);
        });
        QCOMPARE(out, report); // once, however often it is asked
        QCOMPARE(m_platform->captures.last()->requests().size(), caption.isEmpty() ? 1 : 0);
        QCOMPARE(window.view().placeholder, caption);
        // The window still follows the pointer.
        QCOMPARE(window.globalFrame().center(), QPointF(509, 400));
    }

    // --- drawing ---------------------------------------------------------------

    void viewDrawsPictureClippedAndFramed()
    {
        m_settings->setCurrentColor(CodableColor{0, 1, 0, 1});
        const QImage canvas =
            paintView(MagnifierView(solid(Qt::blue, QSize(400, 120)), 200, 60, *m_settings), QSize(300, 100));
        // Content 200 x 60 centred, (50, 20) to (250, 80), framed 2 points
        // inside its edge in the guide colour, with rounded corners.
        const QList<std::pair<QPoint, QColor>> expected{
            {{150, 50}, Qt::blue},  {{49, 50}, Qt::transparent},  {{150, 19}, Qt::transparent},
            {{50, 50}, Qt::green},  {{51, 50}, Qt::green},        {{52, 50}, Qt::blue},
            {{150, 79}, Qt::green}, {{50, 20}, Qt::transparent}, {{249, 79}, Qt::transparent}};
        for (const auto &[point, color] : expected)
            QVERIFY2(canvas.pixel(point) == color.rgba(), qPrintable(QStringLiteral("%1,%2").arg(point.x()).arg(point.y())));
    }

    void viewPlaceholderShowsOnlyItsCaption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("waiting") << QString();
        QTest::newRow("unavailable") << MagnifierView::unavailableText();
    }

    void viewPlaceholderShowsOnlyItsCaption()
    {
        QFETCH(QString, caption);
        const QImage canvas = paintView(MagnifierView(QImage(), 200, 60, *m_settings, caption), QSize(200, 60));
        // A dark panel, black at 50 %.
        QCOMPARE(canvas.pixelColor(10, 10), QColor(0, 0, 0, 128));
        int light = 0;
        for (int y = 20; y < 40; ++y)
            for (int x = 20; x < 180; ++x)
                light += canvas.pixelColor(x, y).lightness() > 150;
        QCOMPARE(light > 20, !caption.isEmpty());
    }

    void windowRedrawsWhenTheColourChanges()
    {
        MagnifierWindow window(*m_settings);
        window.setupAsMagnifier();
        window.resize(200, 60);
        m_settings->setCurrentColor(CodableColor{0, 0, 1, 1});
        QCOMPARE(window.grab().toImage().pixelColor(100, 0), QColor(Qt::blue));
        m_settings->setCurrentColor(CodableColor{1, 1, 0, 1});
        QCOMPARE(window.grab().toImage().pixelColor(100, 0), QColor(Qt::yellow));
        QVERIFY(window.windowFlags().testFlag(Qt::WindowTransparentForInput));
    }

private:
    FakeCapture *setUp(MagnifierWindow &window)
    {
        window.setupAsMagnifier();
        const int before = m_platform->captures.size();
        if (!QTest::qWaitFor([&] { return m_platform->captures.size() > before; }))
            return nullptr;
        return m_platform->captures.last();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<ScriptedPlatform> m_platform;
};

QTEST_MAIN(TestMagnifier)
#include "test_magnifier.moc"
