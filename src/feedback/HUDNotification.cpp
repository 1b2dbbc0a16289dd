#include "feedback/HUDNotification.h"

#include "platform/Platform.h"
#include "symbols/Symbols.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------
// HUDView

namespace {

QFont messageFont()
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(int(HUDView::fontPixelSize));
    font.setWeight(QFont::Medium);
    return font;
}

constexpr int textFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

// The text block's size, whole points so the layout does not shift by
// fractions between measuring and drawing.
QSizeF textSize(const QString &message, const QFontMetricsF &metrics)
{
    const QRectF bounds =
        metrics.boundingRect(QRectF(0, 0, HUDView::maximumTextWidth, 1e6), textFlags, message);
    return QSizeF(std::ceil(bounds.width()), std::ceil(std::max(bounds.height(), metrics.height())));
}

QPainterPath roundedPanel(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

HUDView::HUDView(QString message, QString icon) : message(std::move(message)), icon(std::move(icon)) {}

// A 28 pt symbol glyph is about as tall as the font's cap height plus a
// little: 22 points, in a box as wide as the font size.
QSizeF HUDView::symbolSize() { return QSizeF(symbolPointSize, 22); }

bool HUDView::showsSymbol() const
{
    return symbols::byName(icon).has_value();
}

QSizeF HUDView::panelSize() const
{
    const QSizeF text = textSize(message, QFontMetricsF(messageFont()));
    qreal contentWidth = text.width();
    qreal contentHeight = text.height();
    if (showsSymbol()) {
        contentWidth = std::max(contentWidth, symbolSize().width());
        contentHeight += symbolSize().height() + spacing;
    }
    return QSizeF(std::max(minimumWidth, contentWidth + 2 * horizontalPadding),
                  contentHeight + 2 * verticalPadding);
}

QRectF HUDView::panelRect(const QRectF &bounds) const
{
    QRectF panel(QPointF(0, 0), panelSize());
    panel.moveCenter(bounds.center());
    return panel;
}

void HUDView::paint(QPainter &painter, const QRectF &bounds, bool shadow) const
{
    const QFont font = messageFont();
    const QFontMetricsF metrics(font, painter.device());
    const QRectF panel = panelRect(bounds);
    const QPainterPath panelPath = roundedPanel(panel, cornerRadius);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    if (shadow) {
        // Layered rounded rectangles, a little lower than the panel, build a
        // soft edge; the panel itself is left out so it keeps its own colour.
        painter.save();
        QPainterPath outside;
        outside.addRect(bounds);
        painter.setClipPath(outside.subtracted(panelPath), Qt::IntersectClip);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 9));
        for (int i = 6; i >= 1; --i)
            painter.drawPath(roundedPanel(panel.adjusted(-i, -i, i, i).translated(0, 1.5), cornerRadius + i));
        painter.restore();
    }

    QColor fill(Qt::black);
    fill.setAlphaF(float(panelOpacity));
    painter.fillPath(panelPath, fill);

    // The content stack (symbol, gap, text) is centred in the panel.
    const QSizeF text = textSize(message, metrics);
    const std::optional<symbols::Symbol> symbol = symbols::byName(icon);
    const qreal stackHeight = text.height() + (symbol ? symbolSize().height() + spacing : 0);
    qreal y = panel.center().y() - stackHeight / 2;
    if (symbol) {
        QRectF box(QPointF(0, 0), symbolSize());
        box.moveCenter(QPointF(panel.center().x(), y + box.height() / 2));
        symbols::paint(painter, box, *symbol, Qt::white);
        y += box.height() + spacing;
    }
    const QRectF textRect(panel.center().x() - text.width() / 2, y, text.width(), text.height());
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(textRect, textFlags, message);
    painter.restore();
}

// ---------------------------------------------------------------------------
// HUDWindow

HUDWindow::HUDWindow(const HUDView &view, bool compositor)
    : QWidget(nullptr)
    , m_view(view)
    , m_compositor(compositor)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(view.message);

    const QSizeF panel = view.panelSize();
    const QSize size(int(std::ceil(std::max(HUDNotification::windowSize.width(), panel.width()))),
                     int(std::ceil(std::max(HUDNotification::windowSize.height(), panel.height()))));
    setFixedSize(size);

    if (!m_compositor) {
        // Without a compositor the transparent corners would show as black:
        // cut the window to the panel's shape instead.
        QPainterPath path = roundedPanel(view.panelRect(QRectF(rect())), HUDView::cornerRadius);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    }
}

void HUDWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_view.paint(painter, QRectF(rect()), m_compositor);
}

void HUDWindow::fadeOut(std::chrono::milliseconds duration)
{
    stopFade();
    auto *fade = new QVariantAnimation(this);
    fade->setStartValue(windowOpacity());
    fade->setEndValue(0.0);
    fade->setDuration(int(duration.count()));
    if (m_compositor) {
        connect(fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
            setWindowOpacity(value.toDouble());
            // On X11 the opacity is a window property that Qt leaves in its
            // request buffer until something else goes out; a repaint of this
            // small window sends it with the frame.
            update();
        });
    }
    connect(fade, &QVariantAnimation::finished, this, [this] {
        hide();
        setWindowOpacity(1.0);
    });
    m_fade = fade;
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void HUDWindow::stopFade()
{
    if (m_fade) {
        QVariantAnimation *fade = m_fade;
        m_fade = nullptr;
        fade->disconnect(this);
        fade->stop(); // deletes it
        setWindowOpacity(1.0);
    }
}

bool HUDWindow::isFading() const { return m_fade && m_fade->state() == QAbstractAnimation::Running; }

