#pragma once

// A labelled slider over a range with a fixed step, and the texts that show
// its value.

#include "settings/Settings.h"

#include <QSlider>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;

// The value texts of the preferences sliders. Integer part means truncation
// toward zero of the product in double precision (0.57 shows "56%"). A value
// no slider can produce but a hand-edited settings file can hold (NaN,
// infinity, a product beyond the 64-bit integer range) shows "—".
namespace valuetext {
QString percent(double value);      // trunc(value x 100) "%": opacity
QString pixels(double value);       // trunc(value) "px": thickness, line height
QString bracketWidth(double value); // trunc(value x 2) "%": the zone between both brackets
QString zoom(double value);         // one decimal, "x": 2.0 shows "2.0x"
// The number in such a text ("60%" gives 60, "2.9x" 2.9), NaN when there is none.
double number(const QString &text);
} // namespace valuetext

// A QSlider whose integer positions 0..n stand for lower + k x step. Values are
// rounded to the step's decimals, so position 9 of 0.1..1.0 by 0.05 is exactly
// 0.55 and never 0.5500000000000001. The arrow keys move it one step, Page Up
// and Page Down a tenth of the range; it keeps theme::focusMargin free around
// the groove for the focus ring.
class SteppedSlider : public QSlider
{
    Q_OBJECT
public:
    using Formatter = std::function<QString(double)>;

    SteppedSlider(double lower, double upper, double step, QWidget *parent = nullptr);

    // How a value reads ("60%"); screen readers are told the shown value so.
    void setFormatter(Formatter format) { m_format = std::move(format); }
    QString textFor(double value) const;
    // The value shown: the last one given to showValue() (it may lie between
    // steps), or the handle's since the user moved it.
    double shownValue() const;

    double lower() const { return m_lower; }
    double upper() const { return m_upper; }
    double step() const { return m_step; }
    int stepCount() const { return maximum(); }

    double valueAt(int position) const;
    // The nearest position; values outside the range (and NaN) pin the slider
    // to the nearer end (NaN to the lower one).
    int positionFor(double value) const;
    // Moves the handle to show `value` without reporting an edit.
    void showValue(double value);
    // An edit to `position`, as by the keys; reported also when the handle is
    // there already but the shown value lies between steps.
    void editTo(int position);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The user moved the slider (mouse, wheel or keys) to a new position.
    void valueEdited(double value);

protected:
    void initStyleOption(QStyleOptionSlider *option) const override;

private:
    double m_lower;
    double m_upper;
    double m_step;
    double m_scale; // 10^decimals of the step
    std::optional<double> m_shown;
    Formatter m_format;
};

// Label and value text on one row, the slider under them.
class SliderBlock : public QWidget
{
    Q_OBJECT
public:
    using Formatter = SteppedSlider::Formatter;
    SliderBlock(const QString &label, double lower, double upper, double step, Formatter format,
                QWidget *parent = nullptr);
    // Over the range the settings keep the value in.
    SliderBlock(const QString &label, AppSettings::Range range, double step, Formatter format,
                QWidget *parent = nullptr)
        : SliderBlock(label, range.lower, range.upper, step, std::move(format), parent)
    {
    }

    // Shows a value from the settings: its text unchanged, the slider at the
    // nearest position. Nothing is written back.
    void showValue(double value);

    QString label() const;
    QString valueText() const;
    SteppedSlider *slider() const { return m_slider; }

Q_SIGNALS:
    void valueEdited(double value);

private:
    QLabel *m_label;
    QLabel *m_value;
    SteppedSlider *m_slider;
    Formatter m_format;
};
