#include "PortDialog.h"

#include "PortDiscovery.h"

#include <QAbstractItemView>
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

// The box always shows a short device path whole, such as a pseudo-terminal of the meter
// emulator.
const QString kShortestPathShown = QStringLiteral("/dev/pts/12");

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
    m_combo->view()->setTextElideMode(Qt::ElideMiddle);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("CmdOK"));
    m_ok->setDefault(true);

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
    connect(m_combo, &QComboBox::currentTextChanged, this, &PortDialog::showTextToolTip);

    setDevices({});
    showText(QStringLiteral("COM1"));
    move(twips(this, 3700), twips(this, 2700));
}

void PortDialog::setDevices(const QList<SerialDevice>& devices)
{
    const QString text = m_combo->currentText();
    m_combo->clear();
    for (const PortEntry& entry : portEntries(devices)) {
        m_combo->addItem(entry.text);
        m_combo->setItemData(m_combo->count() - 1, entry.toolTip, Qt::ToolTipRole);
    }
    showText(text);
    fitWidth();
    showTextToolTip();
}

void PortDialog::setPortText(const QString& text)
{
    showText(text);
    fitWidth();
}

// A listed text is also selected, so the list that drops down opens on it.
void PortDialog::showText(const QString& text)
{
    const int index = m_combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        m_combo->setCurrentIndex(index);
    m_combo->setEditText(text);
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

// The design width of 1095 twips holds "COM8" but not a device path. The box grows as much as
// the longest listed device or the pre-filled text needs, up to two thirds of the screen, and OK
// and the dialog move right with it; the list that drops down shows every entry whole.
void PortDialog::fitWidth()
{
    const QFontMetrics metrics(m_combo->font());
    int widestText = metrics.horizontalAdvance(kShortestPathShown);
    for (int i = 0; i < m_combo->count(); ++i)
        widestText = qMax(widestText, metrics.horizontalAdvance(m_combo->itemText(i)));
    const int listWidth = widestText;
    widestText = qMax(widestText, metrics.horizontalAdvance(m_combo->currentText()));

    const QScreen* screen = this->screen();
    const int widthLimit = screen ? screen->availableGeometry().width() * 2 / 3 : 800;
    QStyleOptionComboBox option;
    option.initFrom(m_combo);
    option.editable = true;
    const auto boxWidthFor = [&](int textWidth) {
        return style()
            ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(textWidth, metrics.height()),
                               m_combo)
            .width();
    };
    const int comboWidth =
        qBound(twips(this, 1095), boxWidthFor(widestText), qMax(twips(this, 1095), widthLimit));
    m_combo->setGeometry(twips(this, 120), twips(this, 120), comboWidth, twips(this, 345));
    m_combo->view()->setMinimumWidth(
        qMin(boxWidthFor(listWidth), qMax(comboWidth, widthLimit * 4 / 3)));

    const int gap = twips(this, 1320) - twips(this, 120 + 1095);
    m_ok->setGeometry(m_combo->geometry().right() + 1 + gap, twips(this, 120), twips(this, 615),
                      twips(this, 375));
    const int width = qMax(twips(this, 2040), m_ok->geometry().right() + 1 + twips(this, 105));
    setFixedSize(width, twips(this, 615));
}

// The box's tooltip says what the text names: a listed entry's device and maker, or the whole
// path when it is longer than the box shows.
void PortDialog::showTextToolTip()
{
    const QString text = m_combo->currentText();
    const int index = m_combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_combo->setToolTip(index >= 0 ? m_combo->itemData(index, Qt::ToolTipRole).toString() : text);
}
