#include "GradingSession.h"

#include "Clock.h"
#include "CsvReadings.h"
#include "MemoryRecords.h"
#include "MeterLink.h"
#include "PollCycle.h"
#include "SampleSchedule.h"

#include <QHash>

GradingSession::GradingSession(CellStore& store, const CurrentReading& reading, const Clock& clock,
                               QObject* parent)
    : QObject(parent), m_store(store), m_reading(reading), m_clock(clock)
{
}

bool GradingSession::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool GradingSession::open(const QString& name)
{
    std::optional<GradeSession> session = m_store.session(name);
    if (!session) {
        GradeSession fresh;
        fresh.name = name;
        fresh.created = m_clock.now();
        if (!m_store.createSession(fresh))
            return fail(m_store.error());
        session = fresh;
    }
    return load(session);
}

bool GradingSession::open(qint64 key)
{
    return load(m_store.session(key));
}

bool GradingSession::load(const std::optional<GradeSession>& session)
{
    if (!session)
        return fail(m_store.error());
    const auto cells = m_store.cells(session->key);
    if (!cells)
        return fail(m_store.error());
    m_info = *session;
    m_cells = *cells;
    m_ids.clear();
    for (const GradedCell& c : m_cells)
        m_ids.insert(c.id);
    m_info.cellCount = m_cells.size();
    m_capture.setSettings({qint64(m_info.settleSeconds * 1000 + 0.5), m_info.toleranceDigits});
    m_typedId.clear();
    m_againKey = 0;
    emit cellsReset();
    return true;
}

bool GradingSession::saveInfo()
{
    return m_store.saveSession(m_info) || fail(m_store.error());
}

bool GradingSession::setLimits(const GradeLimits& limits, const QString& source)
{
    QList<GradedCell> regraded = m_cells;
    for (GradedCell& c : regraded)
        c.grade = gradeCell(limits, c.values);
    const GradeSession before = m_info;
    m_info.limits = limits;
    m_info.limitsSource = source;
    if (!m_store.updateCells(regraded, &m_info)) {
        m_info = before;
        return fail(m_store.error());
    }
    m_cells = regraded;
    emit cellsReset();
    return true;
}

bool GradingSession::setCapture(double settleSeconds, int toleranceDigits)
{
    m_info.settleSeconds = settleSeconds;
    m_info.toleranceDigits = toleranceDigits;
    m_capture.setSettings({qint64(settleSeconds * 1000 + 0.5), toleranceDigits});
    return saveInfo();
}

bool GradingSession::setPrefix(const QString& prefix)
{
    const QString trimmed = prefix.trimmed();
    if (trimmed != m_info.idPrefix) {
        m_info.idPrefix = trimmed;
        m_info.nextNumber = 1; // a new prefix counts from 1; IDs in use are skipped
    }
    return saveInfo();
}

void GradingSession::attach(PollCycle& poll, MeterLink& link)
{
    connect(&poll, &PollCycle::frameDecoded, this, &GradingSession::takeFrame);
    connect(&link, &MeterLink::linkLost, this, [this] { setLinkLost(true); });
    connect(&link, &MeterLink::linkRestored, this, [this] { setLinkLost(false); });
    setLinkLost(link.isLost());
}

void GradingSession::takeFrame()
{
    const CaptureFrame frame = captureFrameOf(m_reading, m_clock.monotonicMs());
    if (m_last && m_last->number == frame.number)
        return; // no new frame: the reading stands still
    m_last = frame;
    m_linkLost = false;
    if (const std::optional<CellValues> cell = m_capture.feed(frame))
        record(*cell);
    updateStatus();
}

void GradingSession::setLinkLost(bool lost)
{
    if (lost == m_linkLost)
        return;
    m_linkLost = lost;
    if (lost)
        m_capture.pause();
    updateStatus();
}

void GradingSession::updateStatus()
{
    Status now = Status::Waiting;
    if (m_linkLost) {
        now = Status::Paused;
    } else {
        switch (m_capture.state()) {
        case CellCapture::State::Settling:
            now = Status::Settling;
            break;
        case CellCapture::State::Holding:
            now = Status::Holding;
            break;
        case CellCapture::State::Paused:
            now = Status::Paused;
            break;
        case CellCapture::State::Waiting:
            break;
        }
    }
    if (now != m_status) {
        m_status = now;
        emit statusChanged(now);
    }
}

QString GradingSession::nextId() const
{
    if (!m_typedId.isEmpty())
        return m_typedId;
    qint64 number = m_info.nextNumber;
    while (m_ids.contains(automaticCellId(m_info.idPrefix, number)))
        ++number;
    return automaticCellId(m_info.idPrefix, number);
}

bool GradingSession::setNextId(const QString& id)
{
    const QString typed = id.trimmed();
    if (m_ids.contains(typed))
        return fail(QStringLiteral("Cell %1 is in this session already.").arg(typed));
    m_typedId = typed;
    return true;
}

bool GradingSession::takeNow()
{
    if (m_linkLost || !m_last || !readingIsYoung(m_reading, m_clock.monotonicMs()))
        return fail(QStringLiteral("The meter sends no fresh reading: nothing was taken."));
    record(m_last->values);
    m_capture.holdUntilLifted();
    updateStatus();
    return true;
}

bool GradingSession::measureAgain(qint64 key)
{
    if (rowOf(key) < 0)
        return fail(QStringLiteral("That cell is no longer in the session."));
    m_againKey = key;
    return true;
}

int GradingSession::rowOf(qint64 key) const
{
    for (int r = 0; r < m_cells.size(); ++r) {
        if (m_cells[r].key == key)
            return r;
    }
    return -1;
}

