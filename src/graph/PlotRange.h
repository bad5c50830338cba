#pragma once

#include "PlotRequest.h"
#include "WindowHandlers.h"

#include <QWidget>

class Prompts;
class QLineEdit;
class QPushButton;

/// The range dialog of the list plot ("Plot Range"): a value range (`TxtT1` Min, `TxtT2` Max)
/// and a record range (`TxtR1` From, `TxtR2` To). The value boxes take digits, "-" and ".",
/// the record boxes digits only, typed or pasted; Enter moves on to the next box and, in the
/// last one, acts as OK. OK checks both ranges against the full scale and the listed records,
/// writes them into its own copy of the plot request and tells the opener (rangeChosen) to
/// draw the plot again with it, then closes. The object is deleted once it is closed and its own
/// handlers ended.
class PlotRange : public QWidget
{
    Q_OBJECT
public:
    /// The load step: placed at the top-left corner of the screen, the boxes filled from
    /// a copy of `request`.
    PlotRange(const PlotRequest& request, Prompts& prompts, QWidget* parent);

    /// The request with the ranges accepted last (as opened until then).
    [[nodiscard]] const PlotRequest& request() const { return m_request; }

    /// The caption the list plot's Limit gives it: "Plot Range ( " + title + " )".
    void setPlotTitle(const QString& title);

    /// CmdOK_Click.
    void accept();

signals:
    /// The ranges were accepted and written into request().
    void rangeChosen();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* addBox(const QString& name);

    PlotRequest m_request;
    Prompts& m_prompts;
    QLineEdit* m_valueMin = nullptr;
    QLineEdit* m_valueMax = nullptr;
    QLineEdit* m_recordFrom = nullptr;
    QLineEdit* m_recordTo = nullptr;
    QPushButton* m_ok = nullptr;
    WindowHandlers m_handlers{*this}; // dialogs, saves and prints running: they run events
};

/// A number as the dialog writes it: the shortest plain decimal text (never an exponent) that
/// reads back as the same single-precision number ("-60", "0.5", "100000").
[[nodiscard]] QString shortestNumberText(float value);
