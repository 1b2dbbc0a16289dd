#include "platform/qt/QtSurfaces.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace platform {

namespace {

class SurfaceWindow : public QWidget
{
public:
    SurfaceWindow()
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAutoFillBackground(false);
        setFocusPolicy(Qt::NoFocus);
        setWindowTitle(QCoreApplication::translate("Platform", "Tovani Guide"));
    }

    QImage image;
    QColor color;
    QRect hole; // window coordinates

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        if (!image.isNull()) {
            p.drawImage(QPointF(0, 0), image);
            return;
        }
        p.setClipRegion(QRegion(rect()) - hole);
        p.fillRect(rect(), color);
    }
};

class QtSurface : public GuideSurface
{
public:
    explicit QtSurface(const std::function<void(QWidget *)> &prepare)
    {
        if (prepare)
            prepare(&m_window);
    }

    void setImage(const QImage &image) override
    {
        m_window.image = image;
        m_window.resize(image.deviceIndependentSize().toSize());
        m_window.update();
    }
    void setColor(const QColor &color) override
    {
        m_window.image = QImage();
        m_window.color = color;
        m_window.update();
    }
    void setClearRect(const QRectF &rect) override
    {
        const QRect hole = rect.isEmpty() ? QRect() : rect.toAlignedRect().translated(-m_window.pos());
        if (hole == m_window.hole)
            return;
        m_window.update(QRegion(m_window.hole) | hole);
        m_window.hole = hole;
    }
    void setGeometry(const QRectF &rect) override
    {
        if (!std::isfinite(rect.x()) || !std::isfinite(rect.y()) || !std::isfinite(rect.width()) ||
            !std::isfinite(rect.height()))
            return;
        const QRect r = rect.toRect();
        if (m_window.image.isNull()) {
            m_empty = r.isEmpty();
            if (!m_empty)
                m_window.setGeometry(r);
        } else {
            m_window.move(r.topLeft());
        }
        updateShown();
    }
    void setVisible(bool visible) override
    {
        m_visible = visible;
        updateShown();
    }

private:
    void updateShown() { m_window.setVisible(m_visible && !m_empty); }

    SurfaceWindow m_window;
    bool m_visible = false;
    bool m_empty = false;
};

class QtSurfaces : public GuideSurfaces
{
public:
    explicit QtSurfaces(std::function<void(QWidget *)> prepare) : m_prepare(std::move(prepare)) {}
    std::unique_ptr<GuideSurface> create(const Display &) override { return std::make_unique<QtSurface>(m_prepare); }
    void commit() override {}

private:
    std::function<void(QWidget *)> m_prepare;
};

} // namespace

std::unique_ptr<GuideSurfaces> createQtGuideSurfaces(std::function<void(QWidget *)> prepare)
{
    return std::make_unique<QtSurfaces>(std::move(prepare));
}

} // namespace platform
