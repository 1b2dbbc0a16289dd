#include "overlay/FramePacer.h"

#include <chrono>
#include <cmath>

FramePacer::FramePacer(std::function<void()> frame, Clock clock, QObject *parent)
    : QObject(parent), m_frame(std::move(frame)), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] {
            return qint64(std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now().time_since_epoch()).count());
        };
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FramePacer::run);
}

void FramePacer::setFrameRate(double hz)
{
    if (!(hz >= 1 && hz <= 1000))
        hz = 60;
    m_hz = hz;
    m_intervalNs = qint64(1e9 / hz);
}

void FramePacer::request()
{
    if (m_timer.isActive())
        return; // merged into the frame that is waiting
    const qint64 since = m_lastFrameNs ? m_clock() - *m_lastFrameNs : m_intervalNs;
    if (since >= m_intervalNs) {
        run();
        return;
    }
    // Whole milliseconds, rounded up: never before the frame time.
    m_timer.start(int(std::ceil(double(m_intervalNs - since) / 1e6)));
}

void FramePacer::run()
{
    m_timer.stop();
    m_lastFrameNs = m_clock();
    if (m_frame)
        m_frame();
}
