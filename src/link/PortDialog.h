#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QPushButton;

/// The first window of the program: the user picks the meter's serial port. It only reports
/// the chosen text; turning it into a port is the caller's business.
class PortDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PortDialog(QWidget* parent = nullptr);

    /// Pre-fills the port text (for example the emulator's device in demo mode).
    void setPortText(const QString& text);
    /// The text the combo box holds now.
    [[nodiscard]] QString portText() const;

signals:
    /// OK gives the combo box text, `Port1`/`Port2` give "COM1"/"COM2". The dialog closes
    /// right after.
    void portChosen(const QString& text);

private:
    void choose(const QString& text);

    QComboBox* m_combo = nullptr;
    QPushButton* m_ok = nullptr;
};
