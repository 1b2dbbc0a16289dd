#pragma once

// Short heads-up messages ("Ruler", "9px") confirming commands that people
// usually trigger blind through a global shortcut: a dark rounded panel with a
// symbol and one line of text, shown above the centre of the main display for
// one second and then faded out.

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

#include <chrono>
#include <memory>

class QPainter;
class HUDSurface;

namespace platform {
class Platform;
}


// The panel's content: a symbol above one line of text on a rounded,
// translucent black panel. A plain value; paint() draws it into any QPainter,
// so it renders the same into a window and into a test image.
//
// Sizes are in points (Qt logical pixels): the symbol is drawn in a
// symbolSize() box (the extent of a 28 pt medium-weight symbol glyph), the
// text in the application font at 14 px medium, both white; 8 points between
// them, 20 points of padding left and right, 16 on top and bottom, a minimum
// panel width of 150, and a corner radius of 16.
class HUDView
{
public:
    HUDView() = default;
    // An empty or unknown icon name shows the text alone.
    HUDView(QString message, QString icon = QString());

    QString message;
    QString icon;

    static constexpr qreal spacing = 8;
    static constexpr qreal horizontalPadding = 20;
    static constexpr qreal verticalPadding = 16;
    static constexpr qreal minimumWidth = 150;
    static constexpr qreal cornerRadius = 16;
    static constexpr qreal panelOpacity = 0.75;
    static constexpr qreal fontPixelSize = 14;
    static constexpr qreal symbolPointSize = 28;
    // Text wider than this wraps onto further lines, so a runaway message
    // gives a tall panel rather than one wider than the display.
    static constexpr qreal maximumTextWidth = 560;

    // The box a symbol is drawn in.
    static QSizeF symbolSize();

    bool showsSymbol() const;
    // The size of the rounded panel.
    QSizeF panelSize() const;
    // Where the panel sits when centred in bounds.
    QRectF panelRect(const QRectF &bounds) const;
    // Draws the panel centred in bounds onto whatever the painter already
    // holds. With shadow, a soft shadow is added around the panel where bounds
    // leave room for it (it needs a compositor to look right).
    void paint(QPainter &painter, const QRectF &bounds, bool shadow = false) const;
};

// One message window: frameless, translucent, never focused, above normal
// windows and transparent to the pointer (every click goes to what lies
// beneath).
class HUDWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HUDWindow(const HUDView &view, bool compositor);

    const HUDView &view() const { return m_view; }

    // Fades the window out over duration, then hides it and restores its
    // opacity. Window opacity needs a compositor; without one the window
    // simply stays until the fade time is over.
    void fadeOut(std::chrono::milliseconds duration);
    void stopFade();
    bool isFading() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    HUDView m_view;
    bool m_compositor;
    QPointer<QVariantAnimation> m_fade;
};

// The one controller of the messages. Each show() replaces whatever is on
// screen with a new window that stays for displayDuration() from the moment
// it is shown and then fades out over fadeDuration(). A pending hide never
// shortens a later message, and a message arriving during a fade replaces the
// fading window at once. Main thread only.
class HUDNotification : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultDisplayDuration{1000};
    static constexpr std::chrono::milliseconds defaultFadeDuration{300};
    // The window's size when the panel fits in it (a larger panel grows the
    // window around the same centre).
    static constexpr QSizeF windowSize{200, 80};

    // Returns at once; the message appears when the event loop next turns.
    // icon is a symbol name such as "ruler"; empty for none.
    void show(const QString &message, const QString &icon = QString());

    // The window of the most recent message; it stays (hidden) until the next
    // message replaces it. Null before the first message, and where Tovani
    // cannot place its windows (Wayland): the message then shows on a guide
    // surface above the guide.
    HUDWindow *window() const { return m_window; }
    bool isFading() const;

    // Where a window of the given size goes, in global coordinates: its
    // centre 100 points above the centre of the main display, or its top-left
    // corner at (0, 0) when there is no main display.
    QRectF windowFrame(const QSizeF &size) const;

    // For tests: shorter or longer timings.
    void setDurations(std::chrono::milliseconds display, std::chrono::milliseconds fade);
    std::chrono::milliseconds displayDuration() const { return m_displayDuration; }
    std::chrono::milliseconds fadeDuration() const { return m_fadeDuration; }

    // Shows the messages the way `platform` can: the desktop's own, a window
    // of Tovani's, or a guide surface.
    explicit HUDNotification(platform::Platform &platform, QObject *parent = nullptr);
    // Takes the current window with it.
    ~HUDNotification() override;

private:
    void createAndShowHUD(const QString &message, const QString &icon);
    void hide();

    platform::Platform &m_platform;
    QPointer<HUDWindow> m_window;
    std::unique_ptr<HUDSurface> m_surface;
    QTimer m_hideTimer; // the pending hide of m_window
    std::chrono::milliseconds m_displayDuration = defaultDisplayDuration;
    std::chrono::milliseconds m_fadeDuration = defaultFadeDuration;
};
