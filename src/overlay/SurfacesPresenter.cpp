#include "overlay/SurfacesPresenter.h"

#include "platform/Platform.h"

#include <algorithm>

SurfacesPresenter::SurfacesPresenter(platform::GuideSurfaces &surfaces, platform::Displays &displays,
                                     platform::PointerMonitor &pointer, AppSettings &settings,
                                     bool compositing, QObject *parent)
    : GuidePresenter(parent), m_surfaces(surfaces), m_displays(displays), m_pointer(pointer),
      m_settings(settings), m_compositing(compositing)
{
}

SurfacesPresenter::~SurfacesPresenter()
{
    qDeleteAll(m_guides);
}

void SurfacesPresenter::setUp()
{
    build(false);
}

bool SurfacesPresenter::displaysChanged()
{
    qDeleteAll(m_guides);
    m_guides.clear();
    m_surfaces.commit();
    build(m_shown);
    return true;
}

void SurfacesPresenter::build(bool show)
{
    const QList<platform::Display> displays = m_displays.displays();
    for (const platform::Display &display : displays) {
        auto *guide = new DisplayGuide(display, m_settings, m_surfaces, m_compositing);
        m_guides.append(guide);
        // Each at its display's lower-left corner until the pointer moves.
        guide->setVisible(show);
    }
    m_surfaces.commit();
}

bool SurfacesPresenter::place(const QPointF &at, double lineHeight)
{
    // A line belongs to the display that holds its middle.
    const double y = lineHeight > 0 ? at.y() + lineHeight / 2 : at.y();
    const auto target = std::find_if(m_guides.cbegin(), m_guides.cend(), [&](const DisplayGuide *guide) {
        return platform::holds(guide->display().frame, QPointF(at.x(), y));
    });
    // A line off every display leaves the guide where it is.
    if (lineHeight > 0 && target == m_guides.cend()) return false;
    for (auto it = m_guides.cbegin(); it != m_guides.cend(); ++it) {
        DisplayGuide *guide = *it;
        if (it != target) {
            guide->setVisible(false);
            continue;
        }
        guide->moveTo(at, lineHeight);
        if (m_shown) guide->setVisible(true);
        Q_EMIT placedOn(guide->display().refreshRate);
    }
    // Every surface moved in this frame reaches the window system together.
    m_surfaces.commit();
    return target != m_guides.cend();
}

void SurfacesPresenter::show()
{
    m_shown = true;
    const QPointF location = m_pointer.position();
    for (DisplayGuide *guide : std::as_const(m_guides)) {
        if (platform::holds(guide->display().frame, location)) {
            guide->setVisible(true);
            break;
        }
    }
    m_surfaces.commit();
}

void SurfacesPresenter::hide()
{
    m_shown = false;
    for (DisplayGuide *guide : std::as_const(m_guides))
        guide->setVisible(false);
    m_surfaces.commit();
}

void SurfacesPresenter::setMagnifierVisible(bool visible)
{
    if (visible) {
        // Centred on the pointer now rather than where it was last.
        const QPointF pointer = m_pointer.position();
        Q_EMIT magnifierShown(pointer.x(), pointer.y());
    } else {
        Q_EMIT magnifierHidden();
    }
}

void SurfacesPresenter::setCompositing(bool running)
{
    m_compositing = running;
    for (DisplayGuide *guide : std::as_const(m_guides))
        guide->setCompositing(running);
    m_surfaces.commit();
}
