#include "LimitsPanel.h"

#include "AppState.h"
#include "BusyPointer.h"
#include "ComparatorCsv.h"
#include "ComparatorExchange.h"
#include "GradingSession.h"
#include "GradingWidgets.h"
#include "InputFile.h"
#include "MeterSession.h"
#include "Prompts.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The limit editors in the order of m_limits: V min, V max, R max, warning levels after.
struct LimitEditor
{
    const char* name;
    const char* label;
    std::optional<double> GradeLimits::*member;
    double scale; // shown = SI × scale
};
constexpr LimitEditor kLimitEditors[] = {
    {"TxtVMin", "V min", &GradeLimits::voltageMin, 1},
    {"TxtVMax", "V max", &GradeLimits::voltageMax, 1},
    {"TxtRMax", "R max (mOhm)", &GradeLimits::resistanceMax, 1000},
    {"TxtVWarnMin", "warn below (V)", &GradeLimits::voltageWarnMin, 1},
    {"TxtVWarnMax", "warn above (V)", &GradeLimits::voltageWarnMax, 1},
    {"TxtRWarn", "warn above (mOhm)", &GradeLimits::resistanceWarn, 1000},
};

} // namespace

LimitsPanel::LimitsPanel(AppState& state, MeterSession& meter, GradingSession& session,
                         Prompts& prompts, QWidget* parent)
    : QGroupBox(QStringLiteral("Limits (empty: not checked)"), parent), m_state(state),
      m_meter(meter), m_session(session), m_prompts(prompts)
{
    QWidget* box = this;
    auto* grid = new QGridLayout(box);
    for (int k = 0; k < int(std::size(kLimitEditors)); ++k) {
        auto* edit = new QLineEdit(box);
        edit->setObjectName(QString::fromLatin1(kLimitEditors[k].name));
        edit->setMaximumWidth(90);
        auto* label = new QLabel(QString::fromLatin1(kLimitEditors[k].label), box);
        label->setBuddy(edit);
        grid->addWidget(label, k / 3, (k % 3) * 2);
        grid->addWidget(edit, k / 3, (k % 3) * 2 + 1);
        connect(edit, &QLineEdit::editingFinished, this, &LimitsPanel::applyTypedLimits);
        m_limits.append(edit);
    }
    auto* fromMeter =
        gradingButton(QStringLiteral("From meter..."), QStringLiteral("CmdComparator"),
                      QStringLiteral("The limits of one of the meter's comparator sets"), box);
    auto* fromFile = gradingButton(QStringLiteral("From file..."), QStringLiteral("CmdLimitsFile"),
                                   QStringLiteral("The limits of a set of a comparator file "
                                                  "(celldesk-cli comparator get)"),
                                   box);
    connect(fromMeter, &QPushButton::clicked, this, &LimitsPanel::limitsFromMeter);
    connect(fromFile, &QPushButton::clicked, this, &LimitsPanel::limitsFromFile);
    m_limitsSource = new QLabel(box);
    m_limitsSource->setObjectName(QStringLiteral("LblLimits"));
    grid->addWidget(fromMeter, 0, 6);
    grid->addWidget(fromFile, 1, 6);
    grid->addWidget(m_limitsSource, 2, 0, 1, 7);
    grid->setColumnStretch(7, 1);
}

void LimitsPanel::showLimits()
{
    const GradeLimits& limits = m_session.info().limits;
    for (int k = 0; k < m_limits.size(); ++k) {
        const std::optional<double>& value = limits.*kLimitEditors[k].member;
        m_limits[k]->setText(value ? QString::number(*value * kLimitEditors[k].scale, 'g', 6)
                                   : QString());
    }
    const QString& source = m_session.info().limitsSource;
    m_limitsSource->setText(source.isEmpty() ? QString() : QStringLiteral("From %1").arg(source));
}

void LimitsPanel::applyTypedLimits()
{
    GradeLimits limits;
    for (int k = 0; k < m_limits.size(); ++k) {
        const QString text = m_limits[k]->text().trimmed();
        if (text.isEmpty())
            continue;
        const std::optional<double> value = plainNumber(text);
        if (!value || *value < 0) {
            tellFailure(QStringLiteral("\"%1\" is no limit: type a number, or nothing to leave "
                                       "it unchecked.")
                            .arg(text));
            showLimits();
            return;
        }
        limits.*kLimitEditors[k].member = *value / kLimitEditors[k].scale;
    }
    if (limits == m_session.info().limits)
        return;
    applyLimits(limits, {});
}

