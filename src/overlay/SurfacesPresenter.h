#pragma once

// The guide on surfaces Tovani places itself (platform::GuideSurfaces: X11,
// layer-shell Wayland): one DisplayGuide per display, built again when the
// displays change. Only the guide of the display under the pointer shows;
// everything a placement moves reaches the window system in one commit.
// The magnifier is Tovani's own window, told through magnifierShown() and
// magnifierHidden().

#include "overlay/DisplayGuide.h"
#include "overlay/GuidePresenter.h"

class AppSettings;

namespace platform {
class Displays;
class GuideSurfaces;
class PointerMonitor;
} // namespace platform

class SurfacesPresenter : public GuidePresenter
{
    Q_OBJECT
public:
    // With a compositor running (`compositing`) or not.
    SurfacesPresenter(platform::GuideSurfaces &surfaces, platform::Displays &displays,
                      platform::PointerMonitor &pointer, AppSettings &settings, bool compositing,
                      QObject *parent = nullptr);
    ~SurfacesPresenter() override;

    // One hidden guide per display.
    void setUp() override;
    bool needsPointerTracker() const override { return true; }
    // Hides the guides of the other displays.
    bool place(const QPointF &at, double lineHeight) override;
    // Shows the guide of the display under the pointer.
    void show() override;
    void hide() override;
    void setMagnifierVisible(bool visible) override;
    // Hides and releases every guide, then builds one per display again,
    // all shown while the guide is on.
    bool displaysChanged() override;
    void setCompositing(bool running) override;
    const QList<DisplayGuide *> &guides() const override { return m_guides; }

private:
    void build(bool show);

    platform::GuideSurfaces &m_surfaces;
    platform::Displays &m_displays;
    platform::PointerMonitor &m_pointer;
    AppSettings &m_settings;
    bool m_compositing;
    bool m_shown = false;
    QList<DisplayGuide *> m_guides;
};
