#pragma once

// The other applications' windows as a Wayland compositor last described
// them, for Platform::windowAt() and focusedWindow(): no Wayland protocol
// tells a client where any window is, so a backend that hears it from the
// compositor (KWin's script, sway's IPC socket) keeps it here, and questions
// are answered from memory, never with a round trip to the compositor.

#include "platform/Platform.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

namespace platform {

struct CompositorWindow
{
    QString id;    // the compositor's name for it, unique while it lives
    qint64 pid = 0;
    QRectF frame;  // global coordinates, with what the compositor draws round it
    QPointF surface; // global coordinates: where the client's surface begins
    bool active = false; // has the keyboard focus
    int stacking = 0;    // higher is above
};

class CompositorWindows
{
public:
    // More than any real desktop shows: a sender that claims more is at
    // fault, and the windows past this many are dropped.
    static constexpr int maxWindows = 1000;

    // Replaces every window.
    void setWindows(QList<CompositorWindow> windows);
    // One window changed: the known one of that id is replaced, a new one
    // added while there is room.
    void update(const CompositorWindow &window);
    void clear() { m_windows.clear(); }
    const QList<CompositorWindow> &windows() const { return m_windows; }

    // The topmost window that holds `point`; nothing when that is one of
    // Tovani's own.
    std::optional<WindowAtPoint> windowAt(const QPointF &point) const;
    std::optional<WindowAtPoint> focusedWindow() const;
    // Called as either is asked, before it answers: for a backend whose
    // compositor does not say when every window moves (sway), to ask again
    // for the next question.
    void setAskedHook(std::function<void()> hook) { m_asked = std::move(hook); }

    // A coordinate no desktop reaches: a larger one is a fault of the sender.
    static bool plausible(const QRectF &rect);
    static bool plausible(qreal coordinate);

private:
    static std::optional<WindowAtPoint> answer(const CompositorWindow &window);

    QList<CompositorWindow> m_windows;
    std::function<void()> m_asked;
};

} // namespace platform
