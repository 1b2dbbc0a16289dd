#pragma once

// What shows the guide on the desktop, behind one interface, so that
// OverlayManager says what the guide does (stands here, on this line, shows,
// hides, with the magnifier) and never how. SurfacesPresenter places a
// DisplayGuide on each display itself (X11, layer-shell Wayland);
// ShellPresenter hands the desktop shell the guide's pictures and lets it
// move them (GNOME). OverlayManager picks one from platform::GuideOutput.

#include <QList>
#include <QObject>
#include <QPointF>

class DisplayGuide;

class GuidePresenter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Once, before the guide is first shown: the guide's pictures reach the
    // desktop, hidden.
    virtual void setUp() = 0;
    // Whether the guide moves only when told of pointer moves (a
    // MouseTracker's); false where the desktop moves it with the pointer.
    virtual bool needsPointerTracker() const = 0;

    // The guide at `at` (global coordinates), or with a line height (> 0) on
    // the line whose top is at.y(), on the display holding the line's middle.
    // A line on no display moves nothing and gives false.
    virtual bool place(const QPointF &at, double lineHeight) = 0;
    // The guide on (at the pointer) and off.
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void setMagnifierVisible(bool visible) = 0;

    // The displays changed. True when the guide was built anew and has to be
    // placed again where the line guide holds it.
    virtual bool displaysChanged() = 0;
    // A compositor started (true) or stopped.
    virtual void setCompositing(bool running) = 0;

    // The guide of each display, index i for display i at the last build;
    // none where the desktop shows the guide.
    virtual const QList<DisplayGuide *> &guides() const
    {
        static const QList<DisplayGuide *> none;
        return none;
    }

Q_SIGNALS:
    // Where Tovani's own magnifier window shows it: centred on the pointer
    // (global coordinates), and hidden.
    void magnifierShown(double x, double y);
    void magnifierHidden();
    // After a placement: the refresh rate of the display the guide stands
    // on, which paces the pointer tracker.
    void placedOn(double refreshRate);
};
