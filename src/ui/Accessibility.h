#pragma once

// What screen readers learn about the drawn controls of the preferences
// window, through Qt's accessibility (AT-SPI on Linux):
//   - style tiles and colour swatches are radio buttons, checked when they are
//     the current choice; switches are check boxes; the colour well is a
//     button. Their action (press or toggle) is a click: the same clicked()
//     signal, so the same setting is written as by the mouse or the keyboard.
//   - a SteppedSlider is a slider whose value is the number shown beside it
//     in the shown unit (60 for "60%", 12 for "12px"), its text that very
//     text; setting a value moves the handle to the step that shows the
//     nearest number, as the arrow keys would.

#include <QAccessibleWidget>

class QAbstractButton;
class SteppedSlider;

namespace accessibility {

// Registers the interfaces with Qt; the controls call it when they are made.
void install();

class ButtonInterface : public QAccessibleWidget
{
public:
    explicit ButtonInterface(QAbstractButton *button);

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    QAbstractButton *button() const;
};

class SliderInterface : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit SliderInterface(SteppedSlider *slider);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    SteppedSlider *slider() const;
    // The number shown for the value at a position.
    double numberAt(int position) const;
};

} // namespace accessibility
