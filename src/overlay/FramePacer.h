#pragma once

// Runs a frame at most once per display refresh. The first request after a
// quiet spell runs the frame at once, adding no delay; requests that come
// within one frame interval of the last frame are merged into one frame at
// the end of that interval. While nothing is requested nothing runs, not even
// a timer.

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class FramePacer : public QObject
{
    Q_OBJECT
public:
    // Monotonic time in nanoseconds. Empty: the system's monotonic clock.
    using Clock = std::function<qint64()>;

    explicit FramePacer(std::function<void()> frame, Clock clock = {}, QObject *parent = nullptr);

    // Frames per second: 1 to 1000; anything else reads as 60.
    void setFrameRate(double hz);
    double frameRate() const { return m_hz; }

    // Something changed: run the frame now or at the next frame time.
    void request();
    // Forgets a frame that is waiting.
    void cancel() { m_timer.stop(); }
    bool isWaiting() const { return m_timer.isActive(); }

private:
    void run();

    std::function<void()> m_frame;
    Clock m_clock;
    QTimer m_timer;
    std::optional<qint64> m_lastFrameNs; // none until the first frame
    double m_hz = 60;
    qint64 m_intervalNs = 16'666'667;
};
