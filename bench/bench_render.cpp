// Time to draw the guide on a 2560x1440 translucent surface: the whole surface
// (cleared, then drawn), and the pictures of the pieces the guide is shown in
// (the band and the two brackets, ReadingGuideView::parts()), which the
// overlay draws once per change of the settings; a pointer move draws nothing.
//
//   bench_render [iterations]      (default 3000 piece drawings, 1/10 of that full)
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

// The band layer into a picture of the band's size, the bracket layer into
// pictures of the brackets' size, as DisplayGuide draws them.
Stats timePieces(const AppSettings &s, const QSizeF &size, double dpr, int iterations, double *area, Stats *cpu)
{
    std::vector<double> us, cpuUs;
    QElapsedTimer timer;
    const ReadingGuideView view(1280, 700, s);
    const ReadingGuideView::Parts parts = view.parts(size);
    const std::pair<QRectF, int> pieces[] = {{parts.band, ReadingGuideView::BandLayer},
                                             {parts.left, ReadingGuideView::BracketLayer},
                                             {parts.right, ReadingGuideView::BracketLayer}};
    for (int i = 0; i < iterations; ++i) {
        timer.start();
        const double cpuStart = threadCpuUs();
        *area = 0;
        for (const auto &[rect, layer] : pieces) {
            if (rect.isEmpty())
                continue;
            QImage image((rect.size() * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(dpr);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.translate(-rect.topLeft());
            view.paint(painter, size, layer);
            *area += rect.width() * rect.height();
        }
        us.push_back(double(timer.nsecsElapsed()) / 1000.0);
        cpuUs.push_back(threadCpuUs() - cpuStart);
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
    const int pieceIterations = argc > 1 ? std::max(10, atoi(argv[1])) : 3000;
    const int fullIterations = std::max(10, pieceIterations / 10);

    QTemporaryDir dir;
    AppSettings settings(dir.filePath(QStringLiteral("bench.conf")));

    std::printf("surface 2560x1440 points, ARGB32_Premultiplied; times in microseconds "
                "(full: %d runs, pieces: %d runs)\n\n",
                fullIterations, pieceIterations);
    std::printf("full: whole surface cleared and drawn; pieces: the band's and the brackets' pictures drawn\n"
                "(once per change of the settings); wall = elapsed time, cpu = the thread's CPU time;\n"
                "pt2 = the pictures' area in square points\n\n");
    std::printf("%-26s %3s %9s %9s | %9s %9s %9s %9s %7s\n", "style", "dpr", "full med", "full p99", "pcs med",
                "pcs p99", "pcs cpu", "cpu p99", "pt2");
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
                double area = 0;
                Stats cpu{};
                const Stats pieces = timePieces(settings, size, dpr, pieceIterations, &area, &cpu);
                const QString name = LineStyles::rawValue(style) + (brackets ? " + brackets" : "");
                std::printf("%-26s %3.0f %9.1f %9.1f | %9.1f %9.1f %9.1f %9.1f %7.0f\n", qPrintable(name), dpr,
                            full.median, full.p99, pieces.median, pieces.p99, cpu.median, cpu.p99, area);
                std::printf("RESULT render.%s%s.dpr%.0f %.1f %.1f %.1f %.1f %.1f\n",
                            qPrintable(LineStyles::rawValue(style).toLower().replace(QLatin1Char(' '), QLatin1Char('_'))),
                            brackets ? ".brackets" : "", dpr, full.median, full.p99, pieces.median, pieces.p99,
                            cpu.median);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
