#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class GridView;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class TextGrid;

/// The panel beside the stored-data graph (`SpanPanel`): the recordings it shows (`Traces`,
/// each in its trace's colour) with "Remove" (`CmdRemoveFile`), the cut-off voltage
/// (`TxtCutoff`, 3.0 V at first) with "Cut-off" (`CmdCutoff`), and the figures of the marked
/// span (`SpanFigures`: one line per figure, one column per recording) with "Copy"
/// (`CmdCopyFigures`) and "Export CSV" (`CmdExportFigures`).
class SpanPanel : public QWidget
{
    Q_OBJECT
public:
    explicit SpanPanel(QWidget* parent);

    struct Entry
    {
        QString name;
        QColor colour;
    };
    /// The recordings listed, in trace order; the first (the list's own column) cannot be
    /// removed.
    void setTraces(const QList<Entry>& traces);
    /// The figures: `what` tells the span, `columns` name the recordings, each of `rows` is a
    /// figure's name followed by one text per recording.
    void setFigures(const QString& what, const QStringList& columns,
                    const QList<QStringList>& rows);
    /// The figures as lines of tab-separated cells, titles first (what Copy puts on the
    /// clipboard).
    [[nodiscard]] QString figuresText() const;
    /// The same as RFC 4180 CSV.
    [[nodiscard]] QByteArray figuresCsv() const;
    [[nodiscard]] bool hasFigures() const;
    [[nodiscard]] GridView* figuresView() const { return m_view; }

signals:
    void removeRequested(int trace);
    void cutoffRequested(double volts);
    void exportRequested();

private:
    [[nodiscard]] QList<QStringList> cells() const;

    QListWidget* m_traces;
    QPushButton* m_remove;
    QDoubleSpinBox* m_cutoff;
    QLabel* m_what;
    TextGrid* m_grid;
    GridView* m_view;
    QPushButton* m_copy;
    QPushButton* m_export;
};
