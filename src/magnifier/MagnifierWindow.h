#pragma once

// The magnifier: a click-through window centred on the pointer that shows an
// enlarged picture of the screen around it, framed in the guide colour.
//
// MagnifierView paints the content (pure, into any QPainter); the capture
// engine asks the platform for pictures; MagnifierWindow places the window and
// paces the captures: one capture in flight at a time, and while it runs only
// the latest pointer position is remembered and captured next, so a fast mouse
// never builds a backlog and the last position is always the one shown.

#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

// The magnifier's content: the picture filling width x height points, clipped
// to a rounded rectangle and framed in the guide colour; without a picture a
// dark panel with a caption (none while the first picture is on its way).
class MagnifierView
{
public:
    // Captions when no picture can ever be taken: outside an X11 session,
    // and when the X server cannot give one. Elsewhere the platform says why
    // (Platform::capability()).
    static QString needsX11Text();    // "Needs an X11 session"
    static QString unavailableText(); // "Screen capture unavailable"
    static constexpr double cornerRadius = 6;
    static constexpr double frameWidth = 2;

    MagnifierView(const QImage &capturedImage, double width, double height, const AppSettings &settings,
                  const QString &placeholder = QString())
        : capturedImage(capturedImage), width(width), height(height), settings(&settings), placeholder(placeholder)
    {
    }

    // Paints the content, width x height points, centred in a transparent
    // surface of `area` points (y down, origin top-left).
    void paint(QPainter &painter, const QSizeF &area) const;

    QImage capturedImage; // null: the placeholder
    double width;
    double height;
    const AppSettings *settings;
    QString placeholder;
};

// Takes the magnifier's pictures through the platform's screen capture.
class ScreenCaptureEngine : public QObject
{
    Q_OBJECT
public:
    // What one capture asks of the platform: the source area in global
    // coordinates (points) and the picture's size in pixels.
    struct Request
    {
        QRectF source;
        QSize pixels;
    };
    // The area of displayWidth / zoom x displayHeight / zoom points centred on
    // `center`, to be delivered at twice the point size in pixels (zoom is a
    // setting, so in range). Nothing for sizes that are not finite and
    // positive, a centre that is not finite, or a picture too large to hold.
    static std::optional<Request> captureRequest(const QPointF &center, double displayWidth, double displayHeight,
                                                 double zoom);
    static constexpr int maximumPixels = 16384; // per side

    explicit ScreenCaptureEngine(std::unique_ptr<platform::ScreenCapture> backend, QObject *parent = nullptr);
    ~ScreenCaptureEngine() override;

    // Prepares the platform's capture. On failure prints "Failed to setup
    // screen capture: <reason>" on standard output, once, and every later
    // capture is refused.
    bool setup();
    bool isReady() const { return m_ready; }
    QString setupError() const { return m_setupError; }

    // Starts one capture; the picture arrives as captured(id, image), a null
    // image when it failed. Returns the capture's id (ids grow), or 0 when no
    // capture was started.
    quint64 captureRect(const QPointF &center, double displayWidth, double displayHeight, double zoom, WId exclude);

Q_SIGNALS:
    void captured(quint64 requestId, QImage image);

private:
    std::unique_ptr<platform::ScreenCapture> m_backend;
    bool m_ready = false;
    QString m_setupError;
    quint64 m_lastId = 0;
};

class MagnifierWindow : public QWidget
{
    Q_OBJECT
public:
    // A hidden window with the placeholder content; call setupAsMagnifier().
    // Displays and screen capture come from `platform`.
    MagnifierWindow(platform::Platform &platform, AppSettings &settings, QWidget *parent = nullptr);
    ~MagnifierWindow() override;

    // What keeps the magnifier from showing the screen on `platform`, in the
    // words of its caption; empty when nothing does. May set up a capture of
    // its own to find out.
    static QString captureProblem(platform::Platform &platform);

    // Makes the window a frameless, click-through, always-on-top, translucent
    // tool window, installs the placeholder view and prepares the capture
    // engine on the next turn of the event loop.
    void setupAsMagnifier();

    // Centres the window on the pointer (global coordinates) with the size the
    // settings give, and captures the area around it.
    void updatePosition(double x, double y);
    // The same, and shows the window where the platform can magnify. Where
    // the desktop draws the magnifier (Platform::desktopMagnifier()), there
    // is no window: the desktop's is switched on with the size and zoom of
    // the settings, and follows them while it is on.
    void showAt(double x, double y);
    // Hides the window, or switches the desktop's magnifier off.
    void hideMagnifier();

    // Longest wait for a capture before the next one may start (a capture that
    // arrives later still shows, unless a newer picture is already there).
    static constexpr int captureTimeoutMs = 1000;

    // Inspection, for tests.
    QPointF currentPosition() const { return m_currentPosition; }
    const MagnifierView &view() const { return m_view; }
    ScreenCaptureEngine *captureEngine() const { return m_captureEngine.get(); }
    bool isCaptureInFlight() const { return m_inFlight != 0; }
    // The window's frame in global coordinates.
    QRectF globalFrame() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct CaptureArea
    {
        QPointF point;
        double width;
        double height;
    };

    void setupCaptureEngine();
    void captureAndUpdate(const QPointF &point, double width, double height);
    void startPendingCapture();
    void captureFinished(quint64 requestId, const QImage &image);
    // The window's size for the settings, in points; none for a size no
    // display could show.
    std::optional<QSizeF> magnifierSize() const;
    void updateDesktopMagnifier();

    platform::Platform &m_platform;
    AppSettings &m_settings;
    MagnifierView m_view;
    QPointF m_currentPosition;
    std::unique_ptr<ScreenCaptureEngine> m_captureEngine;

    std::optional<CaptureArea> m_pending; // the latest position not yet captured
    quint64 m_inFlight = 0;               // id of the capture running, 0 for none
    quint64 m_lastShown = 0;              // id of the picture on show
    QHash<quint64, QSizeF> m_requestedSizes;
    QTimer m_captureTimeout;
    std::optional<bool> m_canShow; // the platform can magnify, once asked
    bool m_desktopShown = false;   // the desktop's magnifier is on
};
