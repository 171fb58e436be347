#pragma once
// The window system's timer control: an interval in milliseconds and an enabled state; while both
// allow it, Tick is raised every Interval milliseconds. An interval of 0 raises nothing. The timer
// is a precise one, so a 10 ms interval really means 10 ms where the system can keep it.
#include <QObject>
#include <QTimer>

namespace vb {

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr);

    int Interval() const { return interval; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled; }
    void SetEnabled(bool on);

signals:
    // The timer's event: its handler is the owner's <name>_Timer procedure.
    void Tick();

private:
    void apply();
    QTimer timer;
    int interval = 0;
    bool enabled = false;
};

} // namespace vb
