#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QComboBox;
class QPushButton;
struct SerialDevice;

/// The first window of the program: the user picks the meter's serial port. It only reports
/// the chosen text; turning it into a port is the caller's business.
class PortDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PortDialog(QWidget* parent = nullptr);

    /// Lists the serial devices found on the system after "COM1".."COM8"; the text in the box
    /// stays as it is.
    void setDevices(const QList<SerialDevice>& devices);
    /// Pre-fills the port text (the last port that opened, --port, the demo meter's device).
    void setPortText(const QString& text);
    /// The text the combo box holds now.
    [[nodiscard]] QString portText() const;

signals:
    /// OK gives the combo box text, `Port1`/`Port2` give "COM1"/"COM2". The dialog closes
    /// right after.
    void portChosen(const QString& text);

private:
    void choose(const QString& text);
    /// Sizes the box to show its longest entry and the pre-filled text whole, within reason.
    void fitWidth();
    void showText(const QString& text);
    void showTextToolTip();

    QComboBox* m_combo = nullptr;
    QPushButton* m_ok = nullptr;
};
