#include "ui/Accessibility.h"

#include "ui/SliderBlock.h"

#include <QAbstractButton>
#include <QAbstractSlider>

#include <cmath>

namespace accessibility {

namespace {

// The classes whose objects get a ButtonInterface: the drawn buttons of the
// preferences window. (Qt's own interface for buttons toggles a checkable
// button without emitting clicked(), so nothing would be saved.)
bool isDrawnButton(const QString &className)
{
    return className == QLatin1String("StyleButton") || className == QLatin1String("ColorButton") ||
           className == QLatin1String("ColorWell") || className == QLatin1String("ToggleSwitch");
}

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (auto *slider = qobject_cast<SteppedSlider *>(object); slider && className == QLatin1String("SteppedSlider"))
        return new SliderInterface(slider);
    if (auto *button = qobject_cast<QAbstractButton *>(object); button && isDrawnButton(className))
        return new ButtonInterface(button);
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&factory);
        return true;
    }();
    Q_UNUSED(installed);
}

// ---------------------------------------------------------------------------
// ButtonInterface

ButtonInterface::ButtonInterface(QAbstractButton *button) : QAccessibleWidget(button, QAccessible::Button) {}

QAbstractButton *ButtonInterface::button() const
{
    return static_cast<QAbstractButton *>(widget());
}

QAccessible::Role ButtonInterface::role() const
{
    if (!button()->isCheckable()) return QAccessible::Button;
    return button()->autoExclusive() ? QAccessible::RadioButton : QAccessible::CheckBox;
}

QAccessible::State ButtonInterface::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = button()->isDown();
    if (button()->isCheckable()) {
        s.checkable = true;
        s.checked = button()->isChecked();
    }
    return s;
}

QString ButtonInterface::text(QAccessible::Text t) const
{
    QString text = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && text.isEmpty()) text = button()->text();
    return text;
}

QStringList ButtonInterface::actionNames() const
{
    QStringList names;
    if (button()->isEnabled()) names << (button()->isCheckable() ? toggleAction() : pressAction());
    return names + QAccessibleWidget::actionNames();
}

void ButtonInterface::doAction(const QString &actionName)
{
    if (actionName == toggleAction() || actionName == pressAction()) {
        if (button()->isEnabled()) button()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

// ---------------------------------------------------------------------------
// SliderInterface

SliderInterface::SliderInterface(SteppedSlider *slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

SteppedSlider *SliderInterface::slider() const
{
    return static_cast<SteppedSlider *>(widget());
}

double SliderInterface::numberAt(int position) const
{
    return valuetext::number(slider()->textFor(slider()->valueAt(position)));
}

void *SliderInterface::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString SliderInterface::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value) return slider()->textFor(slider()->shownValue());
    return QAccessibleWidget::text(t);
}

QStringList SliderInterface::actionNames() const
{
    QStringList names;
    if (slider()->isEnabled()) names << increaseAction() << decreaseAction();
    return names + QAccessibleWidget::actionNames();
}

void SliderInterface::doAction(const QString &actionName)
{
    // As the arrow keys.
    if (actionName == increaseAction() && slider()->isEnabled())
        slider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (actionName == decreaseAction() && slider()->isEnabled())
        slider()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else
        QAccessibleWidget::doAction(actionName);
}

QVariant SliderInterface::currentValue() const
{
    return valuetext::number(slider()->textFor(slider()->shownValue()));
}

void SliderInterface::setCurrentValue(const QVariant &value)
{
    bool ok = false;
    const double wanted = value.toDouble(&ok);
    if (!ok || !std::isfinite(wanted) || !slider()->isEnabled()) return;
    int best = 0;
    for (int k = 1; k <= slider()->maximum(); ++k)
        if (std::abs(numberAt(k) - wanted) < std::abs(numberAt(best) - wanted)) best = k;
    slider()->editTo(best);
}

QVariant SliderInterface::maximumValue() const
{
    return numberAt(slider()->maximum());
}

QVariant SliderInterface::minimumValue() const
{
    return numberAt(0);
}

QVariant SliderInterface::minimumStepSize() const
{
    return slider()->maximum() > 0 ? numberAt(1) - numberAt(0) : 0.0;
}

} // namespace accessibility
