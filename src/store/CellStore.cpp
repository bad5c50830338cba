#include "CellStore.h"

#include "CsvReadings.h"
#include "OutputFile.h"
#include "ReadingJson.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <array>

namespace {

QAtomicInt connections;

// Each step brings the schema from the version before it to its own (step k to version k + 1);
// a new file takes them all. Written down in docs/cell-database.md: keep the two together.
const std::array<QStringList, CellStore::SchemaVersion> kSteps{{
    // 1: sessions and their cells.
    {QStringLiteral("CREATE TABLE sessions ("
                    "id INTEGER PRIMARY KEY,"
                    "name TEXT NOT NULL UNIQUE,"
                    "created TEXT NOT NULL,"
                    "id_prefix TEXT NOT NULL DEFAULT 'A',"
                    "next_number INTEGER NOT NULL DEFAULT 1,"
                    "settle_s REAL NOT NULL DEFAULT 0.8,"
                    "voltage_min REAL,"
                    "voltage_max REAL,"
                    "resistance_max REAL)"),
     QStringLiteral("CREATE TABLE cells ("
                    "id INTEGER PRIMARY KEY,"
                    "session_id INTEGER NOT NULL REFERENCES sessions(id) ON DELETE CASCADE,"
                    "cell_id TEXT NOT NULL,"
                    "taken TEXT NOT NULL,"
                    "voltage_v REAL,"
                    "resistance_ohm REAL,"
                    "temperature_c REAL,"
                    "verdict TEXT NOT NULL,"
                    "reason TEXT NOT NULL DEFAULT '',"
                    "UNIQUE (session_id, cell_id))")},
    // 2: the capture's tolerance, warning bands, where the limits came from, capacities.
    {QStringLiteral("ALTER TABLE sessions ADD COLUMN tolerance_digits INTEGER NOT NULL DEFAULT 0"),
     QStringLiteral("ALTER TABLE sessions ADD COLUMN voltage_warn_min REAL"),
     QStringLiteral("ALTER TABLE sessions ADD COLUMN voltage_warn_max REAL"),
     QStringLiteral("ALTER TABLE sessions ADD COLUMN resistance_warn REAL"),
     QStringLiteral("ALTER TABLE sessions ADD COLUMN limits_source TEXT NOT NULL DEFAULT ''"),
     QStringLiteral("ALTER TABLE cells ADD COLUMN capacity_ah REAL")},
}};

const QString kSessionColumns = QStringLiteral(
    "s.id, s.name, s.created, s.id_prefix, s.next_number, s.settle_s, s.tolerance_digits, "
    "s.voltage_min, s.voltage_max, s.resistance_max, s.voltage_warn_min, s.voltage_warn_max, "
    "s.resistance_warn, s.limits_source, (SELECT COUNT(*) FROM cells c WHERE c.session_id = s.id)");

const QString kCellColumns =
    QStringLiteral("id, cell_id, taken, voltage_v, resistance_ohm, temperature_c, capacity_ah, "
                   "verdict, reason");

// A null text would be stored as NULL; the text columns hold "" for none.
QString notNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QVariant bound(const std::optional<double>& value)
{
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<double>());
}

