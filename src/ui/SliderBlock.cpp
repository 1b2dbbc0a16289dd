#include "ui/SliderBlock.h"

#include "ui/Accessibility.h"
#include "ui/Controls.h"
#include "ui/Theme.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStyleOptionSlider>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>
#include <optional>

namespace valuetext {

namespace {

const QString unreadable = QStringLiteral("\u2014");

// Truncation toward zero, or nothing when the product is not finite or does
// not fit a 64-bit integer.
std::optional<qint64> integerPart(double product)
{
    if (!std::isfinite(product)) return std::nullopt;
    // 2^63 is exactly representable; anything at or above it does not fit.
    if (product >= 9223372036854775808.0 || product < -9223372036854775808.0) return std::nullopt;
    return static_cast<qint64>(std::trunc(product));
}

// `format` holds the number as %1.
QString withUnit(std::optional<qint64> number, const char *format)
{
    if (!number) return unreadable;
    return QCoreApplication::translate("valuetext", format).arg(*number);
}

} // namespace

QString percent(double value)
{
    return withUnit(integerPart(value * 100), QT_TRANSLATE_NOOP("valuetext", "%1%"));
}
QString pixels(double value)
{
    return withUnit(integerPart(value), QT_TRANSLATE_NOOP("valuetext", "%1px"));
}
QString bracketWidth(double value)
{
    return withUnit(integerPart(value * 2), QT_TRANSLATE_NOOP("valuetext", "%1%"));
}

QString zoom(double value)
{
    if (!integerPart(value)) return unreadable;
    // printf's own rounding (1.25 shows 1.2), as the C library gives it,
    // with the decimal sign of the user's locale ("1,5" in German).
    char text[40];
    std::snprintf(text, sizeof text, "%.1f", value);
    QString number = QString::fromLatin1(text);
    number.replace(QLatin1Char(','), QLatin1Char('.')).replace(QLatin1Char('.'), QLocale().decimalPoint());
    return QCoreApplication::translate("valuetext", "%1x").arg(number);
}

double number(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("-?\\d+(?:[.,]\\d+)?"));
    const QRegularExpressionMatch match = digits.match(text);
    if (!match.hasMatch()) return qQNaN();
    QString found = match.captured();
    return found.replace(u',', u'.').toDouble();
}

} // namespace valuetext

// ---------------------------------------------------------------------------

SteppedSlider::SteppedSlider(double lower, double upper, double step, QWidget *parent)
    : QSlider(Qt::Horizontal, parent), m_lower(lower), m_upper(upper), m_step(step)
{
    accessibility::install();
    FocusRing::attach(this);
    int decimals = 0;
    while (decimals < 6 &&
           std::abs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-9)
        ++decimals;
    m_scale = std::pow(10.0, decimals);
    setRange(0, static_cast<int>(std::lround((upper - lower) / step)));
    setSingleStep(1);
    setPageStep(std::max(1, maximum() / 10));
    connect(this, &QSlider::valueChanged, this, [this](int position) {
        m_shown = valueAt(position);
        Q_EMIT valueEdited(valueAt(position));
    });
}

void SteppedSlider::editTo(int position)
{
    position = std::clamp(position, minimum(), maximum());
    if (position != value())
        setValue(position);
    else if (shownValue() != valueAt(position))
        Q_EMIT valueChanged(position);
}

QString SteppedSlider::textFor(double value) const
{
    return m_format ? m_format(value) : QString::number(value);
}

double SteppedSlider::shownValue() const
{
    return m_shown.value_or(valueAt(value()));
}

void SteppedSlider::initStyleOption(QStyleOptionSlider *option) const
{
    QSlider::initStyleOption(option);
    const int m = theme::focusMargin;
    option->rect.adjust(m, m, -m, -m);
}

QSize SteppedSlider::sizeHint() const
{
    return QSlider::sizeHint() + QSize(2, 2) * theme::focusMargin;
}

QSize SteppedSlider::minimumSizeHint() const
{
    return QSlider::minimumSizeHint() + QSize(2, 2) * theme::focusMargin;
}

double SteppedSlider::valueAt(int position) const
{
    const double raw = m_lower + position * m_step;
    return std::round(raw * m_scale) / m_scale;
}

int SteppedSlider::positionFor(double value) const
{
    if (std::isnan(value) || value <= m_lower) return 0;
    if (value >= m_upper) return maximum();
    const long k = std::lround((value - m_lower) / m_step);
    return static_cast<int>(std::clamp<long>(k, 0, maximum()));
}

void SteppedSlider::showValue(double value)
{
    const bool changed = !m_shown || !(*m_shown == value);
    m_shown = value;
    {
        const QSignalBlocker blocker(this);
        setValue(positionFor(value));
    }
    if (changed) {
        // Between steps the handle may stay where it is while the number changes.
        QAccessibleValueChangeEvent event(this, valuetext::number(textFor(value)));
        QAccessible::updateAccessibility(&event);
    }
}

// ---------------------------------------------------------------------------

SliderBlock::SliderBlock(const QString &label, double lower, double upper, double step, Formatter format,
                         QWidget *parent)
    : QWidget(parent), m_label(new QLabel(label)), m_value(new QLabel),
      m_slider(new SteppedSlider(lower, upper, step)), m_format(std::move(format))
{
    theme::setSecondaryText(m_label);
    theme::setSecondaryText(m_value);
    // The common desktop fonts (DejaVu, Noto, Cantarell) have tabular digits,
    // so the text does not jitter while dragging.
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_slider->setAccessibleName(label);
    m_slider->setFormatter(m_format);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_label);
    row->addStretch(1);
    row->addWidget(m_value);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addLayout(row);
    column->addWidget(m_slider);

    connect(m_slider, &SteppedSlider::valueEdited, this, &SliderBlock::valueEdited);
}

void SliderBlock::showValue(double value)
{
    m_value->setText(m_format(value));
    m_slider->showValue(value);
}

QString SliderBlock::label() const
{
    return m_label->text();
}
QString SliderBlock::valueText() const
{
    return m_value->text();
}
