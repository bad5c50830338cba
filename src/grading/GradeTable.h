#pragma once

#include "CellGrade.h"

#include <QAbstractTableModel>
#include <QColor>

#include <optional>

class GradingSession;

/// The cells of a grading session as the Cell Grading window lists them: one row per cell in
/// the order taken, its verdict and reason coloured. The capacity is typed in place.
class GradeTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        Id,
        Time,
        Voltage,
        Resistance,
        Temperature,
        Capacity,
        VerdictColumn,
        Reason,
        ColumnCount
    };

    explicit GradeTable(GradingSession& session, QObject* parent = nullptr);

    /// The colour a verdict is shown in.
    [[nodiscard]] static QColor verdictColour(Verdict verdict);
    /// A cell's text as the table shows it ("OL" for a value without a number).
    [[nodiscard]] QString text(int row, int column) const;
    /// A resistance in ohms as the R column shows it: mOhm to four significant digits, as the
    /// meter's display shows it in every range, or "OL".
    [[nodiscard]] static QString resistanceText(const std::optional<double>& ohms);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    GradingSession& m_session;
    int m_rows = 0; // the rows the view knows of; the session changes first, then says so
};
