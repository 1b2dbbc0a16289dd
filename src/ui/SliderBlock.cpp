#include "ui/SliderBlock.h"

#include "ui/Theme.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>
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

} // namespace valuetext

// ---------------------------------------------------------------------------

SteppedSlider::SteppedSlider(double lower, double upper, double step, QWidget *parent)
    : QSlider(Qt::Horizontal, parent), m_lower(lower), m_upper(upper), m_step(step)
{
    int decimals = 0;
    while (decimals < 6 &&
           std::abs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-9)
        ++decimals;
    m_scale = std::pow(10.0, decimals);
    setRange(0, static_cast<int>(std::lround((upper - lower) / step)));
    setSingleStep(1);
    setPageStep(std::max(1, maximum() / 10));
    connect(this, &QSlider::valueChanged, this,
            [this](int position) { Q_EMIT valueEdited(valueAt(position)); });
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
    const QSignalBlocker blocker(this);
    setValue(positionFor(value));
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
