#pragma once

// The colour pickers of the preferences window: round swatches of the palette
// and the colour well that opens the colour chooser.

#include <QAbstractButton>
#include <QColor>
#include <QPointer>

class QColorDialog;

// True when a check mark on this colour should be black: the colour's
// perceived brightness (299 R + 587 G + 114 B) / 1000 is above one half.
// Alpha is ignored; an invalid colour counts as light.
bool isLight(const QColor &color);
// The same rule on components 0..1 (exactly 0.5 counts as dark).
bool isLight(double red, double green, double blue);

// A 28 x 28 circle filled with its colour, ringed, with a check mark when it is
// the current colour; a click anywhere on it runs the action (the clicked()
// signal). The swatches of a grid are a radio group: the selected one is
// checked and takes the Tab focus (the first one when none is), the arrow
// keys move through the grid and select as they go, Space and Enter click;
// screen readers hear radio buttons named by the colour.
class ColorButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int diameter = 28;

    explicit ColorButton(const QColor &color, QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    bool isSelected() const { return isChecked(); }
    void setSelected(bool selected);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    QColor m_color;
};

// Paints a swatch (circle, ring and, when selected, the check mark) into `box`.
void paintColorSwatch(QPainter &painter, const QRectF &box, const QColor &color, bool selected,
                      const QPalette &palette);

// A 28 x 28 well showing a colour (translucent colours over a checkerboard);
// clicking it (or Space or Enter) opens a colour chooser with an alpha
// channel. The chooser is
// live: every colour picked in it is reported with colorPicked(); the owner
// puts its own colour back when the chooser is cancelled.
class ColorWell : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ColorWell(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    // The chooser, while it is open (for tests); null otherwise.
    QColorDialog *dialog() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    // The chooser opened; colours picked from now on may be taken back.
    void chooserOpened();
    // A colour was picked in the chooser; final is true when it was accepted
    // with OK, false while the user is still trying colours.
    void colorPicked(const QColor &color, bool final);
    // The chooser was cancelled: the colour from before it opened applies.
    void chooserCancelled();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void openChooser();

    QColor m_color;
    QPointer<QColorDialog> m_dialog;
};
