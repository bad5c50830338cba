#pragma once

#include "CurrentReading.h"

#include <QtGlobal>

#include <deque>
#include <optional>

/// What one cell measured: voltage in V, internal resistance in Ohm, temperature in degrees
/// Celsius; none where the meter showed an overload or no number.
struct CellValues
{
    std::optional<double> voltage;
    std::optional<double> resistance;
    std::optional<double> temperature;

    friend bool operator==(const CellValues&, const CellValues&) = default;
};

/// One display frame as the capture rule sees it.
struct CaptureFrame
{
    quint64 number = 0; ///< the reading's frame number: the same number again is no new frame
    qint64 ms = 0;      ///< when it arrived, on the monotonic clock
    CellValues values;
    double voltageStep = 0;    ///< one display digit of the voltage, in V
    double resistanceStep = 0; ///< one display digit of the resistance, in Ohm
};

/// The live reading as a capture frame that arrived at `ms`.
[[nodiscard]] CaptureFrame captureFrameOf(const CurrentReading& reading, qint64 ms);

/// How long a reading must stay steady, and how steady.
struct CaptureSettings
{
    qint64 settleMs = 800;
    int toleranceDigits = 0; ///< display digits allowed beyond the one of flicker
};

/// The hands-on-the-probes capture rule. A cell is taken when the probes touch it and the
/// reading has been steady for the settle time: voltage and resistance within one display
/// digit (plus the tolerance) over every frame of that time; the cell holds the median of
/// those frames. The next cell is armed only after the probes have left: a frame with the
/// resistance in overload or the voltage below 0.1 V. So a cell held for a minute is one
/// cell, a cell touched twice is two, and the ramp while the probes bite is never taken.
///
/// Only new frames count (a frame number seen before is ignored), and the frames of a settle
/// time must follow each other closely: a gap (the poll rested, the link was lost) starts the
/// settle time again.
class CellCapture
{
public:
    /// Below this voltage the probes touch no cell.
    static constexpr double ProbesOffVolts = 0.1;
    /// Frames further apart than this do not make one steady stretch.
    static constexpr qint64 MaxFrameGapMs = 1000;

    using Settings = CaptureSettings;

    enum class State
    {
        Waiting,  ///< armed: no cell on the probes
        Settling, ///< a cell is on the probes, not steady for long enough yet
        Holding,  ///< the cell on the probes is taken; waiting for the probes to leave
        Paused    ///< no frames (the link is lost); the next frame resumes
    };

    explicit CellCapture(Settings settings = {}) : m_settings(settings) {}

    void setSettings(Settings settings) { m_settings = settings; }
    [[nodiscard]] const Settings& settings() const { return m_settings; }

    /// The next frame; the cell when this frame completes a steady settle time.
    std::optional<CellValues> feed(const CaptureFrame& frame);
    /// The link is lost: what was settling is forgotten.
    void pause();
    /// A cell was taken by hand: the cell on the probes counts as taken.
    void holdUntilLifted();

    [[nodiscard]] State state() const;
    /// Whether a frame shows the probes off any cell.
    [[nodiscard]] static bool probesOff(const CaptureFrame& frame);

private:
    /// Whether `frame` joins the steady stretch: the spread of every value stays in bounds.
    [[nodiscard]] bool steadyWith(const CaptureFrame& frame) const;
    [[nodiscard]] CellValues median() const;
    /// Whether `values` are those of the cell taken last, within the steadiness bounds.
    [[nodiscard]] bool sameAsTaken(const CellValues& values, const CaptureFrame& frame) const;
    void restart();

    Settings m_settings;
    std::deque<CaptureFrame> m_run; // the steady stretch so far, oldest first
    std::optional<quint64> m_lastNumber;
    qint64 m_lastMs = 0;
    bool m_holding = false;
    bool m_paused = false;
    // The probes may have left and come back unseen (a gap while a cell was held): a steady
    // reading of other values is then a new cell.
    bool m_heldUnseen = false;
    CellValues m_taken;
};