std::optional<double> optionalAt(const QSqlQuery& q, int column)
{
    const QVariant v = q.value(column);
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

// SQLite says "UNIQUE constraint failed" with its extended code, or the plain one.
bool isDuplicate(const QSqlError& error)
{
    return error.nativeErrorCode() == u"2067" || error.nativeErrorCode() == u"19" ||
           error.databaseText().contains(QLatin1String("UNIQUE"));
}

QString stamp(const QDateTime& when)
{
    return isoTimeWithOffset(when);
}

GradeSession sessionAt(const QSqlQuery& q)
{
    GradeSession s;
    s.key = q.value(0).toLongLong();
    s.name = q.value(1).toString();
    s.created = QDateTime::fromString(q.value(2).toString(), Qt::ISODate);
    s.idPrefix = q.value(3).toString();
    s.nextNumber = q.value(4).toLongLong();
    s.settleSeconds = q.value(5).toDouble();
    s.toleranceDigits = q.value(6).toInt();
    s.limits.voltageMin = optionalAt(q, 7);
    s.limits.voltageMax = optionalAt(q, 8);
    s.limits.resistanceMax = optionalAt(q, 9);
    s.limits.voltageWarnMin = optionalAt(q, 10);
    s.limits.voltageWarnMax = optionalAt(q, 11);
    s.limits.resistanceWarn = optionalAt(q, 12);
    s.limitsSource = q.value(13).toString();
    s.cellCount = q.value(14).toLongLong();
    return s;
}

GradedCell cellAt(const QSqlQuery& q)
{
    GradedCell c;
    c.key = q.value(0).toLongLong();
    c.id = q.value(1).toString();
    c.taken = QDateTime::fromString(q.value(2).toString(), Qt::ISODate);
    c.values = {optionalAt(q, 3), optionalAt(q, 4), optionalAt(q, 5)};
    c.capacity = optionalAt(q, 6);
    c.grade.verdict = verdictFromText(q.value(7).toString()).value_or(Verdict::Fail);
    c.grade.reason = q.value(8).toString();
    return c;
}

void bindCell(QSqlQuery& q, const GradedCell& cell)
{
    q.bindValue(QStringLiteral(":taken"), stamp(cell.taken));
    q.bindValue(QStringLiteral(":v"), bound(cell.values.voltage));
    q.bindValue(QStringLiteral(":r"), bound(cell.values.resistance));
    q.bindValue(QStringLiteral(":t"), bound(cell.values.temperature));
    q.bindValue(QStringLiteral(":capacity"), bound(cell.capacity));
    q.bindValue(QStringLiteral(":verdict"), verdictText(cell.grade.verdict));
    q.bindValue(QStringLiteral(":reason"), notNull(cell.grade.reason));
}

} // namespace

QString CellStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/CellDesk/cells.sqlite");
}

CellStore::CellStore()
    : m_connection(QStringLiteral("celldesk-cells-%1").arg(connections.fetchAndAddRelaxed(1)))
{
}

CellStore::~CellStore()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

bool CellStore::fail(const QString& what)
{
    m_error = what;
    return false;
}

bool CellStore::exec(const QString& sql)
{
    QSqlQuery q(m_db);
    if (q.exec(sql))
        return true;
    return fail(q.lastError().text());
}

bool CellStore::open(const QString& path)
{
    m_path = path;
    if (const QString refusal = outputRefusal(path); !refusal.isEmpty())
        return fail(refusal);
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot make the folder %1").arg(info.absolutePath()));
    if (!m_db.isValid())
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!m_db.open())
        return fail(m_db.lastError().text());
    // A file this program cannot read is refused before anything in it changes.
    if (const int version = schemaVersion(); version < 0 || version > SchemaVersion) {
        m_db.close();
        return fail(versionRefusal(version));
    }
    // WAL lets a reader go on while the other program writes; FULL makes every commit reach
    // the disk before it counts, so a cell shown is a cell kept, power cut or not.
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next()) {
        const QString reason = q.lastError().text();
        m_db.close();
        return fail(QStringLiteral("%1 is not a cell database: %2").arg(path, reason));
    }
    q.finish();
    if (!exec(QStringLiteral("PRAGMA synchronous=FULL")) ||
        !exec(QStringLiteral("PRAGMA foreign_keys=ON")) || !upgrade()) {
        m_db.close();
        return false;
    }
    m_error.clear();
    return true;
}

int CellStore::schemaVersion()
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return -1;
    return q.value(0).toInt();
}

QString CellStore::versionRefusal(int version) const
{
    if (version < 0)
        return QStringLiteral("%1 is not a cell database").arg(m_path);
    return QStringLiteral("%1 was written by a newer CellDesk (schema %2; this one reads up to %3)")
        .arg(m_path)
        .arg(version)
        .arg(SchemaVersion);
}

