// Screen capture speed and memory on a real X server (run it through
// bench/bench_capture.sh, which starts one).
//
// Captures the magnifier's default picture, 576 x 64 points at zoom 2 (a
// 288 x 32 point area delivered as 1152 x 128 pixels), one after the other
// like the magnifier does, over a checkerboard window with a translucent
// window on top that is left out of the picture. Prints the time per frame
// from request to picture (median, p99) and the peak resident memory (VmHWM)
// after 1,000, 10,000 and 20,000 captures.
//
//   bench_capture [COUNT]     (default 20000)

#include "platform/Backends.h"
#include "platform/FakePlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <vector>

namespace {

// The displays as Qt sees them, when the platform picked for this run is not
// the X11 one.
class BenchPlatform : public platform::FakePlatform
{
public:
    BenchPlatform()
    {
        const QRect g = QGuiApplication::primaryScreen()->geometry();
        fakeDisplays.setDisplays(
            {platform::Display{QRectF(g), QGuiApplication::primaryScreen()->devicePixelRatio(), QStringLiteral("bench")}});
    }
};

long vmHwmKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

class Pattern : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        for (int y = 0; y < height(); y += 16)
            for (int x = 0; x < width(); x += 16)
                p.fillRect(x, y, 16, 16, ((x + y) / 16) % 2 ? Qt::darkCyan : Qt::yellow);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 20000;

    std::unique_ptr<platform::Platform> session = platform::Platform::create();
    if (!session->capability(platform::Feature::ScreenCapture))
        session = std::make_unique<BenchPlatform>();

    Pattern pattern;
    pattern.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    pattern.setGeometry(100, 100, 800, 400);
    pattern.show();
    QWidget cover; // stands in for the magnifier: on top, translucent, excluded
    cover.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                         | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput);
    cover.setAttribute(Qt::WA_TranslucentBackground);
    cover.setGeometry(212, 268, 576, 64);
    cover.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        app.processEvents(QEventLoop::AllEvents, 50);

    auto capture = platform::createX11Capture(session->displays());
    QString error;
    if (!capture->setup(&error)) {
        std::printf("capture set-up failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("excludes windows: %s\n", capture->canExcludeWindows() ? "yes" : "no");

    const QSize output(1152, 128);
    const QPointF center(500, 300);
    const QRectF source(center.x() - 144, center.y() - 16, 288, 32);

    // Touched up front, so filling it does not show as growing memory.
    std::vector<double> times(count, 0.0);
    QEventLoop loop;
    QImage last;
    quint64 answered = 0;
    QObject::connect(capture.get(), &platform::ScreenCapture::captured, &loop, [&](quint64 id, const QImage &image) {
        answered = id;
        last = image;
        loop.quit();
    });
    int failures = 0;
    QElapsedTimer clock;
    for (int i = 1; i <= count; ++i) {
        // Small moves, as a pointer gliding along a line.
        const QRectF area = source.translated((i % 40) - 20, 0);
        clock.start();
        capture->capture(quint64(i), area, output, cover.winId());
        while (answered != quint64(i))
            loop.exec();
        times[i - 1] = clock.nsecsElapsed() / 1e6;
        if (last.isNull() || last.size() != output)
            ++failures;
        if (i == 1000 || i == 10000 || i == 20000 || i == count)
            std::printf("after %6d captures: VmHWM %ld KiB\n", i, vmHwmKiB());
    }
    std::sort(times.begin(), times.end());
    const auto at = [&](double q) { return times[std::min(times.size() - 1, size_t(q * times.size()))]; };
    std::printf("capture 576x64 pt at zoom 2 -> %dx%d px, %d frames: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                output.width(), output.height(), count, at(0.5), at(0.99), times.back());
    std::printf("failed captures: %d\n", failures);
    return failures ? 1 : 0;
}
