// magnifier_probe: drives the magnifier on a real X server for
// bench_capture.sh, without the application shell.
//
//   magnifier_probe [PATTERN_X]
//
// Shows a 600x400 red/blue checkerboard window at (PATTERN_X, 100) (root
// pixels, 100 by default; cells of 20 pixels, the first one red) and a
// MagnifierWindow (zoom 2, margin 20 %, thickness 4, magenta) that follows
// the pointer. Prints "ready" once the capture engine is prepared (or "setup
// failed"), then "picture N" each time a new picture is shown. Runs until
// killed. Settings go to $XDG_CONFIG_HOME.

#include "magnifier/MagnifierWindow.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <cstdlib>

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    AppSettings &settings = AppSettings::shared();
    settings.setMagnifierZoom(2);
    settings.setVerticalGuideMargin(20);
    settings.setCustomThickness(4);
    settings.setCurrentColor(CodableColor::fromColor(QColor(255, 0, 255)));

    // The checkerboard: one pixel a cell, enlarged without smoothing.
    QImage cells(30, 20, QImage::Format_RGB32);
    for (int i = 0; i < 30 * 20; ++i) cells.setPixel(i % 30, i / 30, (i % 30 + i / 30) % 2 ? 0xff0000ff : 0xffff0000);
    QLabel board;
    board.setPixmap(QPixmap::fromImage(cells.scaled(600, 400)));
    board.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    board.setGeometry(argc > 1 ? std::atoi(argv[1]) : 100, 100, 600, 400);
    board.show();

    const std::unique_ptr<platform::Platform> session = platform::Platform::create();
    MagnifierWindow magnifier(*session, settings);
    magnifier.setupAsMagnifier();
    platform::PointerMonitor &pointer = session->pointer();
    QObject::connect(&pointer, &platform::PointerMonitor::moved, &magnifier, [&] {
        const QPointF global = pointer.position();
        magnifier.updatePosition(global.x(), global.y());
    });
    // The capture engine is prepared on the first turn of the event loop.
    QTimer::singleShot(0, &app, [&] {
        if (!magnifier.captureEngine() || !magnifier.captureEngine()->isReady() || !pointer.start())
            return (void)std::puts("setup failed");
        magnifier.show();
        magnifier.raise();
        std::puts("ready");
    });

    // Each new picture, so that the test knows when the screen is settled.
    int pictures = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &magnifier, [&, lastKey = qint64(0)]() mutable {
        const QImage &picture = magnifier.view().capturedImage;
        if (!picture.isNull() && picture.cacheKey() != lastKey) {
            lastKey = picture.cacheKey();
            std::printf("picture %d\n", ++pictures);
        }
    });
    watch.start(5);
    return QApplication::exec();
}
