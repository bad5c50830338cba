#include "PublishDialog.h"

#include "LabMessages.h"
#include "Prompts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PublishDialog::PublishDialog(const LabSettings& settings, const QString& defaultName,
                             Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_prompts(prompts)
{
    setObjectName(QStringLiteral("PublishToLab"));
    setWindowTitle(QStringLiteral("Publish to lab"));
    m_publish =
        new QCheckBox(QStringLiteral("Publish this meter's readings to the lab's broker"), this);
    m_publish->setObjectName(QStringLiteral("CkPublish"));
    m_publish->setChecked(settings.publish);
    auto* form = new QFormLayout;
    const auto field = [&](const char* name, const QString& caption, const QString& text,
                           const QString& placeholder = {}) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setPlaceholderText(placeholder);
        edit->setMinimumWidth(320);
        form->addRow(caption, edit);
        return edit;
    };
    m_url = field("TxtBroker", QStringLiteral("Broker"), settings.url,
                  QStringLiteral("mqtt://host[:port] or mqtts://host[:port]"));
    m_name = field("TxtName", QStringLiteral("Meter name"), settings.meterName, defaultName);
    m_prefix = field("TxtPrefix", QStringLiteral("Topic prefix"), settings.prefix);
    m_user = field("TxtUser", QStringLiteral("User name"), settings.username);
    m_passwordFile = field("TxtPasswordFile", QStringLiteral("Password file"),
                           settings.passwordFile, QStringLiteral("else CELLDESK_MQTT_PASSWORD"));
    m_caFile = field("TxtCaFile", QStringLiteral("CA file (mqtts)"), settings.caFile,
                     QStringLiteral("the system's CAs"));
    m_certFile = field("TxtCertFile", QStringLiteral("Client certificate"), settings.certFile);
    m_keyFile = field("TxtKeyFile", QStringLiteral("Its key"), settings.keyFile);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("CmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PublishDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PublishDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_publish);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

LabSettings PublishDialog::settings() const
{
    LabSettings s = m_settings;
    s.publish = m_publish->isChecked();
    s.url = m_url->text().trimmed();
    s.meterName = m_name->text().trimmed();
    s.prefix = m_prefix->text().trimmed().isEmpty() ? DefaultLabPrefix : m_prefix->text().trimmed();
    s.username = m_user->text().trimmed();
    s.passwordFile = m_passwordFile->text().trimmed();
    s.caFile = m_caFile->text().trimmed();
    s.certFile = m_certFile->text().trimmed();
    s.keyFile = m_keyFile->text().trimmed();
    return s;
}

void PublishDialog::accept()
{
    const LabSettings s = settings();
    QString problem;
    if (s.publish || !s.url.isEmpty())
        (void)s.broker(problem);
    if (problem.isEmpty() && !s.meterName.isEmpty() && !isValidMeterName(s.meterName))
        problem = QStringLiteral("The meter's name cannot hold /, + or #.");
    if (problem.isEmpty() && (s.prefix.contains(u'+') || s.prefix.contains(u'#')))
        problem = QStringLiteral("The topic prefix cannot hold + or #.");
    if (!problem.isEmpty()) {
        m_prompts.message(problem, Prompts::Icon::Exclamation, windowTitle());
        return;
    }
    s.save();
    m_settings = s;
    QDialog::accept();
}
