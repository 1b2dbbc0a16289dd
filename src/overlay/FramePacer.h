#pragma once

// Runs a frame at most once per display refresh. The first request after a
// quiet spell runs the frame at once, adding no delay; requests that come
// within one frame interval of the last frame are merged into one frame at
// the end of that interval. While nothing is requested nothing runs, not even
// a timer.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class FramePacer : public QObject
{
    Q_OBJECT
public:
    explicit FramePacer(std::function<void()> frame, QObject *parent = nullptr);

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
    QTimer m_timer;
    QElapsedTimer m_sinceFrame; // invalid until the first frame
    double m_hz = 60;
    qint64 m_intervalNs = 16'666'667;
};
