#include "ui/Controls.h"

#include "ui/Accessibility.h"
#include "ui/Theme.h"

#include <QEasingCurve>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QVariantAnimation>

// ---------------------------------------------------------------------------
// FocusRing

FocusRing::FocusRing(QWidget *control, Shape shape, double radius, double inset)
    : QFocusFrame(control), m_control(control), m_shape(shape), m_radius(radius), m_inset(inset)
{
    control->installEventFilter(this);
    follow();
}

FocusRing *FocusRing::attach(QWidget *control, Shape shape, double radius, double inset)
{
    return new FocusRing(control, shape, radius, inset);
}

void FocusRing::follow()
{
    setGeometry(m_control->rect());
    setVisible(m_control->hasFocus());
    if (isVisible()) raise();
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            follow();
            break;
        default:
            break;
        }
    }
    return QFocusFrame::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(theme::accent(m_control->palette()), theme::focusRingWidth));
    p.setBrush(Qt::NoBrush);
    const double inset = m_inset + theme::focusRingWidth / 2.0;
    const QRectF ring = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_shape == Shape::circle) {
        const double side = std::min(ring.width(), ring.height());
        p.drawEllipse(QRectF(ring.center().x() - side / 2, ring.center().y() - side / 2, side, side));
    } else {
        const double r = std::max(0.0, m_radius - theme::focusRingWidth / 2.0);
        p.drawRoundedRect(ring, r, r);
    }
}

// ---------------------------------------------------------------------------
// pressOnEnter

namespace {
class EnterPresses : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (!button || !button->isEnabled() || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        button->click();
        return true;
    }
};
} // namespace

void pressOnEnter(QAbstractButton *button)
{
    button->installEventFilter(new EnterPresses(button));
}

// ---------------------------------------------------------------------------
// ToggleSwitch

ToggleSwitch::ToggleSwitch(QWidget *parent)
    : QAbstractButton(parent), m_animation(new QVariantAnimation(this))
{
    accessibility::install();
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    FocusRing::attach(this, FocusRing::Shape::rounded, 12 + theme::focusMargin);
    pressOnEnter(this);
    m_animation->setDuration(120);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_position = value.toDouble();
        update();
    });
}

QSize ToggleSwitch::sizeHint() const
{
    return {40 + 2 * theme::focusMargin, 24 + 2 * theme::focusMargin};
}

bool ToggleSwitch::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void ToggleSwitch::checkStateSet()
{
    // Set from code (a settings refresh): jump, no animation.
    m_animation->stop();
    m_position = isChecked() ? 1 : 0;
    update();
}

void ToggleSwitch::nextCheckState()
{
    QAbstractButton::nextCheckState();
    animateKnob();
}

void ToggleSwitch::animateKnob()
{
    m_animation->stop();
    m_animation->setStartValue(m_position);
    m_animation->setEndValue(isChecked() ? 1.0 : 0.0);
    m_animation->start();
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPalette pal = palette();
    const QRectF track =
        QRectF(rect()).adjusted(1, 2, -1, -2).marginsRemoved(QMarginsF(1, 1, 1, 1) * theme::focusMargin);
    const double radius = track.height() / 2;

    QColor off = theme::primary(pal);
    off.setAlphaF(0.16f);
    QColor on = theme::accent(pal);
    QColor fill;
    fill.setRgbF(off.redF() + (on.redF() - off.redF()) * m_position,
                 off.greenF() + (on.greenF() - off.greenF()) * m_position,
                 off.blueF() + (on.blueF() - off.blueF()) * m_position,
                 off.alphaF() + (on.alphaF() - off.alphaF()) * m_position);
    if (!isEnabled()) fill.setAlphaF(fill.alphaF() * 0.5f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(track, radius, radius);

    const double knobSize = track.height() - 4;
    const double x = track.left() + 2 + (track.width() - 4 - knobSize) * m_position;
    const QRectF knob(x, track.top() + 2, knobSize, knobSize);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(knob.translated(0, 0.75).adjusted(-0.5, -0.5, 0.5, 0.5));
    p.setBrush(Qt::white);
    p.drawEllipse(knob);
}

// ---------------------------------------------------------------------------
// Divider

Divider::Divider(int inset, QWidget *parent) : QWidget(parent), m_inset(inset)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(QRect(m_inset, 0, width() - 2 * m_inset, 1), theme::separator(palette()));
}

// ---------------------------------------------------------------------------
// FoldingBlock

FoldingBlock::FoldingBlock(QWidget *content, int spacing, QWidget *parent)
    : QWidget(parent), m_content(content), m_spacing(spacing), m_opacity(new QGraphicsOpacityEffect(this)),
      m_animation(new QParallelAnimationGroup(this))
{
    m_content->setParent(this);
    m_content->installEventFilter(this);
    m_opacity->setOpacity(1);
    m_opacity->setEnabled(false); // only while animating: the effect renders offscreen
    setGraphicsEffect(m_opacity);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto *height = new QPropertyAnimation(this, "maximumHeight", m_animation);
    auto *fade = new QPropertyAnimation(m_opacity, "opacity", m_animation);
    for (auto *animation : {height, fade}) {
        animation->setDuration(durationMs);
        animation->setEasingCurve(QEasingCurve::InOutQuad);
    }
    m_animation->addAnimation(height);
    m_animation->addAnimation(fade);
    connect(m_animation, &QAbstractAnimation::finished, this, &FoldingBlock::finish);
}

