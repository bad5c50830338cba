#pragma once

#include "LabRoster.h"

#include <QAbstractTableModel>
#include <QColor>

#include <functional>

class Clock;

/// The lab overview's table: one row per meter seen on the broker, sorted by name, with its
/// state, the age of its last reading and its channels. A meter whose last reading is older
/// than the threshold is amber, one whose publisher has gone is red.
class LabTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        Meter,
        State,
        Age,
        Voltage,
        Current,
        Resistance,
        Temperature,
        InCap,
        OutCap,
        TCap,
        ColumnCount
    };
    /// The threshold when none is chosen.
    static constexpr int DefaultStaleSeconds = 10;
    /// The backgrounds of a stale and an offline row.
    static inline const QColor Amber{0xff, 0xbf, 0x00};
    static inline const QColor Red{0xf0, 0x50, 0x50};

    /// `clock` gives the times the ages count from.
    explicit LabTable(const Clock& clock, QObject* parent = nullptr);

    /// Takes a message from the broker on `topic` under `prefix`; other topics and payloads
    /// that are no lab message change nothing. Returns the meter's row, if it has one now.
    std::optional<int> take(QStringView prefix, const QByteArray& topic, const QByteArray& payload);
    /// Ages and colours move on with the clock: the view redraws them.
    void refresh();
    void setStaleSeconds(int seconds);
    [[nodiscard]] int staleSeconds() const { return int(m_staleMs / 1000); }

    [[nodiscard]] const LabRoster& roster() const { return m_roster; }
    [[nodiscard]] LabLook look(int row) const;
    /// A cell's text, as the view shows it.
    [[nodiscard]] QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    /// A reading of the meter in `row` arrived.
    void readingTaken(const QString& meter);

private:
    /// Runs `change` on the roster as a model change: a new meter's row inserted, an old
    /// one's redrawn. Returns the row.
    int apply(const QString& meter, const std::function<LabRoster::Place()>& change);

    const Clock& m_clock;
    LabRoster m_roster;
    qint64 m_staleMs = DefaultStaleSeconds * 1000;
};
