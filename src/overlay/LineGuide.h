#pragma once

// Where the guide stands when it is not simply at the pointer: on the line of
// text the pointer rests on, on the text cursor's line, a line further down
// or up after a step, or locked in place. The overlay manager hands it every
// pointer move; it says whether the guide follows the pointer (the manager's
// usual path) or places the guide itself through the placer.
//
// The lines come from a textlines::TextLineSource, made only once snapping or
// following the text cursor is switched on. Without one (both off, or no
// source on this desktop) steps move by the last line height seen, or by the
// guide's thickness, and a move of the pointer costs a few comparisons.
//
// A moving pointer is never held back: the guide follows each move at once
// and the line is asked for only after the pointer rested restMs, by one
// single-shot timer; a move cancels the question. Nothing in answer while
// the pointer still rests there is asked again, at reaskMs after the rest
// began: an application may build its accessible objects on the first
// question and answer only later ones in time. An answer that comes late, for
// where the pointer still rests, is taken too.

#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class AppSettings;

namespace textlines {
class TextLineSource;
}

class LineGuide : public QObject
{
    Q_OBJECT
public:
    // Places the guide at a point in global coordinates, or, with a line
    // height (> 0), on the line whose top is at the point's y. Returns false
    // when the point lies on no display (then nothing moved).
    using Placer = std::function<bool(const QPointF &at, double lineHeight)>;
    using SourceFactory = std::function<std::unique_ptr<textlines::TextLineSource>()>;

    // How long the pointer rests before the line under it is asked for.
    static constexpr int restMs = 100;
    // When, after the rest began, a question answered with nothing is asked again.
    static constexpr std::array<int, 2> reaskMs{300, 1000};
    // How far (points) the pointer moves before a stepped guide, or one on
    // the text cursor's line, follows it again.
    static constexpr double reattachDistance = 8;
    // Steps asked ahead of the answers (a held key) at most.
    static constexpr int maxQueuedSteps = 8;

    enum class Mode {
        pointer,  // at the pointer
        onLine,   // on the line the pointer rested on; follows the pointer along it
        detached, // stepped, on the text cursor's line, or with no pointer to follow
        locked,   // frozen until unlocked or stepped
    };

    LineGuide(AppSettings &settings, Placer place, QObject *parent = nullptr);
    ~LineGuide() override;

    // Where lines come from; called when snapping or following is first
    // switched on. Without a factory the guide steps by heights alone.
    void setSourceFactory(SourceFactory factory);
    textlines::TextLineSource *source() const { return m_source.get(); }

    // A pointer move (global coordinates). True: the guide follows the
    // pointer, the caller places it there; false: it stays where it is, or
    // was placed here.
    bool pointerMoved(const QPointF &at);
    // Where the desktop shell moves the guide with the pointer and lets go
    // of a held guide itself, no move is seen: the pointer came to rest at
    // `at` (the line there is asked for at once), and the shell let go of
    // the guide, which follows the pointer again.
    void pointerRested(const QPointF &at);
    void guideReleased();

    // The guide was switched on or off. Off forgets the lock, the step and
    // any question: switched on again it starts at the pointer.
    void setGuideEnabled(bool enabled);
    // No pointer can be followed here: the guide waits at `at` and moves only
    // by steps, the lock and the text cursor.
    void startWithoutPointer(const QPointF &at);
    // The guides were rebuilt: places the guide again where it stood, unless
    // it follows the pointer anyway.
    void placeAgain();

    // One line down (direction > 0) or up; detaches the guide from the pointer.
    void step(int direction);
    // One line of text down or up, answered by textStepped(): where the
    // source finds none, the guide stays (reading aloud steps this way).
    void stepToText(int direction);
    // Forgets a stepToText() not answered yet: the guide stays where it is.
    void cancelTextStep();
    void setLocked(bool locked);
    bool isLocked() const { return m_mode == Mode::locked; }

    Mode mode() const { return m_mode; }
    // The line the guide stands on, in global coordinates.
    std::optional<QRectF> line() const { return m_line; }

Q_SIGNALS:
    // The answer to stepToText(): the line the guide is on now, or nothing.
    void textStepped(std::optional<QRectF> line);
    // Something else took the guide: the pointer moved away from its line or
    // step, a person stepped it, it was locked, went to the text cursor's line, was switched off,
    // or the line switches changed under a stepToText().
    void guideTaken();

private:
    void updateSource();
    void followPointer();
    void placeAgainAnyway();
    void detach();
    void cancelQuestions();
    bool placeOnLine(const QRectF &line);
    QRectF currentLine() const;
    void askStep();
    void rested();
    void ask();
    void askAgainLater();
    void lineAnswered(QPointF point, std::optional<QRectF> line);
    void stepAnswered(std::optional<QRectF> line);
    void caretMoved(QRectF line);
    bool snapping() const;

    AppSettings &m_settings;
    Placer m_place;
    SourceFactory m_factory;
    std::unique_ptr<textlines::TextLineSource> m_source;
    QTimer m_rest;
    QTimer m_reask;            // the next question while the pointer rests
    QElapsedTimer m_restClock; // since the first question of this rest
    size_t m_reasks = 0;       // questions asked again in this rest

    Mode m_mode = Mode::pointer;
    bool m_enabled = false;
    bool m_hasPointer = true;
    bool m_restsReported = false; // by pointerRested(): no timer of its own
    QPointF m_pointer{qQNaN(), qQNaN()}; // the last reported position
    QPointF m_anchor;                    // where the pointer was when the guide detached
    QPointF m_at;                        // the guide's point: the pointer's, or x and the line's top
    std::optional<QRectF> m_line;
    double m_learnedHeight = 0; // of the last line seen

    bool m_asking = false; // a line question is out, for m_asked
    QPointF m_asked;
    bool m_stepping = false; // a step question is out, from m_stepFrom
    QRectF m_stepFrom;
    int m_queuedSteps = 0; // signed: down is positive
    bool m_textOnly = false; // the step out is a stepToText()
};
