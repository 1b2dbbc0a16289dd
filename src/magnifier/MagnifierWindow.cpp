#include "magnifier/MagnifierWindow.h"

#include <QCoreApplication>
#include <QPainterPath>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>

// ---------------------------------------------------------------------------
// MagnifierView

QString MagnifierView::needsX11Text() { return QCoreApplication::translate("MagnifierView", "Needs an X11 session"); }
QString MagnifierView::unavailableText()
{
    return QCoreApplication::translate("MagnifierView", "Screen capture unavailable");
}

void MagnifierView::paint(QPainter &painter, const QSizeF &area) const
{
    const QRectF content((area.width() - width) / 2, (area.height() - height) / 2, width, height);
    QPainterPath shape;
    shape.addRoundedRect(content, cornerRadius, cornerRadius);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(shape);
    if (!capturedImage.isNull()) {
        painter.drawImage(content, capturedImage);
    } else {
        painter.fillRect(content, QColor(0, 0, 0, 128));
        QFont caption = painter.font();
        caption.setPixelSize(11);
        painter.setFont(caption);
        painter.setPen(QColor(255, 255, 255, 204));
        painter.drawText(content, Qt::AlignCenter, placeholder);
    }
    painter.restore();

    // The frame's full width lies inside the content, which the window's edge
    // would otherwise cut in half.
    const double inset = frameWidth / 2;
    QPainterPath frame;
    frame.addRoundedRect(content.adjusted(inset, inset, -inset, -inset), cornerRadius - inset,
                         cornerRadius - inset);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(settings->currentColor().toColor(), frameWidth));
    painter.drawPath(frame);
    painter.restore();
}

// ---------------------------------------------------------------------------
// ScreenCaptureEngine

std::optional<ScreenCaptureEngine::Request> ScreenCaptureEngine::captureRequest(const QPointF &center,
                                                                                double displayWidth,
                                                                                double displayHeight, double zoom)
{
    const auto usable = [](double v) { return std::isfinite(v) && v > 0; };
    if (!usable(displayWidth) || !usable(displayHeight) || !std::isfinite(center.x()) || !std::isfinite(center.y()))
        return std::nullopt;
    // Twice the point size, truncated, whatever the display's own density.
    const double pixelWidth = std::trunc(displayWidth * 2);
    const double pixelHeight = std::trunc(displayHeight * 2);
    if (pixelWidth < 1 || pixelHeight < 1 || pixelWidth > maximumPixels || pixelHeight > maximumPixels)
        return std::nullopt;
    const double sourceWidth = displayWidth / zoom;
    const double sourceHeight = displayHeight / zoom;
    return Request{QRectF(center.x() - sourceWidth * 0.5, center.y() - sourceHeight * 0.5, sourceWidth, sourceHeight),
                   QSize(int(pixelWidth), int(pixelHeight))};
}

ScreenCaptureEngine::ScreenCaptureEngine(std::unique_ptr<platform::ScreenCapture> backend, QObject *parent)
    : QObject(parent), m_backend(std::move(backend))
{
    if (m_backend)
        connect(m_backend.get(), &platform::ScreenCapture::captured, this, &ScreenCaptureEngine::captured);
}

ScreenCaptureEngine::~ScreenCaptureEngine() = default;

bool ScreenCaptureEngine::setup()
{
    QString error;
    if (!m_backend) {
        error = QStringLiteral("no screen capture on this platform");
    } else if (!m_backend->setup(&error)) {
        if (error.isEmpty())
            error = QStringLiteral("unknown error");
    } else if (!m_backend->canExcludeWindows()) {
        // The magnifier lies over the very area it shows; a capture that
        // cannot leave it out would show its own picture, enlarged again and
        // again.
        error = QStringLiteral("the display server cannot leave the magnifier out of its screenshots");
    }
    m_ready = error.isEmpty();
    m_setupError = error;
    if (!m_ready) {
        std::fputs(qPrintable(QStringLiteral("Failed to setup screen capture: ") + error + QLatin1Char('\n')),
                   stdout);
        std::fflush(stdout);
    }
    return m_ready;
}

quint64 ScreenCaptureEngine::captureRect(const QPointF &center, double displayWidth, double displayHeight,
                                         double zoom, WId exclude)
{
    if (!m_ready)
        return 0;
    const auto request = captureRequest(center, displayWidth, displayHeight, zoom);
    if (!request)
        return 0;
    const quint64 id = ++m_lastId;
    m_backend->capture(id, request->source, request->pixels, exclude);
    return id;
}

// ---------------------------------------------------------------------------
// MagnifierWindow

namespace {
// Beyond this a size can only come from a damaged setting.
constexpr double maximumWindowSide = 16384;
} // namespace

MagnifierWindow::MagnifierWindow(platform::Platform &platform, AppSettings &settings, QWidget *parent)
    : QWidget(parent), m_platform(platform), m_settings(settings), m_view(QImage(), 200, 60, settings)
{
    // Until the pointer first moves: 200 x 100 points at the lower-left
    // corner of the main display.
    const auto main = m_platform.displays().mainDisplay();
    const QPointF corner = main ? main->frame.bottomLeft() : QPointF();
    setGeometry(QRectF(corner.x(), corner.y() - 100, 200, 100).toRect());
    m_captureTimeout.setSingleShot(true);
    m_captureTimeout.setInterval(captureTimeoutMs);
    connect(&m_captureTimeout, &QTimer::timeout, this, [this] {
        // The capture is given up on; its picture may still arrive and show
        // if nothing newer has been shown by then.
        m_inFlight = 0;
        startPendingCapture();
    });
}

MagnifierWindow::~MagnifierWindow() = default;

QString MagnifierWindow::captureProblem(platform::Platform &platform)
{
    return platform.capability(platform::Feature::Magnifier).reason;
}

