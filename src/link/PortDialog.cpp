#include "PortDialog.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace {

// The dialog is drawn up in twips (1/1440 inch).
int twips(const QWidget* w, int value)
{
    const QScreen* screen = w->screen();
    const qreal dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return qRound(value * (dpi > 0 ? dpi : 96.0) / 1440.0);
}

// The longest text the box should show whole: a Linux serial device such as a
// pseudo-terminal of the meter emulator.
const QString kWidestPort = QStringLiteral("/dev/pts/12");

} // namespace

PortDialog::PortDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Port"));
    setWindowTitle(QStringLiteral("COM Port"));

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("TxtCOM"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    // The port names are compared exactly as typed: without a completer the box neither
    // completes "com1" to "COM1" as the user types nor picks "COM1" for it on Enter.
    m_combo->setCompleter(nullptr);
    QFont serif(QStringLiteral("Times New Roman"));
    serif.setStyleHint(QFont::Serif);
    serif.setPixelSize(twips(this, 210));
    m_combo->setFont(serif);
    for (int n = 1; n <= 8; ++n)
        m_combo->addItem(QStringLiteral("COM%1").arg(n));
    m_combo->setCurrentText(QStringLiteral("COM1"));

    // The design width of 1095 twips holds "COM8" but not a device path; the box grows as much as
    // such a path needs, and OK and the dialog move right with it.
    QStyleOptionComboBox option;
    option.initFrom(m_combo);
    option.editable = true;
    const QSize needed = style()->sizeFromContents(
        QStyle::CT_ComboBox, &option,
        QSize(QFontMetrics(serif).horizontalAdvance(kWidestPort), QFontMetrics(serif).height()),
        m_combo);
    const int comboWidth = qMax(twips(this, 1095), needed.width());
    m_combo->setGeometry(twips(this, 120), twips(this, 120), comboWidth, twips(this, 345));

    const int gap = twips(this, 1320) - twips(this, 120 + 1095);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("CmdOK"));
    m_ok->setDefault(true);
    m_ok->setGeometry(m_combo->geometry().right() + 1 + gap, twips(this, 120), twips(this, 615),
                      twips(this, 375));

    // Direct choices kept below the visible part of the dialog.
    auto* port1 = new QPushButton(QStringLiteral("COM1"), this);
    port1->setObjectName(QStringLiteral("Port1"));
    port1->setGeometry(twips(this, 120), twips(this, 5520), twips(this, 615), twips(this, 375));
    auto* port2 = new QPushButton(QStringLiteral("COM2"), this);
    port2->setObjectName(QStringLiteral("Port2"));
    port2->setGeometry(twips(this, 840), twips(this, 5520), twips(this, 615), twips(this, 375));

    connect(m_ok, &QPushButton::clicked, this, [this] { choose(m_combo->currentText()); });
    connect(port1, &QPushButton::clicked, this, [this] { choose(QStringLiteral("COM1")); });
    connect(port2, &QPushButton::clicked, this, [this] { choose(QStringLiteral("COM2")); });

    const int width = qMax(twips(this, 2040), m_ok->geometry().right() + 1 + twips(this, 105));
    setFixedSize(width, twips(this, 615));
    move(twips(this, 3700), twips(this, 2700));
}

void PortDialog::setPortText(const QString& text)
{
    m_combo->setCurrentText(text);
}

QString PortDialog::portText() const
{
    return m_combo->currentText();
}

void PortDialog::choose(const QString& text)
{
    emit portChosen(text);
    accept();
}
