#include "overlay/FramePacer.h"

#include <cmath>

FramePacer::FramePacer(std::function<void()> frame, QObject *parent) : QObject(parent), m_frame(std::move(frame))
{
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
    const qint64 since = m_sinceFrame.isValid() ? m_sinceFrame.nsecsElapsed() : m_intervalNs;
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
    m_sinceFrame.start();
    if (m_frame)
        m_frame();
}
