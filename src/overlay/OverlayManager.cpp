#include "overlay/OverlayManager.h"

#include "platform/Platform.h"
#include "settings/Settings.h"

#include <algorithm>

OverlayManager::OverlayManager(platform::Platform &platform, AppSettings &settings, QObject *parent)
    : QObject(parent), m_platform(platform), m_displays(platform.displays()), m_output(platform.guideOutput()),
      m_pointer(platform.pointer()), m_surfaces(platform.guideSurfaces()), m_settings(settings),
      m_compositing(platform.hasCompositor()),
      m_lines(settings, [this](const QPointF &at, double lineHeight) { return placeGuide(at, lineHeight); })
{
    connect(&m_displays, &platform::Displays::compositorChanged, this, &OverlayManager::compositorChanged);
}

OverlayManager::~OverlayManager()
{
    m_mouseTracker.reset();
    qDeleteAll(guides);
}

void OverlayManager::setupOverlay()
{
    if (m_setUp)
        return;
    m_setUp = true;
    // Every kind of output the platform may have is handled here, or this
    // does not compile.
    struct Show
    {
        OverlayManager *m;
        void operator()(platform::GuideSurfaces *) const
        {
            m->buildGuides(false);
            QObject::connect(&m->m_displays, &platform::Displays::displaysChanged, m, &OverlayManager::screensDidChange);
        }
        void operator()(platform::ShellGuide *shell) const
        {
            m->m_shellOverlay = std::make_unique<ShellOverlay>(*shell, m->m_displays, m->m_settings);
            m->m_shell = shell;
            // No move is seen here: the shell says where the pointer rests
            // and when it let go of the guide.
            LineGuide *lines = &m->m_lines;
            QObject::connect(shell, &platform::ShellGuide::pointerRested, m,
                             [lines](QPointF at) { lines->pointerRested(at); });
            QObject::connect(shell, &platform::ShellGuide::released, m, [lines] { lines->guideReleased(); });
        }
    };
    std::visit(Show{this}, m_output);
}

void OverlayManager::screensDidChange()
{
    releaseGuides();
    buildGuides(m_enabled);
    m_lines.placeAgain();
}

void OverlayManager::setupMouseTracker()
{
    if (m_mouseTracker || m_shellOverlay)
        return;
    // The tracker belongs to this manager, so its callback never outlives it.
    m_mouseTracker = std::make_unique<MouseTracker>([this](double x, double y) { handleMouseMove(x, y); }, m_pointer);
}

void OverlayManager::buildGuides(bool show)
{
    const QList<platform::Display> displays = m_displays.displays();
    for (const platform::Display &display : displays) {
        auto *guide = new DisplayGuide(display, m_settings, m_surfaces, m_compositing);
        guides.append(guide);
        // Each at its display's lower-left corner until the pointer moves.
        guide->setVisible(show);
    }
    m_surfaces.commit();
}

void OverlayManager::releaseGuides()
{
    qDeleteAll(guides);
    guides.clear();
    m_surfaces.commit();
}

void OverlayManager::handleMouseMove(double x, double y)
{
    if (m_lines.pointerMoved(QPointF(x, y)))
        placeGuide(QPointF(x, y), 0);
    if (m_settings.magnifierEnabled())
        Q_EMIT magnifierMoved(x, y);
}

bool OverlayManager::placeGuide(const QPointF &at, double lineHeight)
{
    if (m_shellOverlay)
        return placeShellGuide(at, lineHeight);
    // A line belongs to the display that holds its middle.
    const double y = lineHeight > 0 ? at.y() + lineHeight / 2 : at.y();
    const auto target = std::find_if(guides.cbegin(), guides.cend(), [&](const DisplayGuide *guide) {
        return platform::holds(guide->display().frame, QPointF(at.x(), y));
    });
    // A line off every display leaves the guide where it is.
    if (lineHeight > 0 && target == guides.cend())
        return false;
    for (auto it = guides.cbegin(); it != guides.cend(); ++it) {
        DisplayGuide *guide = *it;
        if (it != target) {
            guide->setVisible(false);
            continue;
        }
        guide->moveTo(at, lineHeight);
        if (m_enabled)
            guide->setVisible(true);
        if (m_mouseTracker)
            m_mouseTracker->setFrameRate(guide->display().refreshRate);
    }
    // Every surface moved in this frame reaches the window system together.
    m_surfaces.commit();
    return target != guides.cend();
}