bool CellStore::upgrade()
{
    // One program upgrades at a time: the version is read again once the write lock is held.
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    const int version = schemaVersion();
    if (version < 0 || version > SchemaVersion) {
        exec(QStringLiteral("ROLLBACK"));
        return fail(versionRefusal(version));
    }
    for (int step = version; step < SchemaVersion; ++step) {
        for (const QString& sql : kSteps[size_t(step)]) {
            if (!exec(sql)) {
                const QString reason = m_error;
                exec(QStringLiteral("ROLLBACK"));
                return fail(QStringLiteral("%1 could not be brought to schema %2: %3")
                                .arg(m_path)
                                .arg(step + 1)
                                .arg(reason));
            }
        }
    }
    if (!exec(QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion)) ||
        !exec(QStringLiteral("COMMIT"))) {
        exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

std::optional<QList<GradeSession>> CellStore::sessions()
{
    QSqlQuery q(m_db);
    if (!q.exec(
            QStringLiteral("SELECT %1 FROM sessions s ORDER BY s.id DESC").arg(kSessionColumns))) {
        fail(q.lastError().text());
        return std::nullopt;
    }
    QList<GradeSession> out;
    while (q.next())
        out.append(sessionAt(q));
    return out;
}

std::optional<GradeSession> CellStore::session(const QString& name)
{
    QSqlQuery q(m_db);
    q.prepare(
        QStringLiteral("SELECT %1 FROM sessions s WHERE s.name = :name").arg(kSessionColumns));
    q.bindValue(QStringLiteral(":name"), name);
    if (!q.exec() || !q.next()) {
        fail(q.lastError().isValid() ? q.lastError().text()
                                     : QStringLiteral("there is no session named %1").arg(name));
        return std::nullopt;
    }
    return sessionAt(q);
}

std::optional<GradeSession> CellStore::session(qint64 key)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT %1 FROM sessions s WHERE s.id = :id").arg(kSessionColumns));
    q.bindValue(QStringLiteral(":id"), key);
    if (!q.exec() || !q.next()) {
        fail(q.lastError().isValid() ? q.lastError().text()
                                     : QStringLiteral("the session is gone"));
        return std::nullopt;
    }
    return sessionAt(q);
}

bool CellStore::createSession(GradeSession& session)
{
    if (session.name.trimmed().isEmpty())
        return fail(QStringLiteral("a session needs a name"));
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO sessions (name, created) VALUES (:name, :created)"));
    q.bindValue(QStringLiteral(":name"), session.name);
    q.bindValue(QStringLiteral(":created"), stamp(session.created));
    if (!q.exec())
        return fail(isDuplicate(q.lastError())
                        ? QStringLiteral("a session named %1 exists already").arg(session.name)
                        : q.lastError().text());
    session.key = q.lastInsertId().toLongLong();
    return saveSession(session);
}

bool CellStore::saveSession(const GradeSession& s)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral(
        "UPDATE sessions SET id_prefix = :prefix, next_number = :next, settle_s = :settle, "
        "tolerance_digits = :tolerance, voltage_min = :vmin, voltage_max = :vmax, "
        "resistance_max = :rmax, voltage_warn_min = :vwmin, voltage_warn_max = :vwmax, "
        "resistance_warn = :rwarn, limits_source = :source WHERE id = :id"));
    q.bindValue(QStringLiteral(":prefix"), s.idPrefix);
    q.bindValue(QStringLiteral(":next"), s.nextNumber);
    q.bindValue(QStringLiteral(":settle"), s.settleSeconds);
    q.bindValue(QStringLiteral(":tolerance"), s.toleranceDigits);
    q.bindValue(QStringLiteral(":vmin"), bound(s.limits.voltageMin));
    q.bindValue(QStringLiteral(":vmax"), bound(s.limits.voltageMax));
    q.bindValue(QStringLiteral(":rmax"), bound(s.limits.resistanceMax));
    q.bindValue(QStringLiteral(":vwmin"), bound(s.limits.voltageWarnMin));
    q.bindValue(QStringLiteral(":vwmax"), bound(s.limits.voltageWarnMax));
    q.bindValue(QStringLiteral(":rwarn"), bound(s.limits.resistanceWarn));
    q.bindValue(QStringLiteral(":source"), notNull(s.limitsSource));
    q.bindValue(QStringLiteral(":id"), s.key);
    return q.exec() || fail(q.lastError().text());
}

