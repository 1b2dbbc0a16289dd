#include "textlines/AtspiTextLines.h"

#include "textlines/DBusAccessibilityBus.h"

#include <algorithm>
#include <cmath>

namespace textlines {

namespace {

constexpr int kTimeoutMs = 150;
// Lines found are trusted this long at most: not every application says
// when it scrolls.
constexpr qint64 kCacheLifetimeMs = 3000;
// Objects deeper than this under a point are a broken tree.
constexpr int kMaxDepth = 32;
// Blank lines and objects without text stepped over before giving up.
constexpr int kMaxHops = 16;
const QString kRoot = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString kCaretMoved = QStringLiteral("object:text-caret-moved");
const QStringList kChangeEvents = {QStringLiteral("object:text-changed"),
                                   QStringLiteral("object:bounds-changed"),
                                   QStringLiteral("object:visible-data-changed")};
constexpr QChar kObjectReplacement(0xFFFC);
// Caret moves are looked up once a frame at most.
constexpr int kCaretFrameMs = 16;

bool sameWindow(const platform::WindowAtPoint &a, const platform::WindowAtPoint &b)
{
    return a.pid == b.pid && a.frame == b.frame && a.coordinates == b.coordinates;
}

bool containsY(const QRectF &rect, qreal y)
{
    return rect.top() <= y && y <= rect.bottom();
}

// A window whose surface the application says is larger than the window the
// compositor placed, by more than nothing on both sides, while the platform
// put the surface's corner at the window's: the surface has a client-side
// shadow (GTK 3's decorations), and the compositor tells only the window's
// geometry (sway). The shadow is taken as even all round: GTK's is a few
// pixels deeper below than above, well within a line.
platform::WindowAtPoint withShadow(platform::WindowAtPoint w, const QRect &extents)
{
    constexpr qreal maxShadow = 100;
    if (w.coordinates != platform::WindowAtPoint::Coordinates::Window || w.origin != w.frame.topLeft())
        return w;
    const QSizeF extra = QSizeF(extents.size()) / w.devicePixelRatio - w.frame.size();
    if (extra.width() <= 0 || extra.height() <= 0 || extra.width() > 2 * maxShadow || extra.height() > 2 * maxShadow)
        return w;
    w.origin -= QPointF(extra.width() / 2, extra.height() / 2);
    return w;
}

} // namespace

AtspiTextLines::AtspiTextLines(std::unique_ptr<AccessibilityBus> bus, WindowFinder findWindow,
                               QObject *parent)
    : TextLineSource(parent), m_bus(std::move(bus)), m_findWindow(std::move(findWindow))
{
    m_clock.start();
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, &AtspiTextLines::timedOut);
    m_caretFrame.setSingleShot(true);
    m_caretFrame.setInterval(kCaretFrameMs);
    connect(&m_caretFrame, &QTimer::timeout, this, &AtspiTextLines::followCarets);
    connect(m_bus.get(), &AccessibilityBus::event, this, &AtspiTextLines::onEvent);
    connect(m_bus.get(), &AccessibilityBus::disconnected, this, [this] {
        m_cache.clear();
        m_pidOfService.clear();
        m_pendingCall = 0;
    });
}

std::unique_ptr<AtspiTextLines> AtspiTextLines::create(platform::Platform &platform, QObject *parent)
{
    auto lines = std::make_unique<AtspiTextLines>(
        std::make_unique<DBusAccessibilityBus>(),
        [&platform](const QPointF &point) { return platform.windowAt(point); }, parent);
    lines->setFocusFinder([&platform] { return platform.focusedWindow(); });
    lines->m_screenIsGlobal = platform.canFindWindows();
    return lines;
}

AtspiTextLines::~AtspiTextLines()
{
    // No answers from an object going away; the switch is put back.
    m_query.reset();
    if (isActive())
        deactivate();
}

// --- switching on and off ----------------------------------------------------

void AtspiTextLines::setActive(bool lines, bool caret)
{
    const bool was = isActive();
    m_lines = lines;
    m_caret = caret;
    if (isActive() && !was)
        activate();
    else if (!isActive() && was)
        deactivate();
    else
        listenEvents();
}

