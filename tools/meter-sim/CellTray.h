#pragma once

#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QTimer>

#include <optional>

class MeterSim;

/// One cell of an emulated tray: what the meter shows once the probes sit still on it.
struct TrayCell
{
    QString id;
    double volts = 3.7;
    double ohms = 0.040;
    double celsius = 25.0;
};

/// Plays a tray of cells on the emulated meter's display as a person grading it does: the
/// probes off (resistance in overload, no voltage), then set on the next cell: a ramp while
/// they bite (resistance falling from three times its value, voltage rising), then the
/// cell's reading held with a digit of flicker, then off again for the next. After the last
/// cell the probes stay off.
class CellTray : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        int gapMs = 1000;  ///< probes off between two cells
        int rampMs = 500;  ///< while the probes bite
        int holdMs = 2000; ///< the steady reading, flickering
        int stepMs = 100;  ///< how often the display changes
    };

    /// The meter must outlive the tray.
    CellTray(MeterSim& meter, QList<TrayCell> cells, QObject* parent = nullptr);

    void setTiming(const Timing& timing) { m_timing = timing; }
    [[nodiscard]] const Timing& timing() const { return m_timing; }
    [[nodiscard]] const QList<TrayCell>& cells() const { return m_cells; }

    /// Starts with the probes off the first cell.
    void start();
    /// Stops; the display keeps what it shows.
    void stop();
    [[nodiscard]] bool isRunning() const { return m_timer.isActive(); }

    /// `count` cells of a Li-ion tray, the same for the same seed: about 3.95 V and 42 mOhm,
    /// a few of them outside the usual limits, IDs T001, T002, ...
    [[nodiscard]] static QList<TrayCell> generated(int count, quint32 seed = 2026);
    /// The cells of a CSV file: a header naming cell_id, voltage_V and resistance_Ohm (and
    /// temperature_C), then one row per cell. None, with `error`, for anything else.
    [[nodiscard]] static std::optional<QList<TrayCell>> fromCsv(QByteArrayView bytes,
                                                                QString& error);

signals:
    /// Cell `index` (from 0) now shows its steady reading: the first frame from now on is
    /// steady.
    void steady(int index);
    /// The probes left the last cell.
    void finished();

private:
    void step();
    void show(double volts, std::optional<double> ohms, double celsius);

    MeterSim& m_meter;
    QList<TrayCell> m_cells;
    Timing m_timing;
    QTimer m_timer;
    QRandomGenerator m_random{7u};
    int m_index = 0;
    qint64 m_phaseMs = 0; // time into the present cell: gap, ramp, hold
};
