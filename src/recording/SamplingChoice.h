#pragma once

#include <QDialog>

class QPushButton;
class QRadioButton;
struct AppState;

/// The sampling choice dialog ("Sampling Rate"): the meter's own interval or the PC's.
/// OK stores the choice in `PcSamplingChosen` and closes it; closing it otherwise chooses
/// nothing.
class SamplingChoice : public QDialog
{
    Q_OBJECT
public:
    /// The load step: the meter option selected, the top-left corner at half the main
    /// window's width and height, in screen coordinates.
    SamplingChoice(AppState& state, QWidget* mainWindow);

private:
    void okClicked();

    AppState& m_state;
    QRadioButton* m_meter = nullptr;
    QRadioButton* m_pc = nullptr;
    QPushButton* m_ok = nullptr;
};
