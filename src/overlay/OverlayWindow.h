#pragma once

// One transparent, click-through, always-on-top window covering one display,
// in which the reading guide is drawn.

#include "overlay/ReadingGuideView.h"

#include <QImage>
#include <QRectF>
#include <QWidget>

class AppSettings;

class OverlayWindow : public QWidget
{
    Q_OBJECT
public:
    // qtGeometry: the display's rectangle in Qt's logical coordinates.
    OverlayWindow(const QRect &qtGeometry, AppSettings &settings, QWidget *parent = nullptr);

    // Makes the window an overlay: frameless, above every normal window on
    // every desktop, no taskbar entry, never focused, no shadow, and
    // transparent to input so every click and scroll reaches what lies
    // beneath. Installs the guide at the lower-left corner, where it stays
    // until the pointer first moves over this display.
    void setupAsOverlay();

    // Moves the guide to a window-local position in points (origin at the
    // top-left corner, y down). Repaints only what the old and the new guide
    // cover. Does nothing before setupAsOverlay().
    void updateGuidePosition(double x, double y);

    // With a compositor the window is translucent and blends with what lies
    // beneath. Without one, translucent pixels would show as black: the window
    // is then cut down to the guide's own pixels, drawn at full opacity.
    void setCompositing(bool compositing);
    bool isCompositing() const { return m_compositing; }

    // The guide view currently shown, if set up.
    const ReadingGuideView *guideView() const { return m_hasGuide ? &m_view : nullptr; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void settingsChanged();
    void updateShape();
    QRect shapedArea(const ReadingGuideView &view) const;

    AppSettings &m_settings;
    ReadingGuideView m_view;
    bool m_hasGuide = false;
    bool m_compositing = true;
    // Without a compositor: the guide's pixels around the cursor line, made
    // opaque, and where they sit in the window.
    QImage m_shaped;
    QPoint m_shapedOrigin;
};
