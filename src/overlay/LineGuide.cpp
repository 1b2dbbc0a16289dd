#include "overlay/LineGuide.h"

#include "overlay/ReadingGuideView.h"
#include "settings/Settings.h"
#include "textlines/TextLineSource.h"

#include <QLoggingCategory>

#include <algorithm>
#include <chrono>
#include <cmath>

// Off unless asked for (QT_LOGGING_RULES="tovani.lineguide.debug=true"): the
// benchmarks time a rest to the guide's placement on the line by the wall
// clock printed here, the one clock their shell scripts and the compositor
// that makes the move can read as well.
Q_LOGGING_CATEGORY(lcLineGuide, "tovani.lineguide", QtWarningMsg)

namespace {
bool finite(const QPointF &p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }
int sign(int v) { return v > 0 ? 1 : -1; }
} // namespace

LineGuide::LineGuide(AppSettings &settings, Placer place, QObject *parent)
    : QObject(parent), m_settings(settings), m_place(std::move(place))
{
    m_rest.setSingleShot(true);
    m_rest.setInterval(restMs);
    connect(&m_rest, &QTimer::timeout, this, &LineGuide::rested);
    m_reask.setSingleShot(true);
    connect(&m_reask, &QTimer::timeout, this, &LineGuide::ask);
    connect(&m_settings, &AppSettings::snapToTextLinesChanged, this, &LineGuide::updateSource);
    connect(&m_settings, &AppSettings::followTextCursorChanged, this, &LineGuide::updateSource);
}

LineGuide::~LineGuide() = default;

void LineGuide::setSourceFactory(SourceFactory factory)
{
    m_factory = std::move(factory);
    updateSource();
}

bool LineGuide::snapping() const { return m_source && m_settings.snapToTextLines(); }

void LineGuide::updateSource()
{
    const bool lines = m_settings.snapToTextLines();
    const bool caret = m_settings.followTextCursor();
    if (!m_source && (lines || caret) && m_factory) {
        m_source = m_factory();
        if (m_source) {
            connect(m_source.get(), &textlines::TextLineSource::lineAt, this, &LineGuide::lineAnswered);
            connect(m_source.get(), &textlines::TextLineSource::stepped, this,
                    [this](QRectF, int, std::optional<QRectF> line) { stepAnswered(line); });
            connect(m_source.get(), &textlines::TextLineSource::caretLineChanged, this, &LineGuide::caretMoved);
        }
    }
    if (!m_source)
        return;
    const bool textStepWaits = m_textOnly;
    cancelQuestions();
    if (textStepWaits)
        Q_EMIT guideTaken();
    m_source->setActive(lines, caret);
    // Snapping switched off: the guide on a snapped line goes back to the pointer.
    if (!lines && m_mode == Mode::onLine)
        followPointer();
}

bool LineGuide::pointerMoved(const QPointF &at)
{
    m_pointer = at;
    switch (m_mode) {
    case Mode::locked:
        return false;
    case Mode::detached:
        if (!m_hasPointer || std::hypot(at.x() - m_anchor.x(), at.y() - m_anchor.y()) <= reattachDistance)
            return false;
        cancelQuestions();
        break;
    case Mode::onLine:
        // Along the line the guide stays on it (the brackets follow).
        if (m_line && at.y() >= m_line->top() && at.y() <= m_line->bottom()) {
            m_at = QPointF(at.x(), m_line->top());
            m_place(m_at, m_line->height());
            return false;
        }
        break;
    case Mode::pointer:
        break;
    }
    if (m_mode != Mode::pointer)
        Q_EMIT guideTaken();
    m_mode = Mode::pointer;
    m_line.reset();
    m_at = at;
    if (m_asking) {
        m_asking = false;
        m_source->cancel();
    }
    m_reask.stop();
    if (snapping() && finite(at))
        m_rest.start();
    return true;
}