// ---------------------------------------------------------------------------
// HUDSurface: the message as a picture on a guide surface, for window systems
// that place Tovani's windows themselves. The fade draws the picture again at
// each step (a surface has no opacity of its own); it is small.

class HUDSurface : public QObject
{
public:
    HUDSurface(platform::GuideSurfaces &surfaces, const platform::Display &display, const HUDView &view,
               const QRectF &frame)
        : m_surfaces(surfaces), m_surface(surfaces.create(display))
    {
        const qreal dpr = display.devicePixelRatio > 0 ? display.devicePixelRatio : 1.0;
        m_picture = QImage((frame.size() * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        m_picture.setDevicePixelRatio(dpr);
        m_picture.fill(Qt::transparent);
        {
            QPainter painter(&m_picture);
            view.paint(painter, QRectF(QPointF(0, 0), frame.size()), /*shadow*/ true);
        }
        m_surface->setImage(m_picture);
        m_surface->setGeometry(frame);
        m_surface->setVisible(true);
        m_surfaces.commit();
    }
    ~HUDSurface() override
    {
        m_surface.reset();
        m_surfaces.commit();
    }
    HUDSurface(const HUDSurface &) = delete;
    HUDSurface &operator=(const HUDSurface &) = delete;

    void fadeOut(std::chrono::milliseconds duration)
    {
        auto *fade = new QVariantAnimation(this);
        fade->setStartValue(1.0);
        fade->setEndValue(0.0);
        fade->setDuration(int(duration.count()));
        connect(fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
            QImage faded(m_picture.size(), m_picture.format());
            faded.setDevicePixelRatio(m_picture.devicePixelRatio());
            faded.fill(Qt::transparent);
            QPainter painter(&faded);
            painter.setOpacity(value.toDouble());
            painter.drawImage(QPointF(0, 0), m_picture);
            painter.end();
            m_surface->setImage(faded);
            m_surfaces.commit();
        });
        connect(fade, &QVariantAnimation::finished, this, [this] {
            m_surface->setVisible(false);
            m_surfaces.commit();
        });
        m_fading = fade;
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    }
    bool isFading() const { return m_fading && m_fading->state() == QAbstractAnimation::Running; }

private:
    platform::GuideSurfaces &m_surfaces;
    std::unique_ptr<platform::GuideSurface> m_surface;
    QImage m_picture;
    QPointer<QVariantAnimation> m_fading;
};

// ---------------------------------------------------------------------------
// HUDNotification

HUDNotification::HUDNotification(platform::Platform &platform, QObject *parent)
    : QObject(parent), m_platform(platform)
{
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_hideTimer, &QTimer::timeout, this, &HUDNotification::hide);
}

HUDNotification::~HUDNotification() { delete m_window.data(); }

void HUDNotification::show(const QString &message, const QString &icon)
{
    m_hideTimer.stop();
    // Queued: the caller returns at once, and a burst of messages is shown in
    // order, each replacing the one before.
    QMetaObject::invokeMethod(
        this, [this, message, icon] { createAndShowHUD(message, icon); }, Qt::QueuedConnection);
}

bool HUDNotification::isFading() const
{
    return (m_window && m_window->isFading()) || (m_surface && m_surface->isFading());
}

QRectF HUDNotification::windowFrame(const QSizeF &size) const
{
    const std::optional<platform::Display> main = m_platform.displays().mainDisplay();
    if (!main)
        return QRectF(QPointF(0, 0), size);
    const QRectF screen = main->frame;
    // For the 200 x 80 window: x = midX - 100, y = midY - 100 - 40.
    return QRectF(QPointF(screen.center().x() - size.width() / 2, screen.center().y() - 100 - size.height() / 2),
                  size);
}

void HUDNotification::setDurations(std::chrono::milliseconds display, std::chrono::milliseconds fade)
{
    m_displayDuration = std::max(display, std::chrono::milliseconds(0));
    m_fadeDuration = std::max(fade, std::chrono::milliseconds(0));
}

void HUDNotification::createAndShowHUD(const QString &message, const QString &icon)
{
    if (m_window) {
        // Whatever state the previous message is in, it goes at once.
        m_window->stopFade();
        m_window->hide();
        m_window->deleteLater();
        m_window = nullptr;
    }

    m_surface.reset();

    platform::Platform &platform = m_platform;
    // The desktop's own on-screen display, where it has one for Tovani.
    if (platform.showMessage(message))
        return;
    if (!platform.canPlaceWindows()) {
        const std::optional<platform::Display> main = platform.displays().mainDisplay();
        if (main) {
            const HUDView view(message, icon);
            const QSizeF panel = view.panelSize();
            const QSizeF size(std::ceil(std::max(windowSize.width(), panel.width())),
                              std::ceil(std::max(windowSize.height(), panel.height())));
            m_surface = std::make_unique<HUDSurface>(platform.guideSurfaces(), *main, view, windowFrame(size));
            m_hideTimer.start(m_displayDuration);
        }
        return;
    }
    auto *window = new HUDWindow(HUDView(message, icon), platform.hasCompositor());
    // Tooltip-like, click-through, never focused, above the other windows.
    platform.prepareWindow(window, platform::WindowRole::Hud);
    const QRectF frame = windowFrame(QSizeF(window->size()));
    window->move(qRound(frame.x()), qRound(frame.y()));
    window->show();
    m_window = window;

    m_hideTimer.start(m_displayDuration);
}

void HUDNotification::hide()
{
    if (m_surface)
        m_surface->fadeOut(m_fadeDuration);
    if (m_window)
        m_window->fadeOut(m_fadeDuration);
}
