// Time to draw the guide on a 2560x1440 translucent surface: the whole surface
// (cleared, then drawn) and the band a small pointer move repaints (the two
// coveredRects cleared and drawn under a clip, as the overlay does).
//
//   bench_render [iterations]      (default 3000 band repaints, 1/10 of that full)
//
// Every row is also printed as "RESULT render.<style>[.brackets].dpr<N> full-median full-p99 band-median band-p99
// band-cpu-median" (microseconds) for bench/run.

#include "overlay/ReadingGuideView.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <time.h>

namespace {

// The machine may be shared: besides wall time, the thread's own CPU time
// shows the cost of the drawing without the time spent preempted.
double threadCpuUs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

struct Stats
{
    double median;
    double p99;
};

Stats stats(std::vector<double> &us)
{
    std::sort(us.begin(), us.end());
    const auto at = [&](double q) { return us[std::min(us.size() - 1, size_t(q * double(us.size())))]; };
    return {at(0.5), at(0.99)};
}

Stats timeFull(QImage &image, const AppSettings &s, const QSizeF &size, int iterations)
{
    std::vector<double> us;
    QElapsedTimer timer;
    for (int i = 0; i < iterations; ++i) {
        const double y = 400 + (i % 2) * 3;
        timer.start();
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRectF(QPointF(0, 0), size), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        ReadingGuideView(1280, y, s).paint(painter, size);
        painter.end();
        us.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    return stats(us);
}

Stats timeBand(QImage &image, const AppSettings &s, const QSizeF &size, int iterations, bool useRegion, double *area,
               Stats *cpu)
{
    std::vector<double> us, cpuUs;
    QElapsedTimer timer;
    for (int i = 0; i < iterations; ++i) {
        // A move of a few points, back and forth.
        const QPointF from(1280 + (i % 2) * 4, 700 + (i % 2) * 3);
        const QPointF to(1280 + ((i + 1) % 2) * 4, 700 + ((i + 1) % 2) * 3);
        timer.start();
        const double cpuStart = threadCpuUs();
        const ReadingGuideView before(from.x(), from.y(), s), after(to.x(), to.y(), s);
        const QRegion dirty = useRegion ? before.coveredRegion(size) | after.coveredRegion(size)
                                        : QRegion((before.coveredRect(size) | after.coveredRect(size)).toAlignedRect());
        QPainter painter(&image);
        painter.setClipRegion(dirty);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect &r : dirty)
            painter.fillRect(r, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        after.paint(painter, size);
        painter.end();
        us.push_back(double(timer.nsecsElapsed()) / 1000.0);
        cpuUs.push_back(threadCpuUs() - cpuStart);
        *area = 0;
        for (const QRect &r : dirty)
            *area += double(r.width()) * r.height();
    }
    *cpu = stats(cpuUs);
    return stats(us);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int bandIterations = argc > 1 ? std::max(10, atoi(argv[1])) : 3000;
    const int fullIterations = std::max(10, bandIterations / 10);

    QTemporaryDir dir;
    AppSettings settings(dir.filePath(QStringLiteral("bench.conf")));

    std::printf("surface 2560x1440 points, ARGB32_Premultiplied; times in microseconds "
                "(full: %d runs, band: %d runs)\n\n",
                fullIterations, bandIterations);
    std::printf("full: whole surface cleared and drawn; rect: the union of the two coveredRects cleared and\n"
                "drawn under a clip; region: the same with coveredRegion (brackets kept to their columns)\n\n");
    std::printf("wall = elapsed time, cpu = the thread's CPU time; pt2 = repainted area in square points\n\n");
    std::printf("%-26s %3s %9s %9s | %9s %9s %9s %9s %7s | %9s %9s %9s %9s %7s\n", "style", "dpr", "full med",
                "full p99", "rect med", "rect p99", "rect cpu", "cpu p99", "pt2", "regn med", "regn p99", "regn cpu",
                "cpu p99", "pt2");
    for (double dpr : {1.0, 2.0}) {
        const QSizeF size(2560, 1440);
        QImage image(int(size.width() * dpr), int(size.height() * dpr), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        for (bool brackets : {false, true}) {
            for (LineStyle style : LineStyles::allCases) {
                settings.setCurrentStyle(style);
                settings.setCustomOpacity(LineStyles::defaultOpacity(style));
                settings.setCustomThickness(LineStyles::defaultThickness(style));
                settings.setVerticalGuidesEnabled(brackets);
                // Warm caches (label layouts, glyphs) before timing.
                timeFull(image, settings, size, 3);
                const Stats full = timeFull(image, settings, size, dpr == 1 ? fullIterations : fullIterations / 2);
                double rectArea = 0, regionArea = 0;
                Stats rectCpu{}, regionCpu{};
                const Stats rect = timeBand(image, settings, size, bandIterations, false, &rectArea, &rectCpu);
                const Stats region = timeBand(image, settings, size, bandIterations, true, &regionArea, &regionCpu);
                const QString name = LineStyles::rawValue(style) + (brackets ? " + brackets" : "");
                std::printf("%-26s %3.0f %9.1f %9.1f | %9.1f %9.1f %9.1f %9.1f %7.0f | %9.1f %9.1f %9.1f %9.1f %7.0f\n",
                            qPrintable(name), dpr, full.median, full.p99, rect.median, rect.p99, rectCpu.median,
                            rectCpu.p99, rectArea, region.median, region.p99, regionCpu.median, regionCpu.p99,
                            regionArea);
                // For bench/run: the whole surface and the band (region) repaint.
                std::printf("RESULT render.%s%s.dpr%.0f %.1f %.1f %.1f %.1f %.1f\n",
                            qPrintable(LineStyles::rawValue(style).toLower().replace(QLatin1Char(' '), QLatin1Char('_'))),
                            brackets ? ".brackets" : "", dpr, full.median, full.p99, region.median, region.p99,
                            regionCpu.median);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