void LineGuide::pointerRested(const QPointF &at)
{
    if (!finite(at))
        return;
    m_restsReported = true;
    m_pointer = at;
    if (m_mode != Mode::pointer)
        return;
    m_at = at;
    if (m_asking) {
        m_asking = false;
        m_source->cancel();
    }
    m_rest.stop();
    rested();
}

void LineGuide::guideReleased()
{
    if (m_mode != Mode::pointer && m_mode != Mode::locked)
        followPointer();
}

void LineGuide::followPointer()
{
    if (m_mode != Mode::pointer)
        Q_EMIT guideTaken();
    cancelQuestions();
    m_mode = Mode::pointer;
    m_line.reset();
    if (!finite(m_pointer))
        return;
    m_at = m_pointer;
    m_place(m_at, 0);
    // Where rests are reported, the last one may be long gone: the next
    // report tells.
    if (snapping() && !m_restsReported)
        m_rest.start();
}

// Counted from where the pointer is now.
void LineGuide::detach()
{
    m_anchor = m_pointer;
    m_mode = Mode::detached;
}

void LineGuide::cancelQuestions()
{
    m_rest.stop();
    m_reask.stop();
    if ((m_asking || m_stepping) && m_source)
        m_source->cancel();
    m_asking = false;
    m_stepping = false;
    m_queuedSteps = 0;
    m_textOnly = false;
}

void LineGuide::setGuideEnabled(bool enabled)
{
    m_enabled = enabled;
    if (enabled)
        return;
    Q_EMIT guideTaken();
    cancelQuestions();
    m_mode = Mode::pointer;
    m_hasPointer = true;
    m_line.reset();
}

void LineGuide::startWithoutPointer(const QPointF &at)
{
    m_hasPointer = false;
    cancelQuestions();
    if (m_mode != Mode::locked)
        m_mode = Mode::detached;
    if (!m_line || !placeOnLine(*m_line)) {
        m_line.reset();
        m_at = at;
        m_place(at, 0);
    }
}

void LineGuide::placeAgain()
{
    if (m_mode != Mode::pointer)
        placeAgainAnyway();
}

void LineGuide::placeAgainAnyway()
{
    if (!finite(m_at))
        return;
    if (m_line)
        m_place(m_at, m_line->height());
    else
        m_place(m_at, 0);
}

bool LineGuide::placeOnLine(const QRectF &line)
{
    const double x = finite(m_at) ? m_at.x() : line.center().x();
    if (!line.isValid() || !m_place(QPointF(x, line.top()), line.height()))
        return false;
    m_at = QPointF(x, line.top());
    m_line = line;
    m_learnedHeight = line.height();
    return true;
}

// The line the guide stands on, or one as tall as the last line seen (else
// the guide's thickness) where the guide at the pointer's row marks one.
QRectF LineGuide::currentLine() const
{
    if (m_line)
        return *m_line;
    const double h = m_learnedHeight > 0 ? m_learnedHeight : m_settings.customThickness();
    return {m_at.x(), ReadingGuideView::lineTopAt(m_at.y(), h, m_settings), 1, h};
}

void LineGuide::step(int direction)
{
    if (direction == 0 || !finite(m_at))
        return;
    // A person's step takes the guide from reading aloud, as moving the
    // pointer does; without a pointer (sway) it is the only way to move it.
    Q_EMIT guideTaken();
    if (m_mode != Mode::detached || m_textOnly)
        cancelQuestions();
    detach();
    if (!snapping()) {
        // By height alone.
        const QRectF from = currentLine();
        placeOnLine(from.translated(0, sign(direction) * from.height()));
        return;
    }
    // One question at a time; a held key queues the steps after it.
    m_queuedSteps = std::clamp(m_queuedSteps + sign(direction), -maxQueuedSteps, maxQueuedSteps);
    if (!m_stepping)
        askStep();
}

