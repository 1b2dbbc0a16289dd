// wlprobe: a Qt client of a Wayland compositor for the end-to-end tests.
//
//   wlprobe background R G B   a full-screen window of that colour; prints
//                              "ready" once shown, then "click X Y BUTTON"
//                              (window pixels) for every press
//   wlprobe guide              the guide of the settings in $XDG_CONFIG_HOME
//                              on every display, through the platform this
//                              session gets; prints "backend NAME", then
//                              "displays N" at every change of the displays.
//                              Reads lines from standard input: "move X Y"
//                              shows the guide at that global point on the
//                              display under it, "hide" hides it; each
//                              answered with "ok" once handed to the
//                              compositor
//
// Runs until killed, or until standard input closes (guide).

#include "../x11/stdin_lines.h"
#include "overlay/DisplayGuide.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

class Background : public QWidget
{
public:
    explicit Background(QColor color) : m_color(color) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), m_color);
        if (!std::exchange(m_ready, true)) std::puts("ready");
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        const QPoint p = event->position().toPoint();
        std::printf("click %d %d %d\n", p.x(), p.y(), int(event->button()));
    }

private:
    QColor m_color;
    bool m_ready = false;
};

int guide()
{
    const std::unique_ptr<platform::Platform> session = platform::Platform::create();
    platform::Platform &p = *session;
    std::printf("backend %s\n", qPrintable(p.name()));
    std::vector<std::unique_ptr<DisplayGuide>> guides;
    const auto build = [&] {
        guides.clear();
        for (const platform::Display &d : p.displays().displays())
            guides.push_back(
                std::make_unique<DisplayGuide>(d, AppSettings::shared(), p.guideSurfaces(), true));
        p.guideSurfaces().commit();
        std::printf("displays %d\n", int(guides.size()));
    };
    build();
    QObject::connect(&p.displays(), &platform::Displays::displaysChanged, qApp, build);
    // Each line reaches the compositor in a commit of its own.
    onStdinLine([&](const QByteArray &line) {
        double x = 0, y = 0;
        const bool move = std::sscanf(line.constData(), "move %lf %lf", &x, &y) == 2;
        for (const auto &g : guides) {
            const bool here = move && g->display().frame.contains(QPointF(x, y));
            if (here) g->moveTo(QPointF(x, y));
            g->setVisible(here);
        }
        p.guideSurfaces().commit();
        std::puts("ok");
    });
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == u"guide") return guide();
    if (args.value(0) == u"background" && args.size() == 4) {
        Background window(QColor(args[1].toInt(), args[2].toInt(), args[3].toInt()));
        window.showFullScreen();
        return QApplication::exec();
    }
    std::fputs("usage: wlprobe background R G B | wlprobe guide\n", stderr);
    return 2;
}
