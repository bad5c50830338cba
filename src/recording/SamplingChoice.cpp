#include "SamplingChoice.h"

#include "AppState.h"
#include "WindowPlacement.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

SamplingChoice::SamplingChoice(AppState& state, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_state(state)
{
    setObjectName(QStringLiteral("SamplingChoice"));
    setWindowTitle(QStringLiteral("Sampling Rate"));
    setModal(true);

    auto* frame = new QGroupBox(this);
    m_meter = new QRadioButton(QStringLiteral("Meter Sampling Rate"), frame);
    m_meter->setObjectName(QStringLiteral("OptMeter"));
    m_pc = new QRadioButton(QStringLiteral("PC Sampling Rate"), frame);
    m_pc->setObjectName(QStringLiteral("OptPC"));
    m_meter->setChecked(true);
    auto* options = new QVBoxLayout(frame);
    options->addWidget(m_meter);
    options->addWidget(m_pc);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("CmdOK"));
    m_ok->setDefault(true);
    m_ok->setMinimumWidth(m_ok->sizeHint().width() + 16);
    connect(m_ok, &QPushButton::clicked, this, &SamplingChoice::okClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.width() / 2, main.height() / 2);
    }
    WindowPlacement::manage(this);
}

void SamplingChoice::okClicked()
{
    m_state.PcSamplingChosen = m_pc->isChecked();
    accept();
}