bool GradingSession::record(const CellValues& values)
{
    if (const int row = rowOf(m_againKey); m_againKey != 0 && row >= 0) {
        GradedCell cell = m_cells[row];
        cell.taken = m_clock.now();
        cell.values = values;
        cell.grade = gradeCell(m_info.limits, values);
        if (!m_store.updateCell(cell)) {
            emit failed(
                QStringLiteral("Cell %1 could not be stored: %2").arg(cell.id, m_store.error()));
            return false;
        }
        m_againKey = 0;
        m_cells[row] = cell;
        emit cellTaken(cell, row);
        return true;
    }
    m_againKey = 0;
    GradedCell cell;
    cell.id = nextId();
    cell.taken = m_clock.now();
    cell.values = values;
    cell.grade = gradeCell(m_info.limits, values);
    const bool typed = !m_typedId.isEmpty();
    qint64 next = m_info.nextNumber;
    if (!typed) {
        // The number after the one this cell takes.
        next = automaticCellNumber(m_info.idPrefix, cell.id).value_or(next) + 1;
    }
    bool stored = m_store.addCell(m_info.key, cell, next);
    if (!stored && !typed) {
        // Another program (the window, the command line) may grade into this session too and
        // have taken the ID: the next number free in the file then.
        if (const auto inFile = m_store.cells(m_info.key)) {
            for (const GradedCell& c : *inFile)
                m_ids.insert(c.id);
            cell.id = nextId();
            next = automaticCellNumber(m_info.idPrefix, cell.id).value_or(next) + 1;
            stored = m_store.addCell(m_info.key, cell, next);
        }
    }
    if (!stored) {
        const QString message =
            QStringLiteral("Cell %1 could not be stored: %2").arg(cell.id, m_store.error());
        if (m_bulk)
            return fail(message);
        emit failed(message);
        return false;
    }
    m_typedId.clear();
    m_info.nextNumber = next;
    m_cells.append(cell);
    m_ids.insert(cell.id);
    m_info.cellCount = m_cells.size();
    if (!m_bulk)
        emit cellTaken(cell, -1);
    return true;
}

bool GradingSession::removeCell(qint64 key)
{
    const int row = rowOf(key);
    if (row < 0)
        return fail(QStringLiteral("That cell is no longer in the session."));
    if (!m_store.deleteCell(key))
        return fail(m_store.error());
    m_ids.remove(m_cells[row].id);
    m_cells.removeAt(row);
    m_info.cellCount = m_cells.size();
    if (m_againKey == key)
        m_againKey = 0;
    emit cellRemoved(row);
    return true;
}

bool GradingSession::importManual(QByteArrayView reply)
{
    const MemoryListRows list = manualListRows(reply, m_reading);
    if (list.rows.isEmpty())
        return fail(QStringLiteral("The meter holds no manual readings."));
    // Each record names its own units: "12.34 / 40 mOhm", " 23.9 C".
    CsvSource source;
    source.unitsInCells = true;
    m_againKey = 0;
    const auto valueOf = [&](const QStringList& cells, CurrentReading::Group g) {
        const CsvValue v = csvValue(g, cells.value(2 + g), source, TemperatureUnit::Celsius);
        return v.kind == CsvValue::Number ? std::optional<double>(v.number.toDouble())
                                          : std::nullopt;
    };
    // One commit and one redraw for all of them, not one per cell (the memory holds up to
    // 65535): all are stored, or none.
    const QList<GradedCell> cellsBefore = m_cells;
    const QSet<QString> idsBefore = m_ids;
    const GradeSession infoBefore = m_info;
    m_error.clear();
    m_bulk = true;
    const bool stored = m_store.inOneCommit([&] {
        for (const QString& row : list.rows) {
            const QStringList cells = row.split(QLatin1Char('\t'));
            if (!record({valueOf(cells, CurrentReading::Voltage),
                         valueOf(cells, CurrentReading::Resistance),
                         valueOf(cells, CurrentReading::Temperature)}))
                return false;
        }
        return true;
    });
    m_bulk = false;
    if (!stored) {
        m_cells = cellsBefore;
        m_ids = idsBefore;
        m_info = infoBefore;
        return fail(m_error.isEmpty() ? m_store.error() : m_error);
    }
    emit cellsReset();
    return true;
}

std::optional<QStringList> GradingSession::setCapacities(const QList<PackCell>& capacities)
{
    QHash<QString, std::optional<double>> byId;
    QStringList unknown;
    for (const PackCell& c : capacities) {
        if (m_ids.contains(c.id))
            byId.insert(c.id, c.capacity);
        else
            unknown.append(c.id);
    }
    QList<GradedCell> cells = m_cells;
    QList<GradedCell> changed; // only these are written again
    for (GradedCell& c : cells) {
        if (byId.contains(c.id)) {
            c.capacity = byId.value(c.id);
            changed.append(c);
        }
    }
    if (!m_store.updateCells(changed)) {
        fail(m_store.error());
        return std::nullopt;
    }
    m_cells = cells;
    emit cellsReset();
    return unknown;
}

bool GradingSession::setCapacity(qint64 key, std::optional<double> capacity)
{
    const int row = rowOf(key);
    if (row < 0)
        return fail(QStringLiteral("That cell is no longer in the session."));
    GradedCell cell = m_cells[row];
    cell.capacity = capacity;
    if (!m_store.updateCell(cell))
        return fail(m_store.error());
    m_cells[row] = cell;
    emit cellEdited(row);
    return true;
}

QList<PackCell> GradingSession::packCells() const
{
    return packCellsOf(m_cells);
}
