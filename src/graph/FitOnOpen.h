#pragma once

#include <QObject>
#include <QPointer>

class QCheckBox;
class QSettings;
class QWidget;

/// The graph windows' "Fit on open": whether a graph opens fitted to its data (the live graph
/// following its newest samples) instead of on the ranges its opener gives it. Off at first,
/// so the documented first view stays until the user chooses otherwise; one choice for every
/// graph window, the user's last one.
class FitOnOpen : public QObject
{
    Q_OBJECT
public:
    /// The program's one choice.
    [[nodiscard]] static FitOnOpen& choice();

    [[nodiscard]] bool isOn() const { return m_on; }
    void set(bool on);
    /// Where the choice is kept across runs; it is read from there at once. Without one (the
    /// default) it starts off and lasts the run, so tests and tools never touch the user's
    /// settings.
    void keepIn(QSettings* settings);

    /// A check box `CkFitOnOpen` "Fit on open" that shows the choice and sets it.
    [[nodiscard]] static QCheckBox* box(QWidget* parent);

signals:
    void changed(bool on);

private:
    FitOnOpen() = default;

    QPointer<QSettings> m_settings;
    bool m_on = false;
};
