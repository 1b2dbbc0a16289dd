// AtspiTextLines on a real desktop: textlines_probe [--bench N] HELPER ARGS...
// starts the text helper (gtk_text.py or qt_text, given its geometry), finds
// the ink of its lines in a picture of the screen, and checks that the line
// under a point a few pixels below a line's centre, the next and previous
// lines, and the line of a caret the helper moves, all lie on the ink within
// 5 px. With --bench N it prints instead the latency of N questions asked
// afresh (nothing cached): "snap latency median X ms p95 Y ms". A guide
// surface lies over the helper's window meanwhile, as the guide does.
#include "platform/Platform.h"
#include "textlines/AtspiTextLines.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

const QRect kWindow(120, 90, 720, 420);
constexpr int kTolerance = 5;

struct Band
{
    int top, bottom, left;
};

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "FAIL: %s\n", qPrintable(why));
    std::exit(1);
}

// Rows of the helper's window with dark pixels, grouped into lines.
QList<Band> inkBands()
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QList<Band> bands;
    bool inBand = false;
    for (int y = kWindow.top() + 1; y < kWindow.bottom(); ++y) {
        int left = -1;
        for (int x = kWindow.left() + 1; x < kWindow.right() && left < 0; ++x)
            if (qGray(shot.pixel(x, y)) < 128)
                left = x;
        if (left >= 0 && !inBand)
            bands.append({y, y, left});
        if (left >= 0) {
            bands.last().bottom = y;
            bands.last().left = std::min(bands.last().left, left);
        }
        inBand = left >= 0;
    }
    return bands;
}

void expectOnBand(const std::optional<QRectF> &line, const Band &band, const char *what)
{
    const QString found = QStringLiteral("%1: line %2..%3, ink %4..%5")
                              .arg(what)
                              .arg(line ? line->top() : -1)
                              .arg(line ? line->bottom() : -1)
                              .arg(band.top)
                              .arg(band.bottom + 1);
    if (!line || std::abs(line->top() - band.top) > kTolerance ||
        std::abs(line->bottom() - (band.bottom + 1)) > kTolerance)
        fail(found);
    std::printf("ok %s\n", qPrintable(found));
}

QPointF restPoint(const Band &band)
{
    return {band.left + 60.0, (band.top + band.bottom) / 2.0 + 3};
}

// Asks, and waits for the answer: argument `at` of `signal`.
template <typename Signal, typename Ask>
std::optional<QRectF> answer(textlines::AtspiTextLines &lines, Signal signal, int at, Ask ask)
{
    QSignalSpy spy(&lines, signal);
    ask();
    if (!spy.wait(2000))
        fail(QStringLiteral("a question was never answered"));
    return spy.first().at(at).template value<std::optional<QRectF>>();
}

std::optional<QRectF> askLine(textlines::AtspiTextLines &lines, QPointF point)
{
    return answer(lines, &textlines::TextLineSource::lineAt, 1, [&] { lines.requestLineAt(point); });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int bench = 0;
    if (args.value(0) == QLatin1String("--bench")) {
        bench = args.value(1).toInt();
        args = args.mid(2);
    }
    if (args.isEmpty())
        fail(QStringLiteral("usage: textlines_probe [--bench N] HELPER [ARGS...]"));

    std::unique_ptr<platform::Platform> platform = platform::Platform::create();
    if (!platform->canFindWindows())
        fail(QStringLiteral("the platform cannot tell the window under a point"));
    std::unique_ptr<textlines::AtspiTextLines> lines = textlines::AtspiTextLines::create(*platform);
    lines->setActive(true, true);

    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(args.first(), args.mid(1)
                                   << QString::number(kWindow.x()) << QString::number(kWindow.y())
                                   << QString::number(kWindow.width()) << QString::number(kWindow.height()));
    if (!helper.waitForStarted(5000))
        fail(QStringLiteral("the helper did not start"));
    QElapsedTimer clock;
    clock.start();
    while (!helper.canReadLine() && clock.elapsed() < 15000)
        QTest::qWait(20);
    if (helper.readLine().trimmed() != "ready")
        fail(QStringLiteral("the helper did not say it is ready"));

    QList<Band> bands = inkBands();
    if (bands.size() < 6)
        fail(QStringLiteral("%1 lines of ink in the helper's window, expected 10").arg(bands.size()));

    // The guide lies over the text, and lets the pointer through.
    std::unique_ptr<platform::GuideSurface> guide =
        platform->guideSurfaces().create(platform->displays().displays().value(0));
    guide->setColor(QColor(255, 255, 0, 90));
    guide->setGeometry(QRectF(kWindow));
    guide->setVisible(true);
    platform->guideSurfaces().commit();

    // The application registers with the accessibility bus a little after
    // it shows: ask until it answers.
    std::optional<QRectF> line;
    for (clock.restart(); !line && clock.elapsed() < 10000; QTest::qWait(100))
        line = askLine(*lines, restPoint(bands[1]));
    expectOnBand(line, bands[1], "line under the point");
    if (askLine(*lines, QPointF(restPoint(bands[1]).x(), kWindow.bottom() - 4)))
        fail(QStringLiteral("a line below the text"));
    std::printf("ok nothing below the text\n");

    if (bench > 0) {
        QList<qint64> us;
        for (int i = 0; i < bench; ++i) {
            lines->forgetLines();
            clock.restart();
            if (!askLine(*lines, restPoint(bands[i % bands.size()])))
                fail(QStringLiteral("no line in run %1").arg(i));
            us.append(clock.nsecsElapsed() / 1000);
        }
        std::sort(us.begin(), us.end());
        const double median = us[us.size() / 2] / 1000.0;
        const double p95 = us[std::min<qsizetype>(us.size() - 1, us.size() * 95 / 100)] / 1000.0;
        std::printf("snap latency median %.2f ms p95 %.2f ms (%d questions)\n", median, p95, int(us.size()));
        std::printf("RESULT textlines_snap_ms %.2f %.2f\n", median, p95);
        helper.closeWriteChannel(); // the helper quits
        return helper.waitForFinished(3000) ? 0 : 1;
    }

    for (int direction : {1, -1}) {
        expectOnBand(answer(*lines, &textlines::TextLineSource::stepped, 2,
                            [&] { lines->requestStep(*line, direction); }),
                     bands[1 + direction], direction > 0 ? "next line" : "previous line");
    }

    // Focusing the view may report the caret where it was first.
    QSignalSpy caret(lines.get(), &textlines::TextLineSource::caretLineChanged);
    helper.write("caret 4\n");
    for (clock.restart(); clock.elapsed() < 5000; QTest::qWait(20)) {
        if (!caret.isEmpty() && caret.last().at(0).toRectF().contains(restPoint(bands[4])))
            break;
    }
    if (caret.isEmpty())
        fail(QStringLiteral("the caret's move was not reported"));
    expectOnBand(caret.last().at(0).toRectF(), bands[4], "caret line");

    guide.reset();
    lines.reset(); // puts the accessibility switch back
    helper.closeWriteChannel();
    return helper.waitForFinished(3000) ? 0 : 1;
}
