// The magnifier on the fake platform: capture geometry, window placement and
// size, the pacing of captures (one in flight, latest position, stale pictures
// dropped), set-up failure, and the view's drawing.

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

// Hands out engines whose set-up fails with the given reason.
class RefusingPlatform : public platform::FakePlatform
{
public:
    std::unique_ptr<platform::ScreenCapture> createScreenCapture() override
    {
        auto capture = std::make_unique<FakeCapture>();
        capture->setSetupError(QStringLiteral("permission denied by the test"));
        captures.append(capture.get());
        return capture;
    }
};

// A capture that cannot leave a window out of its pictures.
class NonExcludingCapture : public FakeCapture
{
public:
    bool canExcludeWindows() const override { return false; }
};

class NonExcludingPlatform : public platform::FakePlatform
{
public:
    std::unique_ptr<platform::ScreenCapture> createScreenCapture() override
    {
        auto capture = std::make_unique<NonExcludingCapture>();
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

} // namespace

class TestMagnifier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<AppSettings>(m_dir->filePath(QStringLiteral("tovani.conf")));
        m_platform = std::make_unique<platform::FakePlatform>();
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

    void captureRequestWorkedExample()
    {
        const auto request = ScreenCaptureEngine::captureRequest(QPointF(500, 300), 400, 80, 2);
        QVERIFY(request);
        QCOMPARE(request->pixels, QSize(800, 160));
        QCOMPARE(request->source, QRectF(400, 280, 200, 40));

        // On a main display 900 points high that area starts 580 points below
        // the display's top edge; in root pixels at ratio 1 that is (400, 580).
        m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1440, 900)});
        QCOMPARE(platform::sourceAreaInRootPixels(m_platform->fakeDisplays, request->source),
                 std::optional<QRect>(QRect(400, 580, 200, 40)));
    }

    void captureRequestEdges()
    {
        // Zoom 1: the area is as large as the picture, only resampled.
        auto request = ScreenCaptureEngine::captureRequest(QPointF(500, 300), 400, 80, 1);
        QCOMPARE(request->source.size(), QSizeF(400, 80));
        QCOMPARE(request->pixels, QSize(800, 160));
        // Near an edge the area reaches past it; it is not moved inward.
        request = ScreenCaptureEngine::captureRequest(QPointF(20, 300), 200, 80, 1);
        QCOMPARE(request->source.x(), -80.0);
        // Pixel sizes are truncated.
        request = ScreenCaptureEngine::captureRequest(QPointF(0, 0), 100.7, 64.3, 2);
        QCOMPARE(request->pixels, QSize(201, 128));
        // Damaged values give no request rather than a huge or invalid one.
        for (double zoom : {0.0, -1.0, qQNaN(), qInf()})
            QVERIFY(!ScreenCaptureEngine::captureRequest(QPointF(0, 0), 400, 80, zoom));
        QVERIFY(!ScreenCaptureEngine::captureRequest(QPointF(qQNaN(), 0), 400, 80, 2));
        QVERIFY(!ScreenCaptureEngine::captureRequest(QPointF(0, 0), 1e9, 80, 2));
        QVERIFY(!ScreenCaptureEngine::captureRequest(QPointF(0, 0), 0, 80, 2));
    }

    void sourceAreaOnTheDisplayUnderThePointer()
    {
        // A second display right of the main one, top edges aligned, at twice
        // the pixel density: 1280 x 1024 points, 2560 x 2048 pixels at x 1440.
        m_platform->fakeDisplays.setDisplays(
            {platform::Display{QRectF(0, 0, 1440, 900), 1, QStringLiteral("A")},
             platform::Display{QRectF(1440, -124, 1280, 1024), 2, QStringLiteral("B")}});
        const auto request = ScreenCaptureEngine::captureRequest(QPointF(2000, 450), 576, 64, 2);
        // Qt's logical top-left of the area is (1856, 434); on B's pixel grid,
        // which starts at (1440, 0), that is 2 x (416, 434) further.
        QCOMPARE(platform::sourceAreaInRootPixels(m_platform->fakeDisplays, request->source),
                 std::optional<QRect>(QRect(1440 + 832, 868, 576, 64)));
        // On the main display the same arithmetic stays at ratio 1.
        const auto onMain = ScreenCaptureEngine::captureRequest(QPointF(700, 450), 576, 64, 2);
        QCOMPARE(platform::sourceAreaInRootPixels(m_platform->fakeDisplays, onMain->source),
                 std::optional<QRect>(QRect(556, 434, 288, 32)));
        // A centre just past every display belongs to the nearest one.
        const auto outside = ScreenCaptureEngine::captureRequest(QPointF(2800, 450), 576, 64, 2);
        QCOMPARE(platform::sourceAreaInRootPixels(m_platform->fakeDisplays, outside->source)->size(),
                 QSize(576, 64));
        // No display, no area.
        m_platform->fakeDisplays.setDisplays({});
        QVERIFY(!platform::sourceAreaInRootPixels(m_platform->fakeDisplays, onMain->source));
    }

    void windowFrameAndRequestWorkedExample()
    {
        m_settings->setVerticalGuideMargin(20);
        m_settings->setCustomThickness(4);
        m_settings->setMagnifierZoom(2);
        MagnifierWindow window(*m_settings);
        FakeCapture *capture = setUp(window);
        QVERIFY(capture);

        window.updatePosition(700, 450);
        QCOMPARE(window.globalFrame(), QRectF(412, 418, 576, 64));
        QCOMPARE(window.currentPosition(), QPointF(700, 450));
        QCOMPARE(capture->requests().size(), 1);
        const FakeCapture::Request r = capture->requests().first();
        QCOMPARE(r.outputPixels, QSize(1152, 128));
        QCOMPARE(r.source, QRectF(556, 434, 288, 32));
        QCOMPARE(r.exclude, window.winId());
        QVERIFY(window.winId() != 0);
    }

    void widthRuleAndMainDisplayWidth()
    {
        m_platform->fakeDisplays.setFrames({QRectF(0, 0, 1000, 800), QRectF(1000, 0, 2000, 800)});
        MagnifierWindow window(*m_settings);
        FakeCapture *capture = setUp(window);
        QVERIFY(capture);
        m_settings->setCustomThickness(4);

        // 2 x 1000 x 1 / 100 = 20 points wide.
        m_settings->setVerticalGuideMargin(1);
        window.updatePosition(500, 400);
        QCOMPARE(window.globalFrame().width(), 20.0);
        QCOMPARE(capture->requests().size(), 1);

        // The size comes from the main display even on the wider one.
        m_settings->setVerticalGuideMargin(20);
        window.updatePosition(2000, 400);
        QCOMPARE(window.globalFrame(), QRectF(2000 - 200, 400 - 32, 400, 64));

        // A position that is no number moves nothing.
        const QRect before = window.geometry();
        window.updatePosition(qQNaN(), 400);
        QCOMPARE(window.geometry(), before);

        // No display at all: nothing happens.
        m_settings->setCustomThickness(4);
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

    void captureBeforeSetupIsIgnored()
    {
        MagnifierWindow window(*m_settings);
        window.setupAsMagnifier();
        window.updatePosition(500, 400); // engine not created yet
        QCOMPARE(m_platform->captures.size(), 0);
        QTRY_COMPARE(m_platform->captures.size(), 1);
        QCOMPARE(m_platform->captures[0]->requests().size(), 0);
        QCOMPARE(window.globalFrame().center(), QPointF(500, 400));
    }

    void setupFailureIsReportedOnceAndTruthfully()
    {
        RefusingPlatform refusing;
        refusing.fakeDisplays.setFrames({QRectF(0, 0, 1440, 900)});
        platform::Platform::setInstance(&refusing);
        MagnifierWindow window(*m_settings);
        window.setupAsMagnifier();
        QCOMPARE(window.view().placeholder, MagnifierView::placeholderText());
        const QByteArray out = capturedStdout([&] {
            QTRY_COMPARE(refusing.captures.size(), 1);
            for (int i = 0; i < 10; ++i)
                window.updatePosition(500 + i, 400);
        });
        QCOMPARE(out, QByteArray("Failed to setup screen capture: permission denied by the test\n"));
        QCOMPARE(refusing.captures[0]->requests().size(), 0);
        QCOMPARE(window.view().placeholder, MagnifierView::unavailableText());
        // The window still follows the pointer; the panel keeps its size.
        QCOMPARE(window.globalFrame().center(), QPointF(509, 400));
        QCOMPARE(window.view().width, 200.0);
        platform::Platform::setInstance(m_platform.get());
    }

    void refusesACaptureThatWouldShowItself()
    {
        // The magnifier lies over its own source area: a capture that cannot
        // leave it out would show the magnifier inside itself, again and again.
        NonExcludingPlatform plain;
        plain.fakeDisplays.setFrames({QRectF(0, 0, 1440, 900)});
        platform::Platform::setInstance(&plain);
        MagnifierWindow window(*m_settings);
        const QByteArray out = capturedStdout([&] {
            window.setupAsMagnifier();
            QTRY_COMPARE(plain.captures.size(), 1);
            window.updatePosition(500, 400);
        });
        QVERIFY2(out.startsWith("Failed to setup screen capture: ") && out.count('\n') == 1, out.constData());
        QCOMPARE(plain.captures[0]->requests().size(), 0);
        QCOMPARE(window.view().placeholder, MagnifierView::unavailableText());
        platform::Platform::setInstance(m_platform.get());
    }

    // --- drawing ---------------------------------------------------------------

    void viewDrawsPictureClippedAndFramed()
    {
        m_settings->setCurrentColor(CodableColor{0, 1, 0, 1});
        QImage canvas(300, 100, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter painter(&canvas);
            MagnifierView(solid(Qt::blue, QSize(400, 120)), 200, 60, *m_settings).paint(painter, canvas.size());
        }
        // Content 200 x 60 centred: (50, 20) to (250, 80).
        QCOMPARE(canvas.pixelColor(150, 50), QColor(Qt::blue));
        QCOMPARE(canvas.pixelColor(49, 50).alpha(), 0);
        QCOMPARE(canvas.pixelColor(150, 19).alpha(), 0);
        // The 2-point frame lies inside the edge, in the guide colour.
        QCOMPARE(canvas.pixelColor(50, 50), QColor(Qt::green));
        QCOMPARE(canvas.pixelColor(51, 50), QColor(Qt::green));
        QCOMPARE(canvas.pixelColor(52, 50), QColor(Qt::blue));
        QCOMPARE(canvas.pixelColor(150, 79), QColor(Qt::green));
        // Rounded corners (radius 6): the very corner stays clear.
        QCOMPARE(canvas.pixelColor(50, 20).alpha(), 0);
        QCOMPARE(canvas.pixelColor(249, 79).alpha(), 0);
    }

    void viewPlaceholderPanel()
    {
        m_settings->setCurrentColor(CodableColor{1, 0, 0, 0.5});
        QImage canvas(200, 60, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter painter(&canvas);
            MagnifierView(QImage(), 200, 60, *m_settings).paint(painter, canvas.size());
        }
        // Black at 50 %.
        const QColor panel = canvas.pixelColor(10, 10);
        QCOMPARE(panel.alpha(), 128);
        QCOMPARE(panel.red() + panel.green() + panel.blue(), 0);
        // Frame: red at the colour's own alpha (0.5) over the panel: 75 % cover.
        const QColor frame = canvas.pixelColor(100, 0);
        QVERIFY2(frame.red() > 150 && frame.green() < 10 && frame.blue() < 10 && qAbs(frame.alpha() - 191) <= 2,
                 qPrintable(frame.name(QColor::HexArgb)));
        // The caption: light pixels in the middle band, none near the edges.
        int light = 0;
        for (int y = 20; y < 40; ++y)
            for (int x = 20; x < 180; ++x)
                light += canvas.pixelColor(x, y).lightness() > 150;
        QVERIFY(light > 20);
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
        QVERIFY(window.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
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
    std::unique_ptr<platform::FakePlatform> m_platform;
};

QTEST_MAIN(TestMagnifier)
#include "test_magnifier.moc"
