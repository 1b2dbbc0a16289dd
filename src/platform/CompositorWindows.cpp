#include "platform/CompositorWindows.h"

#include <QCoreApplication>

#include <cmath>

namespace platform {

namespace {
constexpr qreal maxCoordinate = 1 << 20;
}

bool CompositorWindows::plausible(qreal coordinate)
{
    return std::isfinite(coordinate) && std::abs(coordinate) <= maxCoordinate;
}

bool CompositorWindows::plausible(const QRectF &rect)
{
    return plausible(rect.x()) && plausible(rect.y()) && plausible(rect.width()) && plausible(rect.height()) &&
           rect.width() >= 0 && rect.height() >= 0;
}

void CompositorWindows::setWindows(QList<CompositorWindow> windows)
{
    if (windows.size() > maxWindows)
        windows.resize(maxWindows);
    m_windows = std::move(windows);
}

void CompositorWindows::update(const CompositorWindow &window)
{
    for (CompositorWindow &known : m_windows) {
        if (known.id == window.id) {
            known = window;
            return;
        }
    }
    if (m_windows.size() < maxWindows)
        m_windows.append(window);
}

std::optional<WindowAtPoint> CompositorWindows::windowAt(const QPointF &point) const
{
    if (m_asked)
        m_asked();
    const CompositorWindow *top = nullptr;
    for (const CompositorWindow &w : m_windows) {
        if (holds(w.frame, point) && (!top || w.stacking >= top->stacking))
            top = &w;
    }
    return top ? answer(*top) : std::nullopt;
}

std::optional<WindowAtPoint> CompositorWindows::focusedWindow() const
{
    if (m_asked)
        m_asked();
    for (const CompositorWindow &w : m_windows) {
        if (w.active)
            return answer(w);
    }
    return std::nullopt;
}

// Nothing for one of Tovani's own windows: its text is never asked for.
std::optional<WindowAtPoint> CompositorWindows::answer(const CompositorWindow &window)
{
    if (window.pid <= 0 || window.pid == QCoreApplication::applicationPid())
        return std::nullopt;
    return WindowAtPoint::onSurface(window.pid, window.frame, window.surface);
}

} // namespace platform
