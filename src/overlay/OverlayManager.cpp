#include "overlay/OverlayManager.h"

#include "overlay/ShellPresenter.h"
#include "overlay/SurfacesPresenter.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

OverlayManager::OverlayManager(platform::Platform &platform, AppSettings &settings, QObject *parent)
    : QObject(parent), m_platform(platform), m_displays(platform.displays()), m_pointer(platform.pointer()),
      m_settings(settings),
      m_lines(settings, [this](const QPointF &at, double lineHeight) { return placeGuide(at, lineHeight); })
{
    // Every kind of output the platform may have has its presenter here, or
    // this does not compile.
    struct Pick
    {
        OverlayManager *m;
        bool compositing;
        std::unique_ptr<GuidePresenter> operator()(platform::GuideSurfaces *surfaces) const
        {
            return std::make_unique<SurfacesPresenter>(*surfaces, m->m_displays, m->m_pointer, m->m_settings,
                                                       compositing);
        }
        std::unique_ptr<GuidePresenter> operator()(platform::ShellGuide *shell) const
        {
            return std::make_unique<ShellPresenter>(*shell, m->m_displays, m->m_settings, m->m_lines);
        }
    };
    m_presenter = std::visit(Pick{this, platform.hasCompositor()}, platform.guideOutput());
    connect(m_presenter.get(), &GuidePresenter::magnifierShown, this, &OverlayManager::magnifierShown);
    connect(m_presenter.get(), &GuidePresenter::magnifierHidden, this, &OverlayManager::magnifierHidden);
    connect(m_presenter.get(), &GuidePresenter::placedOn, this, [this](double refreshRate) {
        if (m_mouseTracker) m_mouseTracker->setFrameRate(refreshRate);
    });
    connect(&m_displays, &platform::Displays::compositorChanged, m_presenter.get(),
            &GuidePresenter::setCompositing);
}

OverlayManager::~OverlayManager()
{
    m_mouseTracker.reset();
    // Before the line guide, which a presenter may still ask for its mode.
    m_presenter.reset();
}

void OverlayManager::setupOverlay()
{
    if (m_setUp) return;
    m_setUp = true;
    m_presenter->setUp();
    connect(&m_displays, &platform::Displays::displaysChanged, this, &OverlayManager::screensDidChange);
}

void OverlayManager::screensDidChange()
{
    if (m_presenter->displaysChanged()) m_lines.placeAgain();
}

void OverlayManager::setupMouseTracker()
{
    if (m_mouseTracker || !m_presenter->needsPointerTracker()) return;
    // The tracker belongs to this manager, so its callback never outlives it.
    m_mouseTracker =
        std::make_unique<MouseTracker>([this](double x, double y) { handleMouseMove(x, y); }, m_pointer);
}

void OverlayManager::handleMouseMove(double x, double y)
{
    if (m_lines.pointerMoved(QPointF(x, y))) placeGuide(QPointF(x, y), 0);
    if (m_settings.magnifierEnabled()) Q_EMIT magnifierMoved(x, y);
}

bool OverlayManager::placeGuide(const QPointF &at, double lineHeight)
{
    return m_presenter->place(at, lineHeight);
}

void OverlayManager::enableGuide()
{
    m_enabled = true;
    setupMouseTracker();
    if (m_mouseTracker) {
        m_mouseTracker->stopTracking();
        m_mouseTracker->startTracking();
    }
    m_lines.setGuideEnabled(true);
    m_presenter->show();
    // No pointer to follow here (some Wayland desktops): the guide waits
    // for steps, the lock and the text cursor in the window being read (the
    // focused one, a third of the way down, where its text is), or where the
    // platform knows none at the top of the main display's middle third.
    if (m_mouseTracker && !m_mouseTracker->isTracking()) {
        if (const std::optional<platform::WindowAtPoint> focused = m_platform.focusedWindow())
            m_lines.startWithoutPointer(
                QPointF(focused->frame.center().x(), focused->frame.top() + focused->frame.height() / 3));
        else if (const std::optional<platform::Display> main = m_displays.mainDisplay())
            m_lines.startWithoutPointer(
                QPointF(main->frame.center().x(), main->frame.top() + main->frame.height() / 3));
    }
    if (m_settings.magnifierEnabled()) setMagnifierVisible(true);
}

void OverlayManager::disableGuide()
{
    m_enabled = false;
    m_lines.setGuideEnabled(false);
    m_presenter->hide();
    setMagnifierVisible(false);
    if (m_mouseTracker) m_mouseTracker->stopTracking();
}

void OverlayManager::setMagnifierVisible(bool visible)
{
    m_presenter->setMagnifierVisible(visible);
}
