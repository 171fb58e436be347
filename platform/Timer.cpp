#include "platform/Timer.h"

namespace vb {

Timer::Timer(QObject* parent) : QObject(parent)
{
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &Timer::Tick);
}

void Timer::SetInterval(int milliseconds)
{
    interval = milliseconds < 0 ? 0 : milliseconds;
    apply();
}

void Timer::SetEnabled(bool on)
{
    if (on == enabled)
        return;
    enabled = on;
    apply();
}

void Timer::apply()
{
    // Setting the interval or enabling starts the count afresh, as the window system's timer does.
    if (enabled && interval > 0)
        timer.start(interval);
    else
        timer.stop();
}

} // namespace vb
