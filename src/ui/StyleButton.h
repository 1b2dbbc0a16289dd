#pragma once

// A tile of the Style section: a miniature of one guide style over grey lines
// of text, with the style's name under it, highlighted when it is the current
// style. A click anywhere on the tile emits clicked(). The tiles of a row are
// a radio group: the selected one is checked and takes the Tab focus, the
// arrow keys select the neighbour (with the same click), Space and Enter
// click; screen readers hear radio buttons.

#include "settings/Settings.h"

#include <QAbstractButton>
#include <QColor>

class StyleButton : public QAbstractButton
{
    Q_OBJECT
public:
    StyleButton(LineStyle style, QWidget *parent = nullptr);

    // The style's name as shown (the stored raw value, translated).
    static QString displayName(LineStyle style);

    LineStyle style() const { return m_style; }
    bool isSelected() const { return isChecked(); }
    void setSelected(bool selected);
    // The current guide colour, alpha included.
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    QSize sizeHint() const override;
    // Wide enough for the longest word of any style's name, so that large
    // text wraps between words and never cuts one.
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    // Room for the name on one line, or two when it has to wrap.
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    LineStyle m_style;
    QColor m_color;
};

// Paints a whole tile (background, border, miniature, name) into `rect`.
void paintStyleTile(QPainter &painter, const QRectF &rect, LineStyle style, bool selected,
                    const QColor &color, const QPalette &palette, const QFont &nameFont);
