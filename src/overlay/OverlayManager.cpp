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
    : QObject(parent), m_displays(platform.displays()), m_pointer(platform.pointer()), m_settings(settings),
      m_compositing(platform.hasCompositor())
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
    qDeleteAll(overlayWindows);
}

void OverlayManager::setupOverlay()
{
    if (m_setUp)
        return;
    m_setUp = true;
    buildWindows(false);
    connect(&m_displays, &platform::Displays::displaysChanged, this, &OverlayManager::screensDidChange);
}

void OverlayManager::screensDidChange()
{
    releaseWindows();
    buildWindows(m_enabled);
}

void OverlayManager::setupMouseTracker()
{
    if (m_mouseTracker)
        return;
    // The tracker belongs to this manager, so its callback never outlives it.
    m_mouseTracker = std::make_unique<MouseTracker>([this](double x, double y) { handleMouseMove(x, y); }, m_pointer);
}

void OverlayManager::buildWindows(bool show)
{
    const QList<platform::Display> displays = m_displays.displays();
    for (const platform::Display &display : displays) {
        auto *window = new OverlayWindow(display.frame.toAlignedRect(), m_settings);
        window->setupAsOverlay();
        window->setCompositing(m_compositing);
        overlayWindows.append(window);
        overlayFrames.append(display.frame);
        if (show)
            window->show();
    }
}

void OverlayManager::releaseWindows()
{
    for (OverlayWindow *window : std::as_const(overlayWindows)) {
        window->hide();
        window->deleteLater();
    }
    overlayWindows.clear();
    overlayFrames.clear();
}

void OverlayManager::handleMouseMove(double x, double y)
{
    const QList<platform::Display> displays = m_displays.displays();
    for (qsizetype i = 0; i < displays.size(); ++i) {
        if (i >= overlayWindows.size())
            continue;
        OverlayWindow *window = overlayWindows[i];
        const QRectF &frame = displays[i].frame;
        if (frameContains(frame, x, y)) {
            // Window-local: relative to the window's own frame (the display's
            // frame when it was built).
            const QRectF &own = overlayFrames[i];
            window->updateGuidePosition(x - own.left(), y - own.top());
            if (m_enabled && !window->isVisible())
                window->show();
        } else if (window->isVisible()) {
            window->hide();
        }
    }
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
    const QList<platform::Display> displays = m_displays.displays();
    for (qsizetype i = 0; i < displays.size() && i < overlayWindows.size(); ++i) {
        if (frameContains(displays[i].frame, location.x(), location.y())) {
            overlayWindows[i]->show();
            break;
        }
    }
    if (m_settings.magnifierEnabled() && magnifierShow)
        magnifierShow();
}

void OverlayManager::disableGuide()
{
    m_enabled = false;
    for (OverlayWindow *window : std::as_const(overlayWindows))
        window->hide();
    if (magnifierHide)
        magnifierHide();
    if (m_mouseTracker)
        m_mouseTracker->stopTracking();
}

void OverlayManager::compositorChanged(bool running)
{
    m_compositing = running;
    for (OverlayWindow *window : std::as_const(overlayWindows))
        window->setCompositing(running);
}