bool FoldingBlock::hasHeightForWidth() const
{
    return m_content->hasHeightForWidth();
}

int FoldingBlock::heightForWidth(int width) const
{
    const int h =
        m_content->hasHeightForWidth() ? m_content->heightForWidth(width) : m_content->sizeHint().height();
    return m_spacing + std::max(h, m_content->minimumSizeHint().height());
}

int FoldingBlock::fullHeight() const
{
    return heightForWidth(width() > 0 ? width() : m_content->sizeHint().width());
}

QSize FoldingBlock::sizeHint() const
{
    return {m_content->sizeHint().width(), fullHeight()};
}

QSize FoldingBlock::minimumSizeHint() const
{
    // The height is fixed by the size policy; maximumHeight does the folding.
    return {m_content->minimumSizeHint().width(), fullHeight()};
}

bool FoldingBlock::isAnimating() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void FoldingBlock::setExpanded(bool expanded, bool animated)
{
    if (expanded == m_expanded && (isAnimating() || isHidden() != expanded)) return;
    m_expanded = expanded;

    const int currentHeight = isHidden() ? 0 : std::min(maximumHeight(), fullHeight());
    const double currentOpacity = isHidden() ? 0.0 : (m_opacity->isEnabled() ? m_opacity->opacity() : 1.0);
    m_animation->stop();

    if (!animated) {
        m_opacity->setEnabled(false);
        m_opacity->setOpacity(1);
        setMaximumHeight(expanded ? QWIDGETSIZE_MAX : 0);
        setVisible(expanded);
        return;
    }

    const int target = expanded ? fullHeight() : 0;
    auto *height = static_cast<QPropertyAnimation *>(m_animation->animationAt(0));
    auto *fade = static_cast<QPropertyAnimation *>(m_animation->animationAt(1));
    height->setStartValue(currentHeight);
    height->setEndValue(target);
    fade->setStartValue(currentOpacity);
    fade->setEndValue(expanded ? 1.0 : 0.0);
    m_opacity->setOpacity(currentOpacity);
    m_opacity->setEnabled(true);
    setMaximumHeight(currentHeight);
    show();
    m_animation->start();
}

void FoldingBlock::finish()
{
    m_opacity->setEnabled(false);
    m_opacity->setOpacity(1);
    if (m_expanded) {
        setMaximumHeight(QWIDGETSIZE_MAX);
    } else {
        hide();
        setMaximumHeight(0);
    }
}

void FoldingBlock::placeContent()
{
    // Bottom-aligned: while the block grows, the content slides down from the
    // top edge into place.
    const int contentHeight = fullHeight() - m_spacing;
    m_content->setGeometry(0, height() - contentHeight, width(), contentHeight);
}

void FoldingBlock::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The size hint is the height at the current width, and the vertical
    // policy keeps the block at most that tall: a new width with wrapping
    // text asks the layout again, or the content is cut off at the top.
    if (event->size().width() != event->oldSize().width() && hasHeightForWidth()) updateGeometry();
    placeContent();
}

bool FoldingBlock::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_content && event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        placeContent();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// OverlayScrollArea

OverlayScrollArea::OverlayScrollArea(QWidget *parent)
    : QScrollArea(parent), m_bar(new QScrollBar(Qt::Vertical, this))
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus); // Tab goes through the controls, and the area follows them
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    styleBar();

    QScrollBar *inner = verticalScrollBar();
    auto sync = [this, inner] {
        m_bar->setRange(inner->minimum(), inner->maximum());
        m_bar->setPageStep(inner->pageStep());
        m_bar->setSingleStep(inner->singleStep());
        m_bar->setValue(inner->value());
        m_bar->setVisible(inner->maximum() > inner->minimum());
    };
    connect(inner, &QScrollBar::rangeChanged, this, sync);
    connect(inner, &QScrollBar::valueChanged, m_bar, &QScrollBar::setValue);
    connect(m_bar, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    sync();
}

void OverlayScrollArea::styleBar()
{
    // A slim bar with a rounded thumb and no groove, like the overlay scroll
    // bars of current desktops, in the text colour of the theme.
    QColor thumb = palette().color(QPalette::WindowText);
    thumb.setAlphaF(0.35f);
    QColor hover = thumb;
    hover.setAlphaF(0.55f);
    m_bar->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 0; }"
                       "QScrollBar::handle:vertical { background: %1; border-radius: 3px;"
                       " min-height: 32px; margin: 2px; }"
                       "QScrollBar::handle:vertical:hover { background: %2; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical"
                       " { height: 0; border: none; background: none; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
                       " { background: none; }")
            .arg(thumb.name(QColor::HexArgb), hover.name(QColor::HexArgb)));
}

void OverlayScrollArea::changeEvent(QEvent *event)
{
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        styleBar();
}

void OverlayScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    placeBar();
}

QSize OverlayScrollArea::minimumSizeHint() const
{
    QSize size = QScrollArea::minimumSizeHint();
    if (const QWidget *content = widget()) size.setWidth(std::max(size.width(), content->minimumSizeHint().width()));
    return size;
}

void OverlayScrollArea::placeBar()
{
    const int w = m_bar->sizeHint().width();
    m_bar->setGeometry(width() - w - 3, 3, w, height() - 6);
    m_bar->raise();
}