void AtspiTextLines::activate()
{
    const quint64 activation = ++m_activation;
    m_bus->readEnabled([this, activation](std::optional<bool> enabled) {
        if (activation != m_activation || !enabled)
            return;
        m_enabledBefore = *enabled;
        if (!*enabled)
            m_bus->writeEnabled(true);
    });
    openBus();
}

void AtspiTextLines::openBus()
{
    if (m_opening || m_bus->isOpen())
        return;
    m_opening = true;
    const quint64 activation = m_activation;
    m_bus->open([this, activation](std::optional<bool> open) {
        if (activation != m_activation)
            return;
        m_opening = false;
        if (!open.value_or(false))
            return;
        listenEvents();
        runLater();
    });
}

void AtspiTextLines::listenEvents()
{
    if (!m_bus->isOpen())
        return;
    QStringList events;
    if (m_lines || m_caret)
        events = kChangeEvents;
    if (m_caret)
        events.append(kCaretMoved);
    m_bus->listen(events);
}

void AtspiTextLines::deactivate()
{
    ++m_activation;
    if (m_query)
        finish(std::nullopt);
    m_bus->listen({});
    m_bus->close();
    m_opening = false;
    m_pendingCall = 0;
    if (m_enabledBefore && !*m_enabledBefore)
        m_bus->writeEnabled(false);
    m_enabledBefore.reset();
    m_cache.clear();
    m_pidOfService.clear();
    m_lastWindow.reset();
    m_caretMoves.clear();
    m_caretFrame.stop();
}

// --- questions ----------------------------------------------------------------

void AtspiTextLines::requestLineAt(const QPointF &point)
{
    Query q;
    q.point = point;
    submit(q);
}

void AtspiTextLines::requestStep(const QRectF &from, int direction)
{
    Query q;
    q.step = true;
    q.from = from;
    q.point = from.center();
    q.direction = direction < 0 ? -1 : 1;
    submit(q);
}

void AtspiTextLines::cancel()
{
    m_query.reset();
    m_timeout.stop();
}

void AtspiTextLines::submit(Query query)
{
    if (!isActive()) {
        query.id = ++m_nextId;
        QMetaObject::invokeMethod(
            this,
            [this, query] {
                if (query.step)
                    Q_EMIT stepped(query.from, query.direction, std::nullopt);
                else
                    Q_EMIT lineAt(query.point, std::nullopt);
            },
            Qt::QueuedConnection);
        return;
    }
    query.id = ++m_nextId;
    m_query = query;
    m_timeout.start();
    if (!m_bus->isOpen())
        openBus(); // the bus went away, or was not there yet
    else
        runLater();
}

// Never from inside the request: an answer found at once (a line in the
// cache) still comes as a later signal.
void AtspiTextLines::runLater()
{
    if (!m_query)
        return;
    const quint64 id = m_query->id;
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            if (m_query && m_query->id == id && !m_query->started && m_pendingCall == 0 && m_bus->isOpen())
                run();
        },
        Qt::QueuedConnection);
}

template <typename T>
AccessibilityBus::Reply<T> AtspiTextLines::then(std::function<void(std::optional<T>)> next)
{
    const quint64 token = ++m_nextCall;
    const quint64 id = m_query->id;
    m_pendingCall = token;
    return [this, token, id, next = std::move(next)](std::optional<T> answer) {
        if (m_pendingCall == token)
            m_pendingCall = 0;
        if (!m_query || m_query->id != id) {
            // Replaced meanwhile: the newest question goes now.
            if (m_query && !m_query->started && m_pendingCall == 0)
                run();
            return;
        }
        next(std::move(answer));
    };
}

void AtspiTextLines::timedOut()
{
    if (!m_query)
        return;
    // The call in flight is abandoned: its answer will be dropped, and the
    // next question need not wait for it.
    m_pendingCall = 0;
    finish(std::nullopt);
}

void AtspiTextLines::finish(std::optional<Line> line)
{
    const Query q = *m_query;
    m_query.reset();
    m_timeout.stop();
    const std::optional<QRectF> rect = line ? std::optional<QRectF>(line->rect) : std::nullopt;
    if (q.step)
        Q_EMIT stepped(q.from, q.direction, rect);
    else
        Q_EMIT lineAt(q.point, rect);
}