void MagnifierWindow::setupAsMagnifier()
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(tr("Tovani Magnifier"));
    // Above everything, the guide overlays included: it shows them enlarged.
    m_platform.prepareWindow(this, platform::WindowRole::Magnifier);

    m_view = MagnifierView(QImage(), 200, 60, m_settings);
    connect(&m_settings, &AppSettings::changed, this, qOverload<>(&QWidget::update), Qt::UniqueConnection);
    connect(&m_settings, &AppSettings::changed, this, &MagnifierWindow::updateDesktopMagnifier, Qt::UniqueConnection);

    QTimer::singleShot(0, this, &MagnifierWindow::setupCaptureEngine);
}

void MagnifierWindow::setupCaptureEngine()
{
    // A new engine counts its captures from 1 again.
    m_captureEngine.reset();
    m_inFlight = 0;
    m_lastShown = 0;
    m_requestedSizes.clear();
    m_captureTimeout.stop();
    auto engine = std::make_unique<ScreenCaptureEngine>(m_platform.createScreenCapture());
    connect(engine.get(), &ScreenCaptureEngine::captured, this, &MagnifierWindow::captureFinished);
    if (!engine->setup() && m_view.capturedImage.isNull()) {
        const platform::Capability capture = m_platform.capability(platform::Feature::ScreenCapture);
        m_view.placeholder = capture ? MagnifierView::unavailableText() : capture.reason;
        update();
    }
    m_captureEngine = std::move(engine);
}

QRectF MagnifierWindow::globalFrame() const { return QRectF(geometry()); }

std::optional<QSizeF> MagnifierWindow::magnifierSize() const
{
    const auto main = m_platform.displays().mainDisplay();
    if (!main)
        return std::nullopt;
    // As wide as the span between the brackets on the main display.
    const double width = 2 * main->frame.width() * (m_settings.verticalGuideMargin() / 100);
    if (!(width > 10) || width > maximumWindowSide)
        return std::nullopt;
    return QSizeF(width, m_settings.customThickness() + 60);
}

void MagnifierWindow::updatePosition(double x, double y)
{
    m_currentPosition = QPointF(x, y);
    // The desktop's magnifier follows the pointer by itself.
    if (!std::isfinite(x) || !std::isfinite(y) || m_platform.desktopMagnifier())
        return;
    const std::optional<QSizeF> size = magnifierSize();
    if (!size)
        return;
    const QRect rect(qRound(x - size->width() * 0.5), qRound(y - size->height() * 0.5), qRound(size->width()),
                     qRound(size->height()));
    if (geometry() != rect)
        setGeometry(rect);

    captureAndUpdate(QPointF(x, y), size->width(), size->height());
}

void MagnifierWindow::updateDesktopMagnifier()
{
    platform::DesktopMagnifier *desktop = m_platform.desktopMagnifier();
    if (!desktop)
        return;
    const std::optional<QSizeF> size = magnifierSize();
    desktop->setMagnifier(m_desktopShown && size, m_settings.magnifierZoom(), size.value_or(QSizeF()));
}

void MagnifierWindow::hideMagnifier()
{
    hide();
    m_desktopShown = false;
    updateDesktopMagnifier();
}

void MagnifierWindow::showAt(double x, double y)
{
    if (m_platform.desktopMagnifier()) {
        m_currentPosition = QPointF(x, y);
        m_desktopShown = true;
        updateDesktopMagnifier();
        return;
    }
    updatePosition(x, y);
    // Where the magnifier can show nothing there is no window at all, not
    // a box saying so: the preferences say why. Asked once, as they do.
    if (!m_canShow)
        m_canShow = bool(m_platform.capability(platform::Feature::Magnifier));
    if (*m_canShow)
        show();
}

void MagnifierWindow::captureAndUpdate(const QPointF &point, double width, double height)
{
    // Only the latest position matters: it replaces any that is still waiting.
    m_pending = CaptureArea{point, width, height};
    if (m_inFlight == 0)
        startPendingCapture();
}

void MagnifierWindow::startPendingCapture()
{
    if (!m_pending || m_inFlight != 0)
        return;
    const CaptureArea area = *m_pending;
    m_pending.reset();
    if (!m_captureEngine || !m_captureEngine->isReady())
        return;
    // The zoom is read now, so a change shows with the next capture.
    const quint64 id = m_captureEngine->captureRect(area.point, area.width, area.height,
                                                    m_settings.magnifierZoom(), winId());
    if (id == 0)
        return;
    m_inFlight = id;
    // Captures given up on are remembered until something newer shows; never
    // more than a handful, should the backend stop answering altogether.
    while (m_requestedSizes.size() >= 16)
        m_requestedSizes.remove(*std::min_element(m_requestedSizes.keyBegin(), m_requestedSizes.keyEnd()));
    m_requestedSizes.insert(id, QSizeF(area.width, area.height));
    m_captureTimeout.start();
}

void MagnifierWindow::captureFinished(quint64 requestId, const QImage &image)
{
    const QSizeF size = m_requestedSizes.take(requestId);
    // A picture older than the one on show is stale: drop it.
    if (!image.isNull() && !size.isEmpty() && requestId > m_lastShown) {
        m_lastShown = requestId;
        m_view = MagnifierView(image, size.width(), size.height(), m_settings);
        for (auto it = m_requestedSizes.begin(); it != m_requestedSizes.end();)
            it = it.key() < m_lastShown ? m_requestedSizes.erase(it) : std::next(it);
        update();
    }
    if (requestId == m_inFlight) {
        m_inFlight = 0;
        m_captureTimeout.stop();
        startPendingCapture();
    }
}

void MagnifierWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_view.paint(painter, QSizeF(size()));
}