void LimitsPanel::applyLimits(const GradeLimits& limits, const QString& source)
{
    if (!m_session.setLimits(limits, source))
        tellFailure(QStringLiteral("The limits could not be stored."), m_session.error());
    showLimits(); // the session's grades followed: its cellsReset redrew the figures
}

int LimitsPanel::askSet()
{
    const QString entry = m_prompts.input(QStringLiteral("Comparator set (1 to 99):"), GradingTitle,
                                          QStringLiteral("1"));
    bool ok = false;
    const int set = entry.trimmed().toInt(&ok);
    if (entry.isEmpty())
        return 0;
    if (!ok || set < 1 || set > ComparatorSetCount) {
        tellFailure(
            QStringLiteral("\"%1\" is no comparator set: type a number from 1 to 99.").arg(entry));
        return 0;
    }
    return set;
}

void LimitsPanel::limitsFromMeter()
{
    if (m_state.longReadRunning())
        return;
    emit busy(true);
    const int set = askSet();
    if (set > 0 && !m_state.longReadRunning()) {
        m_state.ComparatorBusy = true;
        StreamReader reader(m_meter.channel(), m_meter.link());
        StreamReader::Result result;
        {
            BusyPointer busy;
            m_reading = &reader;
            result = readComparatorReply(reader);
            m_reading = nullptr;
        }
        m_state.ComparatorBusy = false;
        if (result.outcome == StreamReader::Outcome::Cancelled) {
            // The window closed: nobody asked any more.
        } else if (result.outcome != StreamReader::Outcome::Complete) {
            tellFailure(QStringLiteral("The comparator sets did not arrive (%1 of %2 bytes).")
                            .arg(result.bytes.size())
                            .arg(ComparatorReplyLength));
        } else {
            const QString entry = comparatorTableFromReply(result.bytes)[size_t(set)];
            if (const auto limits = limitsFromComparatorEntry(entry))
                applyLimits(*limits, QStringLiteral("comparator set %1").arg(set));
            else
                tellFailure(
                    QStringLiteral("Comparator set %1 holds no limits that can be read.").arg(set));
        }
    }
    emit busy(false);
}

void LimitsPanel::cancelRead()
{
    if (m_reading)
        m_reading->cancel();
}

void LimitsPanel::limitsFromFile()
{
    emit busy(true);
    const QString path = m_prompts.openFileName(
        this, QStringLiteral("Comparator file"),
        {QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")});
    QString reason;
    const auto bytes =
        path.isEmpty() ? std::nullopt : readRegularFile(path, MaxComparatorFileBytes, reason);
    const int set = bytes ? askSet() : 0;
    if (!path.isEmpty() && !bytes) {
        tellFailure(QStringLiteral("Cannot read the comparator file."), reason);
    } else if (set > 0) {
        const ComparatorCsvFile file = parseComparatorCsv(*bytes);
        std::optional<GradeLimits> limits;
        for (const ComparatorCsvRow& row : file.rows) {
            if (row.set == set)
                limits = limitsFromComparatorCells(row.cells);
        }
        if (!file.error.isEmpty())
            tellFailure(QStringLiteral("Cannot read the comparator file."), file.error);
        else if (!limits)
            tellFailure(QStringLiteral("The file holds no readable limits for set %1.").arg(set));
        else
            applyLimits(*limits,
                        QStringLiteral("%1 set %2").arg(QFileInfo(path).fileName()).arg(set));
    }
    emit busy(false);
}

QStringList LimitsPanel::limitTexts() const
{
    QStringList texts;
    for (int k = 0; k < m_limits.size(); ++k) {
        if (!m_limits[k]->text().isEmpty())
            texts << QStringLiteral("%1 %2").arg(QString::fromLatin1(kLimitEditors[k].label),
                                                 m_limits[k]->text());
    }
    return texts;
}

void LimitsPanel::tellFailure(const QString& text, const QString& details)
{
    m_prompts.message(text, Prompts::Icon::Critical, GradingTitle, details);
}