void LineGuide::stepToText(int direction)
{
    if (!snapping() || direction == 0 || !finite(m_at)) {
        Q_EMIT textStepped(std::nullopt);
        return;
    }
    if (m_mode != Mode::detached)
        cancelQuestions();
    detach();
    m_textOnly = true;
    m_queuedSteps = sign(direction);
    if (!m_stepping)
        askStep();
}

void LineGuide::cancelTextStep()
{
    if (m_textOnly)
        cancelQuestions();
}

void LineGuide::askStep()
{
    if (m_queuedSteps == 0)
        return;
    m_stepping = true;
    m_stepFrom = currentLine();
    m_source->requestStep(m_stepFrom, sign(m_queuedSteps));
}

void LineGuide::stepAnswered(std::optional<QRectF> line)
{
    if (!m_stepping)
        return;
    m_stepping = false;
    const int direction = sign(m_queuedSteps);
    // Nothing there, or no progress: a line's height further.
    const bool progress = line && (direction > 0 ? line->center().y() > m_stepFrom.center().y()
                                                 : line->center().y() < m_stepFrom.center().y());
    if (m_textOnly) {
        m_textOnly = false;
        m_queuedSteps = 0;
        const bool placed = progress && placeOnLine(*line);
        Q_EMIT textStepped(placed ? line : std::nullopt);
        return;
    }
    if (!placeOnLine(progress ? *line : m_stepFrom.translated(0, direction * m_stepFrom.height()))) {
        m_queuedSteps = 0; // at the desktop's edge
        return;
    }
    m_queuedSteps -= direction;
    askStep();
}

void LineGuide::setLocked(bool locked)
{
    if (locked == isLocked())
        return;
    if (locked) {
        Q_EMIT guideTaken();
        cancelQuestions();
        m_mode = Mode::locked;
        // Where it stands: a guide the shell moves is held there now.
        placeAgainAnyway();
        return;
    }
    if (m_hasPointer) {
        followPointer();
    } else {
        m_mode = Mode::detached;
    }
}

void LineGuide::rested()
{
    m_reasks = 0;
    m_restClock.start();
    ask();
}

void LineGuide::ask()
{
    if (m_mode != Mode::pointer || !snapping() || !finite(m_pointer))
        return;
    m_asking = true;
    m_asked = m_pointer;
    m_source->requestLineAt(m_asked);
}

void LineGuide::lineAnswered(QPointF point, std::optional<QRectF> line)
{
    // The answer to the question out, or a late one for where the pointer
    // still rests (given after the source answered nothing in time).
    const bool late = !m_asking && m_mode == Mode::pointer && point == m_pointer;
    if ((!m_asking && !late) || point != m_asked)
        return;
    m_asking = false;
    if (!line && !late)
        askAgainLater();
    // No text there, or a box that misses the pointer: the guide stays at it.
    if (m_mode != Mode::pointer || !line || point.y() < line->top() || point.y() > line->bottom())
        return;
    m_reask.stop();
    if (placeOnLine(*line)) {
        m_mode = Mode::onLine;
        qCDebug(lcLineGuide).noquote()
            << QStringLiteral("on line %1 %2 at %3")
                   .arg(line->top())
                   .arg(line->height())
                   .arg(double(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count())
                            / 1e6,
                        0, 'f', 6);
    }
}

// Nothing there, or nothing in time: asked again while the pointer rests, a
// few times, each at its time after the rest began.
void LineGuide::askAgainLater()
{
    if (m_reasks >= reaskMs.size() || m_mode != Mode::pointer || m_pointer != m_asked)
        return;
    m_reask.start(int(std::max<qint64>(0, reaskMs[m_reasks++] - restMs - m_restClock.elapsed())));
}

void LineGuide::caretMoved(QRectF line)
{
    if (!m_enabled || !m_settings.followTextCursor() || m_mode == Mode::locked)
        return;
    cancelQuestions();
    if (placeOnLine(line)) {
        detach();
        Q_EMIT guideTaken();
    }
}
