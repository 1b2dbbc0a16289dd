// text_window: a window of real text for pictures of the guide over a page.
// A few paragraphs of English prose in DejaVu Serif, dark grey on white, in a
// column centred in the window.
//
//   text_window [--rect X Y W H] [--font-size PX] [--column PX] [--title NAME]
//
// Once the window is on screen it prints one line per line of text,
//   line I TOP BOTTOM LEFT RIGHT
// in root pixel coordinates (the box of the line's glyphs), then "ready", so a
// script can put the pointer on a line. It runs until killed.
#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char *const kProse[] = {
    "Reading on a screen asks more of the eyes than reading on paper. The page does not sit still in the "
    "hand, the lines are long, and when the eye returns from the end of one line it has to find the start "
    "of the next across a wide field of similar words. Many readers lose their place a dozen times a page "
    "and never notice the cost until the end of the day.",
    "A reading guide keeps that place for them. It follows the pointer and marks the line being read, so "
    "that the eye has something to come back to. Some people like a thin underline, others a soft band of "
    "colour, a ruler with a scale, or a window that dims everything but the current line.",
    "Whatever the style, the guide should never stand in the way: clicks pass through it, it moves the "
    "moment the pointer moves, and it remembers how it was set up the next time the computer starts.",
};

class TextWindow : public QWidget
{
public:
    TextWindow(int fontPx, int column) : m_column(column)
    {
        m_font = QFont(QStringLiteral("DejaVu Serif"));
        m_font.setPixelSize(fontPx);
        m_font.setStyleStrategy(QFont::PreferAntialias);
        setAutoFillBackground(false);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // Lays the paragraphs out for the current width; returns the lines' boxes
    // in window coordinates.
    std::vector<QRect> layoutLines()
    {
        m_layouts.clear();
        std::vector<QRect> boxes;
        const int column = std::min(m_column, width() - 40);
        const qreal left = (width() - column) / 2.0;
        const QFontMetricsF fm(m_font);
        const qreal leading = fm.height() * 0.55; // comfortable line spacing
        qreal y = 60;
        for (const char *text : kProse) {
            auto layout = std::make_unique<QTextLayout>(QString::fromUtf8(text), m_font);
            QTextOption option;
            option.setWrapMode(QTextOption::WordWrap);
            layout->setTextOption(option);
            layout->beginLayout();
            while (true) {
                QTextLine line = layout->createLine();
                if (!line.isValid())
                    break;
                line.setLineWidth(column);
                line.setPosition(QPointF(left, y));
                const qreal top = y + line.ascent() - fm.capHeight();
                const qreal bottom = y + line.ascent() + fm.descent();
                boxes.push_back(QRectF(left, top, line.naturalTextWidth(), bottom - top).toAlignedRect());
                y += line.height() + leading;
            }
            layout->endLayout();
            m_layouts.push_back(std::move(layout));
            y += fm.height() * 0.8; // between paragraphs
        }
        return boxes;
    }

protected:
    void resizeEvent(QResizeEvent *) override { m_lines = layoutLines(); }

    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QColor(34, 34, 34));
        for (const auto &layout : m_layouts)
            layout->draw(&p, QPointF(0, 0));
        if (!m_reported) {
            m_reported = true;
            // Report after this frame reached the server.
            QTimer::singleShot(100, this, [this] { report(); });
        }
    }

private:
    void report()
    {
        const qreal dpr = devicePixelRatioF();
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        for (size_t i = 0; i < m_lines.size(); ++i) {
            const QRect &r = m_lines[i];
            std::printf("line %zu %d %d %d %d\n", i, int((origin.y() + r.top()) * dpr),
                        int((origin.y() + r.bottom()) * dpr), int((origin.x() + r.left()) * dpr),
                        int((origin.x() + r.right()) * dpr));
        }
        std::printf("ready\n");
        std::fflush(stdout);
    }

    QFont m_font;
    int m_column;
    std::vector<std::unique_ptr<QTextLayout>> m_layouts;
    std::vector<QRect> m_lines;
    bool m_reported = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QRect geometry;
    int fontPx = 22, column = 860;
    QString title = QStringLiteral("text_window");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--rect" && i + 4 < args.size()) {
            geometry = QRect(args[i + 1].toInt(), args[i + 2].toInt(), args[i + 3].toInt(), args[i + 4].toInt());
            i += 4;
        } else if (args[i] == u"--font-size" && i + 1 < args.size()) {
            fontPx = args[++i].toInt();
        } else if (args[i] == u"--column" && i + 1 < args.size()) {
            column = args[++i].toInt();
        } else if (args[i] == u"--title" && i + 1 < args.size()) {
            title = args[++i];
        } else {
            std::fprintf(stderr, "usage: text_window [--rect X Y W H] [--font-size PX] [--column PX] "
                                 "[--title NAME]\n");
            return 2;
        }
    }
    if (fontPx < 6 || column < 100)
        return 2;
    if (geometry.isEmpty() && app.primaryScreen())
        geometry = app.primaryScreen()->geometry();

    TextWindow window(fontPx, column);
    window.setWindowTitle(title);
    // No frame: the page fills the asked rectangle exactly, with or without
    // a window manager.
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setGeometry(geometry);
    window.show();
    return app.exec();
}
