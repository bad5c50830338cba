#pragma once

#include "CellCapture.h"
#include "CellStore.h"
#include "GradeCsv.h"
#include "PackMatcher.h"

#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

class Clock;
class MeterLink;
class PollCycle;
struct CurrentReading;

/// A grading session at work, without any window: the live reading's frames go through the
/// capture rule, each cell taken gets its ID and verdict and is committed to the database
/// before anyone is told of it. The Cell Grading window and `celldesk-cli grade` both run
/// one; neither has its own copy of a step.
class GradingSession : public QObject
{
    Q_OBJECT
public:
    /// Where the capture stands, as the window's status line and the command line say it.
    enum class Status
    {
        Waiting,  ///< armed: set the probes on the next cell
        Settling, ///< a cell on the probes, not steady for long enough yet
        Holding,  ///< the cell on the probes is taken: lift the probes
        Paused    ///< the meter sends nothing: capture is paused
    };

    /// `store` must be open; `reading` and `clock` outlive the session.
    GradingSession(CellStore& store, const CurrentReading& reading, const Clock& clock,
                   QObject* parent = nullptr);

    /// Opens the session named `name`, making it when there is none; false with error().
    bool open(const QString& name);
    /// Opens the stored session `key`.
    bool open(qint64 key);
    [[nodiscard]] bool isOpen() const { return m_info.key != 0; }
    [[nodiscard]] const GradeSession& info() const { return m_info; }
    [[nodiscard]] const QList<GradedCell>& cells() const { return m_cells; }
    /// Why the last call failed.
    [[nodiscard]] const QString& error() const { return m_error; }
    [[nodiscard]] CellStore& store() { return m_store; }

    /// New limits: every cell is graded again, and all of it stored in one commit.
    bool setLimits(const GradeLimits& limits, const QString& source = {});
    /// The capture's settle time and tolerance.
    bool setCapture(double settleSeconds, int toleranceDigits);
    /// The prefix of the automatic IDs from now on.
    bool setPrefix(const QString& prefix);

    /// Takes the frames of `poll` and the link state of `link` from now on.
    void attach(PollCycle& poll, MeterLink& link);
    /// A display frame was decoded into the reading.
    void takeFrame();
    /// The link is lost (capture pauses) or back.
    void setLinkLost(bool lost);
    [[nodiscard]] Status status() const { return m_status; }

    /// The ID the next cell takes: the one typed or scanned, else the next automatic one.
    [[nodiscard]] QString nextId() const;
    /// Gives the next cell this ID (typed, or scanned by a barcode reader); an ID the session
    /// has already is refused ("Cell A0003 is in this session already."). Empty: automatic.
    bool setNextId(const QString& id);

    /// Takes the present reading as a cell at once (Space): refused unless it is young (its
    /// frame at most 1 s old) and the link is up. The cell on the probes then counts as taken.
    bool takeNow();
    /// The next cell taken replaces the values of cell `key`, which keeps its ID.
    bool measureAgain(qint64 key);
    void cancelMeasureAgain() { m_againKey = 0; }
    /// The cell the next capture replaces, 0 for none.
    [[nodiscard]] qint64 measuringAgain() const { return m_againKey; }
    bool removeCell(qint64 key);
    /// Takes each manual record of the meter's reply to "T" as a cell; false when none.
    bool importManual(QByteArrayView reply);
    /// Sets the capacities of the cells whose IDs `capacities` lists; the IDs it lists that the
    /// session has not are returned.
    std::optional<QStringList> setCapacities(const QList<PackCell>& capacities);
    bool setCapacity(qint64 key, std::optional<double> capacity);

    /// The session's cells as a pack's: ID, capacity, resistance, passing.
    [[nodiscard]] QList<PackCell> packCells() const;

signals:
    /// A cell was taken and stored: appended (`replaced` -1) or in place of row `replaced`.
    void cellTaken(const GradedCell& cell, int replaced);
    /// Row `row` changed by hand (its capacity).
    void cellEdited(int row);
    /// Row `row` was removed.
    void cellRemoved(int row);
    /// Every row may have changed (new limits, capacities, another session opened).
    void cellsReset();
    void statusChanged(GradingSession::Status status);
    /// A cell could not be stored, or the capture cannot go on: what to tell the user.
    void failed(const QString& message);

private:
    bool load(const std::optional<GradeSession>& session);
    bool saveInfo();
    /// Takes a cell: stored, then told with cellTaken (or, in a bulk import, kept for one
    /// cellsReset at the end). False when it could not be stored.
    bool record(const CellValues& values);
    void updateStatus();
    [[nodiscard]] int rowOf(qint64 key) const;
    bool fail(const QString& message);

    CellStore& m_store;
    const CurrentReading& m_reading;
    const Clock& m_clock;
    GradeSession m_info;
    QList<GradedCell> m_cells;
    QSet<QString> m_ids;
    CellCapture m_capture;
    std::optional<CaptureFrame> m_last;
    QString m_typedId;
    qint64 m_againKey = 0;
    bool m_linkLost = false;
    bool m_bulk = false; // a bulk import runs: no signal per cell, a failure ends it
    Status m_status = Status::Waiting;
    QString m_error;
};
