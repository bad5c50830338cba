#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class Clock;
class LabOverview;
class LabPublisher;
class MeterSession;
class Prompts;
class QWidget;
class SessionPublishing;
struct CurrentReading;
struct LabSettings;

/// The main window's side of the lab: its menu's "Lab" opens the Lab Overview beside it on
/// the remembered broker (asked for the first time), and "Publish to lab" sets whether and
/// where its own meter publishes, as celldesk-cli --publish does.
class LabCommands : public QObject
{
    Q_OBJECT
public:
    /// `session` decodes into `reading`; `devicePath` gives the meter's default name.
    LabCommands(MeterSession& session, const CurrentReading& reading, const QString& devicePath,
                const Clock& clock, Prompts& prompts, QWidget* mainWindow,
                QObject* parent = nullptr);
    ~LabCommands() override;

    /// "Lab": the overview, opened or brought to the front.
    void openOverview();
    /// "Publish to lab": the dialog; its OK starts, moves or ends the publishing.
    void editPublishing();
    /// Publishes when the remembered settings say so (the main window's load).
    void startPublishing();
    /// The program ends: the publisher's clean goodbye.
    void finish();

    [[nodiscard]] LabOverview* overview() const;
    [[nodiscard]] LabPublisher* publisher() const { return m_publisher.get(); }
    /// The meter's name when none is chosen.
    [[nodiscard]] QString defaultName() const;

private:
    void publish(const LabSettings& settings);

    MeterSession& m_session;
    const CurrentReading& m_reading;
    QString m_devicePath;
    const Clock& m_clock;
    Prompts& m_prompts;
    QWidget* m_mainWindow;
    QPointer<LabOverview> m_overview;
    std::unique_ptr<LabPublisher> m_publisher;
    std::unique_ptr<SessionPublishing> m_sessionPublishing;
};
