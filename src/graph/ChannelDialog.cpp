#include "ChannelDialog.h"

#include "AxisEdit.h"
#include "WindowPlacement.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

struct ChannelControls
{
    const char* suffix; // of the edit and label names: AxisMinV, LblMaxV ...
    const char* check;
    const char* frame;
    const char* caption;
    const char* format;
    double step;
};

// The edits' design-time formats; the resistance edits follow the range when shown.
const std::array<ChannelControls, GraphChannelCount> kControls{{
    {"V", "CkV", "VFrame", "Voltage", ".###", 0.001},
    {"A", "CkA", "AFrame", "Ampere", ".###", 0.001},
    {"T", "CkTemp", "TFrame", "Temperature", "0.0", 0.1},
    {"O", "CkOhm", "OFrame", "Resistance", "0.0", 0.1},
    {"C", "CkCap", "CapFrame", "Capacity", ".###", 0.001},
}};

const char* const kHint = "Check the box and set up the maximum / mininum of YAxis for the "
                          "Graphic Display.";

} // namespace

ChannelDialog::ChannelDialog(Kind kind, QWidget* parent) : QDialog(parent), m_kind(kind)
{
    const bool graph = kind == Kind::Graph;
    setObjectName(graph ? QStringLiteral("AllGraph") : QStringLiteral("GraphDetail"));
    setWindowTitle(graph ? QStringLiteral("Graph") : QStringLiteral("Graph Detail"));
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    auto* hint = new QLabel(QString::fromLatin1(kHint), this);
    hint->setObjectName(QStringLiteral("LblHint"));
    hint->setWordWrap(true);
    layout->addWidget(hint);
    for (int c = 0; c < GraphChannelCount; ++c) {
        buildRow(GraphChannel(c));
        layout->addWidget(m_rows[std::size_t(c)].frame);
    }

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("CmdOK"));
    m_ok->setDefault(true);
    m_ok->setMinimumWidth(90);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &ChannelDialog::okClicked);

    for (int c = 0; c < GraphChannelCount; ++c)
        showLimits(GraphChannel(c));
    setFixedWidth(400);
    setFixedHeight(sizeHint().height());
    WindowPlacement::manage(this);
}

void ChannelDialog::buildRow(GraphChannel c)
{
    const ChannelControls& k = kControls[index(c)];
    const QString suffix = QString::fromLatin1(k.suffix);
    Row& row = m_rows[index(c)];
    row.frame = new QGroupBox(QString::fromLatin1(k.caption), this);
    row.frame->setObjectName(QString::fromLatin1(k.frame));
    row.check = new QCheckBox(QStringLiteral("Show"), row.frame);
    row.check->setObjectName(QString::fromLatin1(k.check));
    row.maxLabel = new QLabel(QStringLiteral("Max"), row.frame);
    row.maxLabel->setObjectName(QStringLiteral("LblMax") + suffix);
    row.minLabel = new QLabel(QStringLiteral("Min"), row.frame);
    row.minLabel->setObjectName(QStringLiteral("LblMin") + suffix);
    row.max = new AxisEdit(row.frame);
    row.max->setObjectName(QStringLiteral("AxisMax") + suffix);
    row.min = new AxisEdit(row.frame);
    row.min->setObjectName(QStringLiteral("AxisMin") + suffix);
    for (AxisEdit* edit : {row.max, row.min}) {
        edit->setFormat(QString::fromLatin1(k.format));
        edit->setSingleStep(k.step);
        edit->setFixedWidth(96);
    }
    for (QLabel* l : {row.maxLabel, row.minLabel})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* grid = new QGridLayout(row.frame);
    grid->setContentsMargins(10, 6, 10, 8);
    grid->setHorizontalSpacing(8);
    grid->setColumnMinimumWidth(3, 34); // "Min" stands clear of the edit before it
    grid->addWidget(row.check, 0, 0);
    grid->addWidget(row.maxLabel, 0, 1);
    grid->addWidget(row.max, 0, 2);
    grid->addWidget(row.minLabel, 0, 3);
    grid->addWidget(row.min, 0, 4);
    grid->setColumnStretch(0, 1);
    // Hidden edits keep their place, so the frames do not jump as boxes are checked.
    for (QWidget* w : {static_cast<QWidget*>(row.maxLabel), static_cast<QWidget*>(row.max),
                       static_cast<QWidget*>(row.minLabel), static_cast<QWidget*>(row.min)}) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }

    connect(row.check, &QCheckBox::toggled, this, [this, c] { showLimits(c); });
    for (AxisEdit* edit : {row.max, row.min}) {
        connect(edit, &AxisEdit::valueChanged, this, [this, c] {
            const Row& r = m_rows[index(c)];
            emit rangeEdited(c, AxisPair{float(r.max->value()), float(r.min->value())});
        });
    }
}

void ChannelDialog::showLimits(GraphChannel c)
{
    Row& row = m_rows[index(c)];
    const bool shown = row.check->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(row.maxLabel), static_cast<QWidget*>(row.max),
                       static_cast<QWidget*>(row.minLabel), static_cast<QWidget*>(row.min)})
        w->setVisible(shown);
}

void ChannelDialog::setChecks(const std::array<bool, GraphChannelCount>& checks)
{
    for (int c = 0; c < GraphChannelCount; ++c) {
        Row& row = m_rows[std::size_t(c)];
        row.check->setChecked(checks[std::size_t(c)] && row.frame->isEnabled());
        showLimits(GraphChannel(c)); // also when the state did not change
    }
}

std::array<bool, GraphChannelCount> ChannelDialog::checks() const
{
    std::array<bool, GraphChannelCount> c{};
    for (std::size_t i = 0; i < c.size(); ++i)
        c[i] = m_rows[i].check->isChecked();
    return c;
}

bool ChannelDialog::anyChecked() const
{
    const auto c = checks();
    return std::find(c.begin(), c.end(), true) != c.end();
}

void ChannelDialog::setRanges(const AxisPairs& ranges)
{
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        m_rows[i].max->setValue(ranges[i].max);
        m_rows[i].min->setValue(ranges[i].min);
    }
}

AxisPairs ChannelDialog::ranges() const
{
    AxisPairs r{};
    for (std::size_t i = 0; i < r.size(); ++i)
        r[i] = AxisPair{float(m_rows[i].max->value()), float(m_rows[i].min->value())};
    return r;
}

void ChannelDialog::setFrameEnabled(GraphChannel c, bool enabled)
{
    Row& row = m_rows[index(c)];
    row.frame->setEnabled(enabled);
    if (!enabled)
        row.check->setChecked(false);
    showLimits(c);
}

void ChannelDialog::setCurrentCaption(bool milliAmps)
{
    frame(GraphChannel::Current)
        ->setTitle(milliAmps ? QStringLiteral("mAmpere") : QStringLiteral("Ampere"));
}

void ChannelDialog::setResistanceRule(const EditRule& rule)
{
    for (AxisEdit* edit : {minEdit(GraphChannel::Resistance), maxEdit(GraphChannel::Resistance)}) {
        edit->setSingleStep(rule.step);
        edit->setFormat(rule.format);
    }
}
