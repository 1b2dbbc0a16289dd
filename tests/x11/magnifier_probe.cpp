// magnifier_probe: drives the magnifier on a real X server for the end-to-end
// test, without the application shell.
//
//   magnifier_probe [--zoom Z] [--margin M] [--thickness T] [--color R,G,B]
//                   [--pattern X Y W H CELL] [--moves-log FILE]
//
// Shows a red/blue checkerboard window at X Y (root pixels, cells of CELL
// pixels, first cell red), creates a MagnifierWindow with the given settings,
// shows it and moves it with the pointer. Prints "ready" once the capture
// engine is prepared (or "setup failed"), then "picture N" each time a new
// picture is shown. Runs until killed. Settings go to $XDG_CONFIG_HOME.

#include "magnifier/MagnifierWindow.h"
#include "platform/Backends.h"
#include "platform/FakePlatform.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

// Used only when the platform picked for this run is not the X11 one: the
// displays as Qt sees them, the pointer polled, the X11 capture backend.
class ProbePlatform : public platform::FakePlatform
{
public:
    ProbePlatform()
    {
        QList<platform::Display> list;
        const QScreen *primary = QGuiApplication::primaryScreen();
        const qreal primaryBottom = primary->geometry().y() + primary->geometry().height();
        QList<QScreen *> screens = QGuiApplication::screens();
        screens.removeOne(const_cast<QScreen *>(primary));
        screens.prepend(const_cast<QScreen *>(primary));
        for (QScreen *s : screens) {
            const QRectF g = s->geometry();
            list.append({QRectF(g.x(), primaryBottom - g.y() - g.height(), g.width(), g.height()),
                         s->devicePixelRatio(), s->name()});
        }
        fakeDisplays.setDisplays(list);
    }
    std::unique_ptr<platform::ScreenCapture> createScreenCapture() override { return platform::createX11Capture(); }
};

class Checkerboard : public QWidget
{
public:
    explicit Checkerboard(int cell) : m_cell(cell)
    {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        setWindowTitle(QStringLiteral("magnifier-pattern"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        for (int y = 0; y < height(); y += m_cell)
            for (int x = 0; x < width(); x += m_cell)
                p.fillRect(x, y, m_cell, m_cell, ((x / m_cell + y / m_cell) % 2) ? Qt::blue : Qt::red);
    }

private:
    int m_cell;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    double zoom = 2, margin = 20, thickness = 4;
    QColor color(255, 0, 255);
    QRect pattern(100, 100, 600, 400);
    int cell = 20;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        auto next = [&] { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == QLatin1String("--zoom"))
            zoom = next().toDouble();
        else if (a == QLatin1String("--margin"))
            margin = next().toDouble();
        else if (a == QLatin1String("--thickness"))
            thickness = next().toDouble();
        else if (a == QLatin1String("--color")) {
            const QStringList c = next().split(QLatin1Char(','));
            if (c.size() == 3)
                color = QColor(c[0].toInt(), c[1].toInt(), c[2].toInt());
        } else if (a == QLatin1String("--pattern")) {
            const int x = next().toInt(), y = next().toInt(), w = next().toInt(), h = next().toInt();
            pattern = QRect(x, y, w, h);
            cell = next().toInt();
        } else {
            std::fprintf(stderr, "magnifier_probe: unknown argument %s\n", qPrintable(a));
            return 2;
        }
    }

    std::unique_ptr<ProbePlatform> fallback;
    if (!platform::Platform::instance().isX11()) {
        fallback = std::make_unique<ProbePlatform>();
        platform::Platform::setInstance(fallback.get());
    }
    platform::Platform &plat = platform::Platform::instance();
    std::fprintf(stderr, "platform: %s\n", qPrintable(plat.name()));

    AppSettings &settings = AppSettings::shared();
    settings.setMagnifierZoom(zoom);
    settings.setVerticalGuideMargin(margin);
    settings.setCustomThickness(thickness);
    settings.setCurrentColor(CodableColor::fromColor(color));

    Checkerboard board(std::max(cell, 1));
    board.setGeometry(pattern);
    board.show();

    MagnifierWindow magnifier(settings);
    magnifier.setupAsMagnifier();

    QTimer::singleShot(0, &app, [&] {
        ScreenCaptureEngine *engine = magnifier.captureEngine();
        if (!engine || !engine->isReady()) {
            std::printf("setup failed\n");
            std::fflush(stdout);
            return;
        }
        // Every capture and move, with the time, on standard error.
        QObject::connect(engine, &ScreenCaptureEngine::captured, &magnifier, [](quint64 id, const QImage &image) {
            std::fprintf(stderr, "%lld captured %llu %s\n", QDateTime::currentMSecsSinceEpoch() % 100000,
                         (unsigned long long)id, image.isNull() ? "null" : "ok");
        });
        magnifier.show();
        magnifier.raise();
        std::printf("ready\n");
        std::fflush(stdout);
    });

    const auto follow = [&](QPointF global) {
        std::fprintf(stderr, "%lld move %g %g in-flight %d\n", QDateTime::currentMSecsSinceEpoch() % 100000,
                     global.x(), global.y(), int(magnifier.isCaptureInFlight()));
        magnifier.updatePosition(global.x(), global.y());
    };
    QTimer poll;
    if (!fallback && plat.pointer().start()) {
        std::fprintf(stderr, "pointer: platform monitor\n");
        QObject::connect(&plat.pointer(), &platform::PointerMonitor::moved, &magnifier, follow);
    } else {
        std::fprintf(stderr, "pointer: polled\n");
        QObject::connect(&poll, &QTimer::timeout, &magnifier, [&, last = QPoint(-1, -1)]() mutable {
            const QPoint p = QCursor::pos();
            if (p != last) {
                last = p;
                follow(QPointF(p));
            }
        });
        poll.start(4);
    }

    // Report each new picture so the test knows when the screen is settled.
    int pictures = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &magnifier, [&, lastKey = qint64(0)]() mutable {
        const qint64 key = magnifier.view().capturedImage.cacheKey();
        if (!magnifier.view().capturedImage.isNull() && key != lastKey) {
            lastKey = key;
            std::printf("picture %d\n", ++pictures);
            std::fflush(stdout);
        }
    });
    watch.start(5);
    return app.exec();
}