CoordType AtspiTextLines::coordType(const platform::WindowAtPoint &w) const
{
    return w.coordinates == platform::WindowAtPoint::Coordinates::Screen ? CoordType::Screen
                                                                         : CoordType::Window;
}

// --- the line under a point -------------------------------------------------

void AtspiTextLines::run()
{
    Query &q = *m_query;
    q.started = true;
    std::optional<platform::WindowAtPoint> window = m_findWindow ? m_findWindow(q.point) : std::nullopt;
    if (!window || window->pid <= 0) {
        located(std::nullopt);
        return;
    }
    q.window = *window;
    q.native = window->toNative(q.point).toPoint();
    m_lastWindow = window;
    if (std::optional<Line> line = cached(*window, q.point)) {
        m_lastWindow = line->window;
        located(line);
        return;
    }
    for (auto it = m_pidOfService.cbegin(); it != m_pidOfService.cend(); ++it) {
        if (it.value() == window->pid) {
            findApplication(0, {AccessibleRef{it.key(), kRoot}});
            return;
        }
    }
    m_bus->applications(then<QList<AccessibleRef>>([this](const std::optional<QList<AccessibleRef>> &apps) {
        findApplication(0, apps.value_or(QList<AccessibleRef>()));
    }));
}

// The first of `apps` whose process shows the window; the pids of the
// applications met on the way are kept for the next time.
void AtspiTextLines::findApplication(int index, QList<AccessibleRef> apps)
{
    if (index >= apps.size()) {
        located(std::nullopt);
        return;
    }
    const AccessibleRef app{apps[index].service, kRoot};
    const auto known = m_pidOfService.constFind(app.service);
    if (known != m_pidOfService.cend() && known.value() != m_query->window.pid) {
        findApplication(index + 1, apps);
        return;
    }
    auto frames = [this, app] {
        m_query->app = app;
        m_bus->children(
            app, then<QList<AccessibleRef>>([this, app](const std::optional<QList<AccessibleRef>> &frames) {
                if (!frames) // gone, or gone and back under another name: look it up again next time
                    m_pidOfService.remove(app.service);
                findFrame(0, frames.value_or(QList<AccessibleRef>()), {}, 0);
            }));
    };
    if (known != m_pidOfService.cend()) {
        frames();
        return;
    }
    m_bus->processId(app.service, then<qint64>([this, app, index, apps, frames](std::optional<qint64> pid) {
                         if (pid)
                             m_pidOfService.insert(app.service, *pid);
                         if (pid && *pid == m_query->window.pid)
                             frames();
                         else
                             findApplication(index + 1, apps);
                     }));
}

// Of the application's windows under the point, the one whose size is
// closest to the window the platform found.
void AtspiTextLines::findFrame(int index, const QList<AccessibleRef> &frames, const AccessibleRef &best,
                               qreal bestScore, QRect bestExtents)
{
    if (index >= frames.size()) {
        if (best.isNull()) {
            located(std::nullopt);
            return;
        }
        m_query->window = withShadow(m_query->window, bestExtents);
        m_query->native = m_query->window.toNative(m_query->point).toPoint();
        m_lastWindow = m_query->window; // the caret in it counts from there too
        m_query->path = {best};
        descend(best, 0);
        return;
    }
    const AccessibleRef &frame = frames[index];
    m_bus->extents(frame, coordType(m_query->window),
                   then<QRect>([this, index, frames, frame, best, bestScore,
                                bestExtents](std::optional<QRect> extents) {
                       const Query &q = *m_query;
                       AccessibleRef nextBest = best;
                       qreal nextScore = bestScore;
                       QRect nextExtents = bestExtents;
                       if (extents && extents->contains(q.native)) {
                           const QSizeF expected = q.window.frame.size() * q.window.devicePixelRatio;
                           const qreal score = std::abs(extents->width() - expected.width()) +
                                               std::abs(extents->height() - expected.height());
                           if (best.isNull() || score < bestScore) {
                               nextBest = frame;
                               nextScore = score;
                               nextExtents = *extents;
                           }
                       }
                       findFrame(index + 1, frames, nextBest, nextScore, nextExtents);
                   }));
}

