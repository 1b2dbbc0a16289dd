#include "overlay/ShellPresenter.h"

#include "overlay/LineGuide.h"

#include <algorithm>

ShellPresenter::ShellPresenter(platform::ShellGuide &shell, platform::Displays &displays,
                               AppSettings &settings, LineGuide &lines, QObject *parent)
    : GuidePresenter(parent), m_shell(shell), m_displays(displays), m_settings(settings), m_lines(lines)
{
}

ShellPresenter::~ShellPresenter() = default;

void ShellPresenter::setUp()
{
    m_overlay = std::make_unique<ShellOverlay>(m_shell, m_displays, m_settings);
    // No move is seen here: the shell says where the pointer rests and when
    // it let go of the guide.
    connect(&m_shell, &platform::ShellGuide::pointerRested, &m_lines, &LineGuide::pointerRested);
    connect(&m_shell, &platform::ShellGuide::released, &m_lines, &LineGuide::guideReleased);
}

// The shell holds the guide, or lets it follow the pointer, once the line
// guide has settled what it does with this placement (its mode comes after).
bool ShellPresenter::place(const QPointF &at, double lineHeight)
{
    if (!m_shell.canHold()) return false;
    const QList<platform::Display> displays = m_displays.displays();
    const bool onDisplay = std::any_of(displays.cbegin(), displays.cend(), [&](const platform::Display &d) {
        return platform::holds(d.frame, QPointF(at.x(), at.y() + lineHeight / 2));
    });
    if (!onDisplay) return false;
    m_at = at;
    m_lineHeight = lineHeight;
    if (!m_pending) {
        m_pending = true;
        QMetaObject::invokeMethod(this, &ShellPresenter::sync, Qt::QueuedConnection);
    }
    return true;
}

void ShellPresenter::sync()
{
    m_pending = false;
    if (!m_overlay) return;
    using Until = platform::ShellGuide::Until;
    switch (m_lines.mode()) {
    case LineGuide::Mode::pointer:
        m_overlay->follow();
        return;
    case LineGuide::Mode::onLine:
        m_overlay->hold(m_at, m_lineHeight, Until::LeftLine);
        return;
    case LineGuide::Mode::detached:
        m_overlay->hold(m_at, m_lineHeight, Until::Moved);
        return;
    case LineGuide::Mode::locked:
        m_overlay->hold(m_at, m_lineHeight, Until::Released);
        return;
    }
}

void ShellPresenter::show()
{
    if (m_overlay) m_overlay->setVisible(true);
}

void ShellPresenter::hide()
{
    if (!m_overlay) return;
    m_overlay->setVisible(false);
    m_overlay->follow();
}

void ShellPresenter::setMagnifierVisible(bool visible)
{
    if (m_overlay) m_overlay->setMagnifierVisible(visible);
}
