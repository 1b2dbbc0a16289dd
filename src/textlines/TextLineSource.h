#pragma once

// Where the lines of text on the desktop are: "which text line is at this
// point" and "where is the text cursor's line", asked of the applications
// themselves. Answers arrive later, as signals; a question never blocks.
//
// Every rectangle is in global coordinates (see platform/Platform.h): the
// line's box, already padded from the glyph boxes toolkits report to a box
// that covers the whole line.

#include <QObject>
#include <QPointF>
#include <QRectF>

#include <optional>

namespace textlines {

class TextLineSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Switches the source on for snapping to lines, for following the text
    // cursor, for both, or neither. With both off it holds no connection and
    // leaves the desktop's accessibility switch as it found it.
    virtual void setActive(bool lines, bool caret) = 0;
    virtual bool isActive() const = 0;

    // Asks for the line at `point`. Only the latest question is answered:
    // asking again before the answer came replaces the question.
    virtual void requestLineAt(const QPointF &point) = 0;
    // Asks for the line after (direction > 0) or before (direction < 0) the
    // line `from` (a rectangle an earlier answer gave, or a guess near
    // `from`'s centre). Answered by stepped().
    virtual void requestStep(const QRectF &from, int direction) = 0;
    // Forgets a pending question: its answer will not be given.
    virtual void cancel() = 0;
    // The text of `line`, a rectangle the last lineAt() or stepped() answer
    // gave (read aloud from there); empty when the source does not know it.
    virtual QString lineText(const QRectF &line) const
    {
        Q_UNUSED(line);
        return {};
    }

Q_SIGNALS:
    // The answer to requestLineAt(point): the line, or nothing when no text
    // answered in time, the point is between lines, or the line holds no text.
    // Nothing for want of time may be followed by the line, once the
    // application answered late, unless another question came meanwhile.
    void lineAt(QPointF point, std::optional<QRectF> line);
    // The answer to requestStep(): the next or previous line, or nothing.
    void stepped(QRectF from, int direction, std::optional<QRectF> line);
    // The text cursor moved in the focused application (only while following
    // the caret): the line it is on now.
    void caretLineChanged(QRectF line);
};

} // namespace textlines
