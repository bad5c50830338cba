#pragma once

#include "GradeCsv.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

/// A grading session as the database keeps it: its name, how its cells are numbered and
/// taken, and its limits.
struct GradeSession
{
    qint64 key = 0; ///< its row; 0 before it is stored
    QString name;
    QDateTime created;
    QString idPrefix = QStringLiteral("A");
    qint64 nextNumber = 1; ///< of the next automatic cell ID
    double settleSeconds = 0.8;
    int toleranceDigits = 0;
    GradeLimits limits;
    QString limitsSource;    ///< where the limits came from: "comparator set 5", empty if typed
    qsizetype cellCount = 0; ///< filled in by sessions()
};

/// The cell-session database: an SQLite file (Qt SQL, the QSQLITE driver) that holds every
/// session and every cell graded in it. Each change is committed at once, so a crash or a
/// kill loses no cell stored. Several programs may use one file at a time (the window and
/// the command line): it runs in WAL mode and waits up to BusyTimeoutMs for another writer.
/// The schema carries its version in `PRAGMA user_version`; opening an older file upgrades
/// it step by step, a newer one is refused (docs/cell-database.md). One per process writes.
class CellStore
{
public:
    /// The schema this program writes.
    static constexpr int SchemaVersion = 2;
    /// Longest wait for another program's write to end.
    static constexpr int BusyTimeoutMs = 5000;

    /// ~/.local/share/CellDesk/cells.sqlite (the user's data folder).
    [[nodiscard]] static QString defaultPath();

    CellStore();
    ~CellStore();
    CellStore(const CellStore&) = delete;
    CellStore& operator=(const CellStore&) = delete;

    /// Opens (or makes, with its folder) the database at `path` and brings its schema up to
    /// date. False with error() saying why: not a regular file, not a database, written by a
    /// newer CellDesk, or the system's reason.
    bool open(const QString& path);
    [[nodiscard]] bool isOpen() const { return m_db.isOpen(); }
    [[nodiscard]] QString path() const { return m_path; }
    /// Why the last call failed.
    [[nodiscard]] const QString& error() const { return m_error; }

    /// Every session, newest first, with its number of cells.
    [[nodiscard]] std::optional<QList<GradeSession>> sessions();
    [[nodiscard]] std::optional<GradeSession> session(const QString& name);
    [[nodiscard]] std::optional<GradeSession> session(qint64 key);
    /// Stores a new session; `session.key` gets its row. A name in use is refused.
    bool createSession(GradeSession& session);
    /// Stores a session's settings and limits (not its name).
    bool saveSession(const GradeSession& session);
    bool renameSession(qint64 key, const QString& name);
    /// Deletes a session with all its cells.
    bool deleteSession(qint64 key);

    /// The cells of a session in the order they were taken.
    [[nodiscard]] std::optional<QList<GradedCell>> cells(qint64 session);
    /// Stores a new cell (`cell.key` gets its row) and, in the same commit, the session's next
    /// automatic number. An ID the session has already is refused.
    bool addCell(qint64 session, GradedCell& cell, qint64 nextNumber);
    /// Stores a cell's values, time, capacity and grade again (its ID stays).
    bool updateCell(const GradedCell& cell);
    /// Stores many cells' changes in one commit (new capacities, grades under new limits), and
    /// `session`'s settings with them when given: both are stored, or neither.
    bool updateCells(const QList<GradedCell>& cells, const GradeSession* session = nullptr);
    bool deleteCell(qint64 key);
    /// Runs `work` as one commit: every cell it adds is stored, or none when it returns false
    /// (one write to the disk for a bulk import instead of one per cell).
    bool inOneCommit(const std::function<bool()>& work);

    /// The schema version of the open file.
    [[nodiscard]] int schemaVersion();

private:
    bool upgrade();
    [[nodiscard]] QString versionRefusal(int version) const;
    bool fail(const QString& what);
    bool exec(const QString& sql);

    QString m_connection;
    QSqlDatabase m_db;
    QString m_path;
    QString m_error;
    bool m_inCommit = false; // inside inOneCommit(): addCell() commits nothing of its own
};
