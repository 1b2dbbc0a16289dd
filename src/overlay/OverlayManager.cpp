#include "overlay/OverlayManager.h"

#include "platform/Platform.h"
#include "settings/Settings.h"

namespace {
// Half-open: a display holds the points with left <= x < right and
// top < y <= bottom. A point on its right edge belongs to the display beside
// it, one on its top edge to the display above, so the desktop's topmost
// pixel row belongs to no display and the guide hides there.
bool frameContains(const QRectF &frame, double x, double y)
{
    return frame.left() <= x && x < frame.left() + frame.width() && frame.top() < y &&
           y <= frame.top() + frame.height();
}
} // namespace

OverlayManager::OverlayManager(platform::Platform &platform, AppSettings &settings, QObject *parent)
    : QObject(parent), m_displays(platform.displays()), m_pointer(platform.pointer()),
      m_surfaces(platform.guideSurfaces()), m_settings(settings), m_compositing(platform.hasCompositor())
{
    connect(&m_displays, &platform::Displays::compositorChanged, this, &OverlayManager::compositorChanged);
}

OverlayManager::OverlayManager(QObject *parent)
    : OverlayManager(platform::Platform::instance(), AppSettings::shared(), parent)
{
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
    buildGuides(false);
    connect(&m_displays, &platform::Displays::displaysChanged, this, &OverlayManager::screensDidChange);
}

void OverlayManager::screensDidChange()
{
    releaseGuides();
    buildGuides(m_enabled);
}

void OverlayManager::setupMouseTracker()
{
    if (m_mouseTracker)
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
    for (DisplayGuide *guide : std::as_const(guides)) {
        if (frameContains(guide->display().frame, x, y)) {
            guide->moveTo(QPointF(x, y));
            if (m_enabled)
                guide->setVisible(true);
            if (m_mouseTracker)
                m_mouseTracker->setFrameRate(guide->display().refreshRate);
        } else {
            guide->setVisible(false);
        }
    }
    // Every surface moved in this frame reaches the window system together.
    m_surfaces.commit();
    if (m_settings.magnifierEnabled() && magnifierUpdatePosition)
        magnifierUpdatePosition(x, y);
}

void OverlayManager::enableGuide()
{
    m_enabled = true;
    if (!m_mouseTracker)
        setupMouseTracker();
    m_mouseTracker->stopTracking();
    m_mouseTracker->startTracking();

    const QPointF location = m_pointer.position();
    for (DisplayGuide *guide : std::as_const(guides)) {
        if (frameContains(guide->display().frame, location.x(), location.y())) {
            guide->setVisible(true);
            break;
        }
    }
    m_surfaces.commit();
    if (m_settings.magnifierEnabled() && magnifierShow)
        magnifierShow();
}

void OverlayManager::disableGuide()
{
    m_enabled = false;
    for (DisplayGuide *guide : std::as_const(guides))
        guide->setVisible(false);
    m_surfaces.commit();
    if (magnifierHide)
        magnifierHide();
    if (m_mouseTracker)
        m_mouseTracker->stopTracking();
}

void OverlayManager::compositorChanged(bool running)
{
    m_compositing = running;
    for (DisplayGuide *guide : std::as_const(guides))
        guide->setCompositing(running);
    m_surfaces.commit();
}