// The shell holds the guide, or lets it follow the pointer, once the line
// guide has settled what it does with this placement (its mode comes after).
bool OverlayManager::placeShellGuide(const QPointF &at, double lineHeight)
{
    if (!m_shell->canHold())
        return false;
    const QList<platform::Display> displays = m_displays.displays();
    const bool onDisplay = std::any_of(displays.cbegin(), displays.cend(), [&](const platform::Display &d) {
                                           return platform::holds(d.frame, QPointF(at.x(), at.y() + lineHeight / 2));
                                       });
    if (!onDisplay)
        return false;
    m_shellAt = at;
    m_shellLineHeight = lineHeight;
    if (!m_shellPending) {
        m_shellPending = true;
        QMetaObject::invokeMethod(this, &OverlayManager::syncShellGuide, Qt::QueuedConnection);
    }
    return true;
}

void OverlayManager::syncShellGuide()
{
    m_shellPending = false;
    using Until = platform::ShellGuide::Until;
    switch (m_lines.mode()) {
    case LineGuide::Mode::pointer:
        m_shellOverlay->follow();
        return;
    case LineGuide::Mode::onLine:
        m_shellOverlay->hold(m_shellAt, m_shellLineHeight, Until::LeftLine);
        return;
    case LineGuide::Mode::detached:
        m_shellOverlay->hold(m_shellAt, m_shellLineHeight, Until::Moved);
        return;
    case LineGuide::Mode::locked:
        m_shellOverlay->hold(m_shellAt, m_shellLineHeight, Until::Released);
        return;
    }
}

void OverlayManager::enableGuide()
{
    m_enabled = true;
    if (m_shellOverlay) {
        m_lines.setGuideEnabled(true);
        m_shellOverlay->setVisible(true);
        if (m_settings.magnifierEnabled())
            setMagnifierVisible(true);
        return;
    }
    if (!m_mouseTracker)
        setupMouseTracker();
    m_mouseTracker->stopTracking();
    m_mouseTracker->startTracking();
    m_lines.setGuideEnabled(true);

    const QPointF location = m_pointer.position();
    for (DisplayGuide *guide : std::as_const(guides)) {
        if (platform::holds(guide->display().frame, location)) {
            guide->setVisible(true);
            break;
        }
    }
    m_surfaces.commit();
    // No pointer to follow here (some Wayland desktops): the guide waits
    // for steps, the lock and the text cursor in the window being read (the
    // focused one, a third of the way down, where its text is), or where the
    // platform knows none at the top of the main display's middle third.
    if (!m_mouseTracker->isTracking()) {
        if (const std::optional<platform::WindowAtPoint> focused = m_platform.focusedWindow())
            m_lines.startWithoutPointer(
                QPointF(focused->frame.center().x(), focused->frame.top() + focused->frame.height() / 3));
        else if (const std::optional<platform::Display> main = m_displays.mainDisplay())
            m_lines.startWithoutPointer(
                QPointF(main->frame.center().x(), main->frame.top() + main->frame.height() / 3));
    }
    if (m_settings.magnifierEnabled())
        setMagnifierVisible(true);
}

void OverlayManager::disableGuide()
{
    m_enabled = false;
    if (m_shellOverlay)
        m_shellOverlay->setVisible(false);
    m_lines.setGuideEnabled(false);
    if (m_shellOverlay)
        m_shellOverlay->follow();
    for (DisplayGuide *guide : std::as_const(guides))
        guide->setVisible(false);
    m_surfaces.commit();
    setMagnifierVisible(false);
    if (m_mouseTracker)
        m_mouseTracker->stopTracking();
}

void OverlayManager::setMagnifierVisible(bool visible)
{
    if (m_shellOverlay) {
        m_shellOverlay->setMagnifierVisible(visible);
    } else if (visible) {
        // Centred on the pointer now rather than where it was last.
        const QPointF pointer = m_pointer.position();
        Q_EMIT magnifierShown(pointer.x(), pointer.y());
    } else {
        Q_EMIT magnifierHidden();
    }
}

void OverlayManager::compositorChanged(bool running)
{
    m_compositing = running;
    for (DisplayGuide *guide : std::as_const(guides))
        guide->setCompositing(running);
    m_surfaces.commit();
}
