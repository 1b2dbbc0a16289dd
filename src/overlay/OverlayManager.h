#pragma once

// The guide of each display, the pointer tracker, and the handler that places
// the guide: only the guide of the display under the pointer is shown, at the
// pointer, or where the line guide (LineGuide) holds it: on a line of text,
// stepped, locked. The application owns one manager and calls setupOverlay() once at
// start, setupMouseTracker() after the magnifier exists, and
// enableGuide()/disableGuide() from its toggle command. What shows the guide
// is a GuidePresenter, picked once from platform::GuideOutput: surfaces
// placed here (SurfacesPresenter), or the desktop shell, which moves the
// guide and shows the magnifier itself (ShellPresenter).

#include "overlay/DisplayGuide.h"
#include "overlay/GuidePresenter.h"
#include "overlay/LineGuide.h"
#include "overlay/MouseTracker.h"

#include <QList>
#include <QObject>
#include <QRectF>

#include <memory>

class AppSettings;

namespace platform {
class Displays;
class Platform;
class PointerMonitor;
} // namespace platform

class OverlayManager : public QObject
{
    Q_OBJECT
public:
    // On the given platform's displays and pointer.
    OverlayManager(platform::Platform &platform, AppSettings &settings, QObject *parent = nullptr);
    ~OverlayManager() override;

    // Hands the presenter's guide, hidden, to the desktop (one guide per
    // display, or the shell's pictures) and follows display changes
    // (screensDidChange). Once.
    void setupOverlay();
    // Tells the presenter that the displays changed; where it built the
    // guide anew, places it again where the line guide holds it.
    void screensDidChange();
    // Creates the idle tracker that feeds handleMouseMove(), at most once per
    // frame of the display under the pointer. Once; none where the shell
    // follows the pointer itself.
    void setupMouseTracker();

    // A pointer position in global coordinates.
    void handleMouseMove(double x, double y);
    // Shows the guide of the display holding `at` there, and hides the others;
    // with a line height (> 0) on the line whose top is at.y(), on the display
    // holding the line's middle. A line on no display moves nothing and
    // returns false.
    bool placeGuide(const QPointF &at, double lineHeight);

    // Snapping to lines, steps, the lock, the text cursor.
    LineGuide &lineGuide() { return m_lines; }

    // Switches the guide on: (re)starts tracking, shows the guide of the
    // display under the pointer, and the magnifier if its setting is on.
    void enableGuide();
    // Hides every guide and the magnifier, and stops tracking.
    void disableGuide();
    bool isEnabled() const { return m_enabled; }

    // Shows or hides the magnifier: the shell's where the shell shows the
    // guide, else the magnifier window, through the signals below.
    void setMagnifierVisible(bool visible);

    // Index i belongs to display i of the list at the last build; empty where
    // the shell shows the guide.
    const QList<DisplayGuide *> &guides() const { return m_presenter->guides(); }
    MouseTracker *mouseTracker() const { return m_mouseTracker.get(); }

Q_SIGNALS:
    // For the magnifier window: show it centred on the pointer (global
    // coordinates), follow the pointer while the magnifier setting is on,
    // hide it.
    void magnifierShown(double x, double y);
    void magnifierMoved(double x, double y);
    void magnifierHidden();

private:
    platform::Platform &m_platform;
    platform::Displays &m_displays;
    platform::PointerMonitor &m_pointer;
    AppSettings &m_settings;
    bool m_enabled = false;
    bool m_setUp = false;
    std::unique_ptr<MouseTracker> m_mouseTracker;
    LineGuide m_lines;
    std::unique_ptr<GuidePresenter> m_presenter; // never null
};
