#include "ui/ColorButton.h"

#include "symbols/Symbols.h"
#include "ui/Accessibility.h"
#include "ui/Controls.h"
#include "ui/Theme.h"

#include <QColorDialog>
#include <QPainter>
#include <QPainterPath>

bool isLight(double red, double green, double blue)
{
    return (299.0 * red + 587.0 * green + 114.0 * blue) / 1000.0 > 0.5;
}

bool isLight(const QColor &color)
{
    if (!color.isValid()) return true;
    float r, g, b;
    color.toRgb().getRgbF(&r, &g, &b);
    return isLight(r, g, b);
}

void paintColorSwatch(QPainter &painter, const QRectF &box, const QColor &color, bool selected,
                      const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF circle(box.center().x() - ColorButton::diameter / 2.0,
                        box.center().y() - ColorButton::diameter / 2.0, ColorButton::diameter,
                        ColorButton::diameter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(circle);

    // The ring sits on the outline: half inside, half outside the circle.
    const QColor primary = theme::primary(palette);
    const double ringWidth = selected ? 2 : 1;
    painter.setPen(QPen(selected ? primary : theme::withOpacity(primary, 0.1), ringWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle);

    if (selected) {
        const QRectF mark(circle.center().x() - 6, circle.center().y() - 6, 12, 12);
        symbols::paint(painter, mark, symbols::Symbol::checkmark, isLight(color) ? Qt::black : Qt::white);
    }
    painter.restore();
}

// ---------------------------------------------------------------------------

ColorButton::ColorButton(const QColor &color, QWidget *parent) : QAbstractButton(parent), m_color(color)
{
    accessibility::install();
    setCheckable(true);
    setAutoExclusive(true);
    setFocusPolicy(Qt::StrongFocus);
    FocusRing::attach(this, FocusRing::Shape::circle);
    pressOnEnter(this);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ColorButton::sizeHint() const
{
    return QSize(diameter, diameter) + QSize(2, 2) * theme::focusMargin;
}

void ColorButton::setSelected(bool selected)
{
    if (selected == isChecked()) return;
    // A checked button of a radio group cannot be unchecked by itself (and
    // when the colour is none of the swatches, none is checked).
    setAutoExclusive(false);
    setChecked(selected);
    setAutoExclusive(true);
}

bool ColorButton::hitButton(const QPoint &pos) const
{
    const QPointF d = QPointF(pos) - QRectF(rect()).center();
    const double r = diameter / 2.0 + 1;
    return d.x() * d.x() + d.y() * d.y() <= r * r;
}

void ColorButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // Enlarged ring when pressed, for feedback.
    paintColorSwatch(p, rect(), m_color, isChecked(), palette());
    if (isDown()) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 30));
        const QPointF c = QRectF(rect()).center();
        p.drawEllipse(c, diameter / 2.0 - 1, diameter / 2.0 - 1);
    }
}

// ---------------------------------------------------------------------------

ColorWell::ColorWell(QWidget *parent) : QAbstractButton(parent)
{
    accessibility::install();
    setFocusPolicy(Qt::StrongFocus);
    FocusRing::attach(this, FocusRing::Shape::rounded, 6 + theme::focusMargin);
    pressOnEnter(this);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setToolTip(tr("Custom colour"));
    setAccessibleName(tr("Custom colour"));
    connect(this, &QAbstractButton::clicked, this, &ColorWell::openChooser);
}

QSize ColorWell::sizeHint() const
{
    return QSize(28, 28) + QSize(2, 2) * theme::focusMargin;
}

void ColorWell::setColor(const QColor &color)
{
    if (color == m_color) return;
    m_color = color;
    update();
}

QColorDialog *ColorWell::dialog() const
{
    return m_dialog && m_dialog->isVisible() ? m_dialog.data() : nullptr;
}

void ColorWell::openChooser()
{
    if (!m_dialog) {
        m_dialog = new QColorDialog(this);
        m_dialog->setWindowTitle(tr("Guide Colour"));
        // Qt's own chooser: the desktop's native one may drop the alpha channel.
        m_dialog->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
        connect(m_dialog, &QColorDialog::currentColorChanged, this, [this](const QColor &c) {
            if (m_dialog->isVisible()) Q_EMIT colorPicked(c, false);
        });
        connect(m_dialog, &QColorDialog::colorSelected, this,
                [this](const QColor &c) { Q_EMIT colorPicked(c, true); });
        connect(m_dialog, &QDialog::rejected, this, &ColorWell::chooserCancelled);
    }
    if (m_dialog->isVisible()) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    m_dialog->setCurrentColor(m_color); // not visible yet: reports nothing
    Q_EMIT chooserOpened();
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void ColorWell::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double m = theme::focusMargin + 0.5;
    const QRectF outer = QRectF(rect()).adjusted(m, m, -m, -m);
    const QPalette pal = palette();

    // Frame: a rounded square like a button, with the colour inset.
    p.setPen(QPen(theme::withOpacity(theme::primary(pal), isDown() ? 0.45 : 0.25), 1));
    p.setBrush(pal.color(QPalette::Button));
    p.drawRoundedRect(outer, 6, 6);

    const QRectF inner = outer.adjusted(4, 4, -4, -4);
    QPainterPath shape;
    shape.addRoundedRect(inner, 3, 3);
    p.save();
    p.setClipPath(shape);
    if (m_color.alphaF() < 1) {
        // Checkerboard so translucency shows.
        const double cell = inner.width() / 4;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                p.fillRect(QRectF(inner.left() + x * cell, inner.top() + y * cell, cell, cell),
                           (x + y) % 2 ? QColor(204, 204, 204) : QColor(255, 255, 255));
    }
    p.fillRect(inner, m_color.isValid() ? m_color : QColor(Qt::transparent));
    p.restore();
    p.setPen(QPen(theme::withOpacity(theme::primary(pal), 0.15), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}
