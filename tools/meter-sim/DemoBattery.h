#pragma once

#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

class MeterSim;

/// Drives a MeterSim's display like a 12 V battery discharging under a constant-current load.
class DemoBattery : public QObject
{
    Q_OBJECT
public:
    /// The meter must outlive the battery.
    explicit DemoBattery(MeterSim& meter, QObject* parent = nullptr);

    /// Shows the first reading at once, then one second of discharge per second.
    void start();
    /// Stops the updates; the display keeps its last reading.
    void stop();
    /// Shows the reading of the current second of discharge, then moves on by one second.
    void step();
    /// Seconds of discharge so far.
    [[nodiscard]] int elapsedSeconds() const { return m_seconds; }

private:
    MeterSim& m_meter;
    QTimer m_timer;
    QRandomGenerator m_random{1250u};
    int m_seconds = 0;
    double m_dischargedMah = 0.0;
};