void AtspiTextLines::descend(const AccessibleRef &object, int depth)
{
    Query &q = *m_query;
    m_bus->accessibleAtPoint(object, q.native, coordType(q.window),
                             then<AccessibleRef>([this, object, depth](std::optional<AccessibleRef> child) {
                                 if (!child || child->isNull() || *child == object || depth >= kMaxDepth) {
                                     offsetIn(int(m_query->path.size()) - 1);
                                     return;
                                 }
                                 m_query->path.append(*child);
                                 descend(*child, depth + 1);
                             }));
}

// The deepest object under the point that has text says where the point is
// in it; objects without text pass the question to their parent.
void AtspiTextLines::offsetIn(int pathIndex)
{
    if (pathIndex < 0) {
        located(std::nullopt);
        return;
    }
    const AccessibleRef object = m_query->path[pathIndex];
    m_bus->offsetAtPoint(object, m_query->native, coordType(m_query->window),
                         then<int>([this, object, pathIndex](std::optional<int> offset) {
                             if (!offset)
                                 offsetIn(pathIndex - 1);
                             else if (*offset < 0)
                                 offsetAtLeftEdge(object); // right of a short line, in some toolkits
                             else
                                 lineIn(object, *offset,
                                        [this](std::optional<Line> line) { located(std::move(line)); });
                         }));
}

void AtspiTextLines::offsetAtLeftEdge(const AccessibleRef &object)
{
    const CoordType coords = coordType(m_query->window);
    m_bus->extents(object, coords, then<QRect>([this, object, coords](std::optional<QRect> extents) {
                       if (!extents || extents->isEmpty()) {
                           located(std::nullopt);
                           return;
                       }
                       const QPoint edge(extents->left() + 1, m_query->native.y());
                       m_bus->offsetAtPoint(
                           object, edge, coords, then<int>([this, object](std::optional<int> offset) {
                               if (!offset || *offset < 0)
                                   located(std::nullopt);
                               else
                                   lineIn(object, *offset,
                                          [this](std::optional<Line> line) { located(std::move(line)); });
                           }));
                   }));
}

// The line around `offset` and its box.
void AtspiTextLines::lineIn(const AccessibleRef &object, int offset,
                            const std::function<void(std::optional<Line>)> &done)
{
    m_bus->lineAtOffset(object, offset, then<TextSpan>([this, object, done](std::optional<TextSpan> span) {
                            if (!span || span->end < span->start) {
                                done(std::nullopt);
                                return;
                            }
                            // Some toolkits count the end of a range in: ask up to the
                            // last character but one, which is the line's own in all.
                            const int last = span->end - span->start > 1 ? span->end - 1 : span->end;
                            m_bus->rangeExtents(
                                object, span->start, last, coordType(m_query->window),
                                then<QRect>([this, object, span, done](std::optional<QRect> native) {
                                    if (!native || native->height() <= 0) {
                                        done(std::nullopt);
                                        return;
                                    }
                                    Line line;
                                    line.object = object;
                                    line.start = span->start;
                                    line.end = span->end;
                                    line.window = m_query->window;
                                    line.native = QRectF(*native);
                                    line.rect = m_query->window.fromNative(line.native)
                                                    .adjusted(-kLinePadding, -kLinePadding, kLinePadding,
                                                              kLinePadding);
                                    line.born = m_clock.elapsed();
                                    const QString text = span->text;
                                    line.embeddedOnly = !text.trimmed().isEmpty() &&
                                                        std::all_of(text.begin(), text.end(), [](QChar c) {
                                                            return c == kObjectReplacement || c.isSpace();
                                                        });
                                    line.hasText = std::any_of(text.begin(), text.end(), [](QChar c) {
                                        return c != kObjectReplacement && !c.isSpace();
                                    });
                                    done(line);
                                }));
                        }));
}

void AtspiTextLines::located(std::optional<Line> line)
{
    const Query &q = *m_query;
    // Some toolkits give the nearest line however far from it the point is.
    if (line && (line->embeddedOnly || !containsY(line->rect, q.point.y())))
        line.reset();
    if (line)
        remember(*line);
    if (!q.step || !line) {
        finish(line);
        return;
    }
    m_query->base = line->rect;
    stepFrom(*line);
}

