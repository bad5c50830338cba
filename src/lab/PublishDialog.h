#pragma once

#include "LabSettings.h"

#include <QDialog>

class Prompts;
class QCheckBox;
class QLineEdit;

/// The "Publish to lab" dialog (`PublishToLab`): whether the main window's meter publishes
/// its readings to the lab's broker, and the same choices as celldesk-cli's --publish: the
/// broker's URL (`TxtBroker`), the meter's name (`TxtName`), the topic prefix (`TxtPrefix`),
/// the user name (`TxtUser`), the password file (`TxtPasswordFile`) and the TLS files
/// (`TxtCaFile`, `TxtCertFile`, `TxtKeyFile`). OK (`CmdOK`) checks them and keeps them.
class PublishDialog : public QDialog
{
    Q_OBJECT
public:
    /// `defaultName` is the meter's name when none is typed.
    PublishDialog(const LabSettings& settings, const QString& defaultName, Prompts& prompts,
                  QWidget* parent = nullptr);

    /// The settings as the dialog shows them now.
    [[nodiscard]] LabSettings settings() const;

    /// OK: the URL and the name checked (a message says what is wrong, and the dialog stays),
    /// the settings saved.
    void accept() override;

private:
    LabSettings m_settings;
    Prompts& m_prompts;
    QCheckBox* m_publish = nullptr;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_prefix = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_passwordFile = nullptr;
    QLineEdit* m_caFile = nullptr;
    QLineEdit* m_certFile = nullptr;
    QLineEdit* m_keyFile = nullptr;
};
