#pragma once

#include <QString>

/// The last port that opened, kept between runs in the user's settings (organisation and
/// application "CellDesk"), so the port dialog can offer it again.
class PortMemory
{
public:
    /// The port text that last opened, or empty.
    [[nodiscard]] QString lastPort() const;
    /// Keeps `portText` as the last port that opened, unless it is the passing device.
    void remember(const QString& portText);
    /// A device that exists only for this run (the built-in demo meter's pseudo-terminal): it
    /// is never remembered, as it is gone at the next start.
    void setPassingDevice(const QString& path) { m_passing = path; }

private:
    QString m_passing;
};