// --- stepping ------------------------------------------------------------------

void AtspiTextLines::stepFrom(const Line &line)
{
    if (m_query->direction < 0) {
        if (line.start > 0)
            stepTo(line, line.start - 1, true);
        else
            crossFrom(line, line.object, 0, {});
        return;
    }
    m_bus->characterCount(line.object, then<int>([this, line](std::optional<int> count) {
                              if (count && line.end < *count)
                                  stepTo(line, line.end, line.end + 1 < *count);
                              else
                                  crossFrom(line, line.object, 0, {});
                          }));
}

// The line at `offset` next to `line`. Qt ends a line before its line feed,
// so the offset just past it may still be on it: one character further then,
// where `further` allows.
void AtspiTextLines::stepTo(const Line &line, int offset, bool further)
{
    lineIn(line.object, offset, [this, line, offset, further](std::optional<Line> next) {
        if (!next || next->start != line.start)
            stepResult(line, next);
        else if (further && m_query->direction > 0)
            stepTo(line, offset + 1, false);
        else
            crossFrom(line, line.object, 0, {}); // no further in this object
    });
}

// Into the neighbouring object with text, where a toolkit puts each
// paragraph in an object of its own: `object`'s sibling `index` places away
// in the direction of the step. The first call finds the parent.
void AtspiTextLines::crossFrom(const Line &line, const AccessibleRef &object, int index,
                               const AccessibleRef &parent)
{
    const int direction = m_query->direction;
    if (parent.isNull()) {
        m_bus->indexInParent(
            object, then<int>([this, line, object](std::optional<int> own) {
                if (!own || *own < 0) {
                    finish(std::nullopt);
                    return;
                }
                m_bus->parent(object, then<AccessibleRef>(
                                          [this, line, object, own](std::optional<AccessibleRef> parent) {
                                              if (!parent || parent->isNull())
                                                  finish(std::nullopt);
                                              else
                                                  crossFrom(line, object, *own + m_query->direction, *parent);
                                          }));
            }));
        return;
    }
    if (index < 0 || ++m_query->hops > kMaxHops) {
        finish(std::nullopt);
        return;
    }
    m_bus->childAtIndex(
        parent, index,
        then<AccessibleRef>(
            [this, line, object, index, parent, direction](std::optional<AccessibleRef> sibling) {
                if (!sibling || sibling->isNull()) {
                    finish(std::nullopt);
                    return;
                }
                m_bus->characterCount(*sibling, then<int>([this, line, object, index, parent, direction,
                                                           sibling](std::optional<int> count) {
                    if (!count || *count <= 0) {
                        crossFrom(line, object, index + direction, parent);
                        return;
                    }
                    lineIn(*sibling, direction > 0 ? 0 : *count - 1,
                           [this, line](std::optional<Line> next) { stepResult(line, std::move(next)); });
                }));
            }));
}

void AtspiTextLines::stepResult(const Line &from, std::optional<Line> line)
{
    if (!line) {
        finish(std::nullopt);
        return;
    }
    // Over blank lines, lines of embedded objects only, and objects on the
    // same row as the line stepped from (a link inside a paragraph).
    const QRectF base = m_query->base;
    const bool moved = m_query->direction * (line->rect.center().y() - base.center().y()) > base.height() / 2;
    if ((!line->hasText || !moved) && ++m_query->hops <= kMaxHops) {
        stepFrom(*line);
        return;
    }
    // A line scrolled out of its window is not on the screen.
    const QRectF frame = from.window.frame;
    if (!line->hasText || !moved || !containsY(frame, line->rect.center().y())) {
        finish(std::nullopt);
        return;
    }
    remember(*line);
    finish(line);
}

// --- the cache of lines ----------------------------------------------------------

std::optional<AtspiTextLines::Line> AtspiTextLines::cached(const platform::WindowAtPoint &window,
                                                           const QPointF &point)
{
    const qint64 now = m_clock.elapsed();
    m_cache.erase(std::remove_if(m_cache.begin(), m_cache.end(),
                                 [now](const Line &l) { return now - l.born > kCacheLifetimeMs; }),
                  m_cache.end());
    for (const Line &line : m_cache) {
        if (sameWindow(line.window, window) && line.rect.contains(point))
            return line;
    }
    return std::nullopt;
}

