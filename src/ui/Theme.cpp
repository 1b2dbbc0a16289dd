#include "ui/Theme.h"

#include "settings/Settings.h"

#include <QApplication>
#include <QWidget>

#include <cmath>

namespace theme {

QFont font(TextStyle style, const QFont &base)
{
    QFont f = base;
    const double size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    auto scaled = [&](double ratio) { f.setPointSizeF(std::max(6.0, size * ratio)); };
    switch (style) {
    case TextStyle::body:
        break;
    case TextStyle::title:
        scaled(1.6);
        f.setWeight(QFont::Bold);
        break;
    case TextStyle::title2:
        scaled(1.35);
        f.setWeight(QFont::DemiBold);
        break;
    case TextStyle::headline:
        f.setWeight(QFont::DemiBold);
        break;
    case TextStyle::subheadline:
        scaled(0.92);
        break;
    case TextStyle::caption:
        scaled(0.88);
        break;
    case TextStyle::caption2:
        scaled(0.82);
        break;
    }
    return f;
}

QFont font(TextStyle style)
{
    return font(style, QApplication::font());
}

QColor secondary(const QPalette &palette)
{
    QColor c = palette.color(QPalette::Active, QPalette::WindowText);
    c.setAlphaF(0.62f);
    return c;
}

QColor primary(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::WindowText);
}

QColor accent(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor textBackground(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Base);
}

QColor separator(const QPalette &palette)
{
    QColor c = palette.color(QPalette::Active, QPalette::WindowText);
    c.setAlphaF(0.14f);
    return c;
}

QColor systemBlue()
{
    return SystemColors::blue();
}
QColor systemRed()
{
    return SystemColors::red();
}

QColor withOpacity(QColor color, double opacity)
{
    if (!(opacity > 0)) // NaN and negatives
        opacity = 0;
    if (opacity > 1) opacity = 1;
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette p = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::WindowText, color);
    QColor disabled = color;
    disabled.setAlphaF(color.alphaF() * 0.6f);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    widget->setPalette(p);
}

namespace {
const char *const secondaryProperty = "tovaniSecondaryText";
}

void setSecondaryText(QWidget *widget)
{
    widget->setProperty(secondaryProperty, true);
    const QWidget *parent = widget->parentWidget();
    setTextColor(widget, secondary(parent ? parent->palette() : QApplication::palette()));
}

void followPalette(QWidget *root)
{
    const QColor color = secondary(root->palette());
    for (QWidget *widget : root->findChildren<QWidget *>())
        if (widget->property(secondaryProperty).toBool()) setTextColor(widget, color);
}

} // namespace theme
