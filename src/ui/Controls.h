#pragma once

// Small widgets the preferences and About windows are built from: a drawn
// on/off switch, a thin divider, a block that folds away with an animation,
// a scroll area whose scroll bar floats over the right margin, and the
// keyboard focus ring.

#include <QAbstractButton>
#include <QFocusFrame>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>

class QGraphicsOpacityEffect;
class QParallelAnimationGroup;
class QScrollBar;
class QVariantAnimation;

// The ring that shows which control has the keyboard focus: a line of
// theme::focusRingWidth in the palette's highlight colour along the control's
// edge (controls keep theme::focusMargin free for it), drawn over it (a child
// covering it) while it has the focus, in light and dark themes alike.
// Screen readers do not see it (a QFocusFrame).
class FocusRing : public QFocusFrame
{
    Q_OBJECT
public:
    enum class Shape
    {
        rounded, // a rounded rectangle with `radius` (outer edge)
        circle,  // the circle in the middle of the control
    };
    // `inset`: how far inside the control's edge the ring lies (a control
    // that draws up to its edge has it drawn inside its own border).
    static FocusRing *attach(QWidget *control, Shape shape = Shape::rounded, double radius = 8, double inset = 0);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    FocusRing(QWidget *control, Shape shape, double radius, double inset);
    void follow();

    QWidget *m_control;
    Shape m_shape;
    double m_radius;
    double m_inset;
};

// Enter and Return press the button as Space does (outside dialogs Qt's
// buttons ignore them): the same clicked() as a click.
void pressOnEnter(QAbstractButton *button);

// A checkable switch: a rounded track with a round knob that slides to the
// right when on. Space and Enter toggle it when focused.
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget *parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void checkStateSet() override;
    void nextCheckState() override;
    bool hitButton(const QPoint &pos) const override;

private:
    void animateKnob();
    double m_position = 0; // 0 off .. 1 on
    QVariantAnimation *m_animation;
};

// A horizontal hairline, optionally inset from both sides.
class Divider : public QWidget
{
    Q_OBJECT
public:
    explicit Divider(int inset = 0, QWidget *parent = nullptr);
    QSize sizeHint() const override { return {2 * m_inset + 1, 1}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_inset;
};

// Holds a block of controls that comes and goes: it grows from (or shrinks to)
// nothing while fading in (or out), 0.2 s ease-in-out, the content sliding in
// from the top edge. While folded away it is hidden and takes no space.
// `spacing` is the gap above the content, which folds away with it.
class FoldingBlock : public QWidget
{
    Q_OBJECT
public:
    static constexpr int durationMs = 200;

    FoldingBlock(QWidget *content, int spacing, QWidget *parent = nullptr);

    // The state asked for last; the animation may still be running.
    bool isExpanded() const { return m_expanded; }
    bool isAnimating() const;
    void setExpanded(bool expanded, bool animated);

    QWidget *content() const { return m_content; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // A content that wraps text is taller when narrower: the block tells its
    // layout the height for the width it is about to get.
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int fullHeight() const;
    void placeContent();
    void finish();

    QWidget *m_content;
    int m_spacing;
    bool m_expanded = true;
    QGraphicsOpacityEffect *m_opacity;
    QParallelAnimationGroup *m_animation;
};

// A vertically scrolling area whose scroll bar floats over the right edge
// instead of taking width from the content (the content keeps its margins
// free for it), shown only when there is something to scroll.
// It is at least as wide as its content's minimum, so a window around it
// grows with large text instead of cutting the content off.
class OverlayScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit OverlayScrollArea(QWidget *parent = nullptr);
    QScrollBar *overlayBar() const { return m_bar; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeBar();
    void styleBar();
    QScrollBar *m_bar;
};
