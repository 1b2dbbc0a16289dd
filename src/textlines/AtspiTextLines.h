#pragma once

// TextLineSource over the accessibility bus (AT-SPI 2): asks the application
// under a point for the line of text there, and follows the text cursor of the
// focused application.
//
// A question is a short chain of asynchronous calls: the window under the
// point comes from the platform (which process shows it), the application
// with that process on the bus, its window there, the deepest object under
// the point, the offset at the point, the line around the offset and the
// line's rectangle. One call is in flight at a time; a newer question
// replaces the one being answered, whose answers are dropped as they come.
// Every question is answered within the timeout, with nothing if need be.
// Lines found are kept per object until the object says its text, its bounds
// or what it shows changed, its window moves, or a few seconds pass: resting
// on a line found before asks the bus nothing. Caret moves are taken once a
// frame at most, the newest of each object: an application that sends
// thousands a second is asked no more than one that sends a few.

#include "platform/Platform.h"
#include "textlines/AccessibilityBus.h"
#include "textlines/TextLineSource.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace textlines {

class AtspiTextLines : public TextLineSource
{
    Q_OBJECT
public:
    using WindowFinder = std::function<std::optional<platform::WindowAtPoint>(const QPointF &)>;
    using FocusFinder = std::function<std::optional<platform::WindowAtPoint>()>;

    AtspiTextLines(std::unique_ptr<AccessibilityBus> bus, WindowFinder findWindow, QObject *parent = nullptr);
    // On the session's accessibility bus, windows found by `platform`.
    static std::unique_ptr<AtspiTextLines> create(platform::Platform &platform, QObject *parent = nullptr);
    ~AtspiTextLines() override;

    void setActive(bool lines, bool caret) override;
    bool isActive() const override { return m_lines || m_caret; }
    void requestLineAt(const QPointF &point) override;
    void requestStep(const QRectF &from, int direction) override;
    void cancel() override;

    // Where the window with the keyboard focus is (Platform::focusedWindow):
    // where toolkits count from their window's corner, the caret's line is
    // placed from it.
    void setFocusFinder(FocusFinder findFocus) { m_findFocus = std::move(findFocus); }
    // Forgets the lines found so far: the next question asks the application
    // again (after a scroll seen by Tovani itself, for instance).
    void forgetLines() { m_cache.clear(); }
    // How long a question may take, all calls together (150 ms).
    void setTimeout(int ms) { m_timeout.setInterval(ms); }
    // Glyph boxes grow by this much on every side into the line's box.
    static constexpr qreal kLinePadding = 1;

private:
    struct Line
    {
        AccessibleRef object;
        int start = 0;
        int end = 0;
        QRectF rect;   // global coordinates, padded
        QRectF native; // as the application gave it
        platform::WindowAtPoint window;
        bool hasText = false;      // more than blanks and embedded objects
        bool embeddedOnly = false; // nothing but embedded objects (U+FFFC)
        qint64 born = 0;           // when it was found, on m_clock
    };
    struct Query
    {
        quint64 id = 0;
        bool step = false;
        QPointF point;
        QRectF from;
        int direction = 0;
        bool started = false;
        platform::WindowAtPoint window;
        AccessibleRef app;
        QList<AccessibleRef> path; // from the window down to the deepest object under the point
        QPoint native;             // the point in the application's coordinates
        int hops = 0;              // lines stepped over (blank ones) or objects tried
        QRectF base;               // a step's line to step from
    };

    void submit(Query query);
    void run();
    void runLater();
    void openBus();
    void listenEvents();
    void located(std::optional<Line> line);
    void finish(std::optional<Line> line);
    void timedOut();
    void activate();
    void deactivate();
    void onEvent(const QString &name, const AccessibleRef &source, int detail);
    CoordType coordType(const platform::WindowAtPoint &w) const;

    // One call of the current question: `next` gets the answer unless the
    // question was replaced or gave up meanwhile.
    template <typename T> AccessibilityBus::Reply<T> then(std::function<void(std::optional<T>)> next);

    // The chain, step by step.
    void findApplication(int index, QList<AccessibleRef> apps);
    void findFrame(int index, const QList<AccessibleRef> &frames, const AccessibleRef &best, qreal bestScore,
                   QRect bestExtents = {});
    void descend(const AccessibleRef &object, int depth);
    void offsetIn(int pathIndex);
    void offsetAtLeftEdge(const AccessibleRef &object);
    void lineIn(const AccessibleRef &object, int offset,
                const std::function<void(std::optional<Line>)> &done);
    void stepFrom(const Line &line);
    void stepTo(const Line &line, int offset, bool further);
    void crossFrom(const Line &line, const AccessibleRef &object, int index, const AccessibleRef &parent);
    void stepResult(const Line &from, std::optional<Line> line);

    std::optional<Line> cached(const platform::WindowAtPoint &window, const QPointF &point);
    void remember(const Line &line);
    void followCarets();
    void followCaret(const AccessibleRef &object, int offset, quint64 id);

    std::unique_ptr<AccessibilityBus> m_bus;
    WindowFinder m_findWindow;
    FocusFinder m_findFocus;
    bool m_lines = false;
    bool m_caret = false;
    bool m_opening = false;
    std::optional<bool> m_enabledBefore; // the switch as found, while ours is on
    quint64 m_activation = 0;

    std::optional<Query> m_query;
    quint64 m_nextId = 0;
    quint64 m_pendingCall = 0; // token of the call in flight, 0 for none
    quint64 m_nextCall = 0;
    QTimer m_timeout;

    std::vector<Line> m_cache;
    QElapsedTimer m_clock;
    QHash<QString, qint64> m_pidOfService;
    std::optional<platform::WindowAtPoint> m_lastWindow;
    // Whether accessibility SCREEN coordinates are global ones before any
    // window was found: true on X11; not on Wayland, where toolkits count
    // from their window's corner.
    bool m_screenIsGlobal = true;
    quint64 m_caretId = 0;
    QHash<AccessibleRef, int> m_caretMoves; // since the last frame: the newest offset of each object
    QTimer m_caretFrame;
};

} // namespace textlines