void AtspiTextLines::remember(const Line &line)
{
    for (Line &known : m_cache) {
        if (known.object == line.object && known.start == line.start) {
            known = line;
            return;
        }
    }
    m_cache.push_back(line);
}

// --- events --------------------------------------------------------------------

void AtspiTextLines::onEvent(const QString &name, const AccessibleRef &source, int detail)
{
    // Lines of an application that changed may have moved, all of them: text
    // flows on into the next paragraphs, a caret move may scroll.
    m_cache.erase(std::remove_if(m_cache.begin(), m_cache.end(),
                                 [&source](const Line &l) { return l.object.service == source.service; }),
                  m_cache.end());
    if (name != kCaretMoved || !m_caret)
        return;
    // The first move goes at once, those after it in the same frame together
    // at its end.
    m_caretMoves.insert(source, detail);
    if (!m_caretFrame.isActive())
        followCarets();
}

void AtspiTextLines::followCarets()
{
    if (m_caretMoves.isEmpty())
        return;
    m_caretFrame.start();
    const quint64 id = ++m_caretId;
    for (auto it = m_caretMoves.cbegin(); it != m_caretMoves.cend(); ++it)
        followCaret(it.key(), it.value(), id);
    m_caretMoves.clear();
}

void AtspiTextLines::followCaret(const AccessibleRef &object, int offset, quint64 id)
{
    // Where the platform knows the focused window, the caret is in it: on
    // Wayland toolkits count from their window's corner, which only the
    // compositor knows. Elsewhere (X11) SCREEN coordinates are what the
    // window system gives, scaled as around the last window found; where the
    // platform knows windows only by their origins, or knows none, the caret
    // is not followed: its place on the screen can't be told.
    std::optional<platform::WindowAtPoint> focused = m_findFocus ? m_findFocus() : std::nullopt;
    if (focused && m_lastWindow && sameWindow(*focused, *m_lastWindow))
        focused->origin = m_lastWindow->origin; // a client-side shadow found there
    platform::WindowAtPoint window = focused.value_or(m_lastWindow.value_or(platform::WindowAtPoint()));
    if (!focused && (window.coordinates != platform::WindowAtPoint::Coordinates::Screen ||
                     (!m_lastWindow && !m_screenIsGlobal)))
        return;
    const CoordType coords = coordType(window);
    auto current = [this, id] { return id == m_caretId && m_caret; };
    auto followLine = [=, this] {
        m_bus->lineAtOffset(object, offset, [=, this](std::optional<TextSpan> span) {
            if (!current() || !span || span->end < span->start)
                return;
            const int last = span->end - span->start > 1 ? span->end - 1 : span->end;
            m_bus->rangeExtents(object, span->start, last, coords, [=, this](std::optional<QRect> native) {
                if (!current() || !native || native->height() <= 0)
                    return;
                Q_EMIT caretLineChanged(window.fromNative(QRectF(*native))
                                            .adjusted(-kLinePadding, -kLinePadding, kLinePadding, kLinePadding));
            });
        });
    };
    // Only the focused application's caret: terminals move theirs as output
    // arrives, in windows nobody looks at. Where the compositor says which
    // window has the keyboard, the caret must be its process's: a Wayland
    // toolkit sets its FOCUSED state only once a keyboard entered its window,
    // which a seat without one never does.
    if (focused) {
        const qint64 pid = focused->pid;
        auto inFocusedProcess = [=, this](std::optional<qint64> owner) {
            if (owner)
                m_pidOfService.insert(object.service, *owner);
            if (current() && owner == pid)
                followLine();
        };
        const auto known = m_pidOfService.constFind(object.service);
        if (known != m_pidOfService.cend())
            inFocusedProcess(known.value());
        else
            m_bus->processId(object.service, inFocusedProcess);
        return;
    }
    m_bus->isFocused(object, [=, this](std::optional<bool> focused) {
        if (current() && focused.value_or(false))
            followLine();
    });
}

} // namespace textlines