bool CellStore::renameSession(qint64 key, const QString& name)
{
    if (name.trimmed().isEmpty())
        return fail(QStringLiteral("a session needs a name"));
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE sessions SET name = :name WHERE id = :id"));
    q.bindValue(QStringLiteral(":name"), name);
    q.bindValue(QStringLiteral(":id"), key);
    if (q.exec())
        return true;
    return fail(isDuplicate(q.lastError())
                    ? QStringLiteral("a session named %1 exists already").arg(name)
                    : q.lastError().text());
}

bool CellStore::deleteSession(qint64 key)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM sessions WHERE id = :id"));
    q.bindValue(QStringLiteral(":id"), key);
    return q.exec() || fail(q.lastError().text());
}

std::optional<QList<GradedCell>> CellStore::cells(qint64 session)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM cells WHERE session_id = :session ORDER BY id")
                  .arg(kCellColumns));
    q.bindValue(QStringLiteral(":session"), session);
    if (!q.exec()) {
        fail(q.lastError().text());
        return std::nullopt;
    }
    QList<GradedCell> out;
    while (q.next())
        out.append(cellAt(q));
    return out;
}

bool CellStore::addCell(qint64 session, GradedCell& cell, qint64 nextNumber)
{
    const bool own = !m_inCommit; // a commit of its own, else the caller's
    if (own && !exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO cells (session_id, cell_id, taken, voltage_v, "
                             "resistance_ohm, temperature_c, capacity_ah, verdict, reason) "
                             "VALUES (:session, :id, :taken, :v, :r, :t, :capacity, :verdict, "
                             ":reason)"));
    q.bindValue(QStringLiteral(":session"), session);
    q.bindValue(QStringLiteral(":id"), cell.id);
    bindCell(q, cell);
    if (!q.exec()) {
        const QSqlError error = q.lastError();
        if (own)
            exec(QStringLiteral("ROLLBACK"));
        return fail(isDuplicate(error)
                        ? QStringLiteral("Cell %1 is in this session already.").arg(cell.id)
                        : error.text());
    }
    cell.key = q.lastInsertId().toLongLong();
    QSqlQuery next(m_db);
    next.prepare(QStringLiteral("UPDATE sessions SET next_number = :next WHERE id = :id"));
    next.bindValue(QStringLiteral(":next"), nextNumber);
    next.bindValue(QStringLiteral(":id"), session);
    if (!next.exec()) {
        const QString reason = next.lastError().text();
        if (own)
            exec(QStringLiteral("ROLLBACK"));
        cell.key = 0;
        return fail(reason);
    }
    if (own && !exec(QStringLiteral("COMMIT"))) {
        exec(QStringLiteral("ROLLBACK"));
        cell.key = 0;
        return false;
    }
    return true;
}

bool CellStore::inOneCommit(const std::function<bool()>& work)
{
    if (m_inCommit || !exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    m_inCommit = true;
    const bool done = work();
    m_inCommit = false;
    if (done && exec(QStringLiteral("COMMIT")))
        return true;
    const QString reason = m_error;
    exec(QStringLiteral("ROLLBACK"));
    m_error = reason;
    return false;
}

bool CellStore::updateCell(const GradedCell& cell)
{
    QSqlQuery q(m_db);
    q.prepare(
        QStringLiteral("UPDATE cells SET taken = :taken, voltage_v = :v, resistance_ohm = :r, "
                       "temperature_c = :t, capacity_ah = :capacity, verdict = :verdict, "
                       "reason = :reason WHERE id = :key"));
    bindCell(q, cell);
    q.bindValue(QStringLiteral(":key"), cell.key);
    return q.exec() || fail(q.lastError().text());
}

bool CellStore::updateCells(const QList<GradedCell>& cells, const GradeSession* session)
{
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (session && !saveSession(*session)) {
        const QString reason = m_error;
        exec(QStringLiteral("ROLLBACK"));
        return fail(reason);
    }
    for (const GradedCell& cell : cells) {
        if (!updateCell(cell)) {
            const QString reason = m_error;
            exec(QStringLiteral("ROLLBACK"));
            return fail(reason);
        }
    }
    if (!exec(QStringLiteral("COMMIT"))) {
        exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

bool CellStore::deleteCell(qint64 key)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM cells WHERE id = :key"));
    q.bindValue(QStringLiteral(":key"), key);
    return q.exec() || fail(q.lastError().text());
}
