#include "ChannelLegend.h"

#include "ChannelColours.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

struct LegendEntry
{
    const char* name;
    GraphChannel channel;
    int trace; // plot number whose colour the text takes, 0 for the capacity's plain parts
};
const std::array<LegendEntry, 10> kLegend{{
    {"LblV", GraphChannel::Voltage, 1},
    {"LblA", GraphChannel::Current, 2},
    {"LblT", GraphChannel::Temperature, 3},
    {"LblO", GraphChannel::Resistance, 4},
    {"LblCap", GraphChannel::Capacity, 0},
    {"LblSymbol1", GraphChannel::Capacity, 0},
    {"LblIn", GraphChannel::Capacity, 5},
    {"LblOut", GraphChannel::Capacity, 6},
    {"LblTotal", GraphChannel::Capacity, 7},
    {"LblSymbol2", GraphChannel::Capacity, 0},
}};

} // namespace

QWidget* channelLegend(QWidget* parent, const LegendTexts& texts,
                       const std::array<bool, GraphChannelCount>& shown)
{
    auto* legend = new QWidget(parent);
    legend->setObjectName(QStringLiteral("Legend"));
    legend->setAutoFillBackground(true);
    QPalette strip = legend->palette();
    strip.setColor(QPalette::Window, Qt::black);
    legend->setPalette(strip);
    auto* row = new QHBoxLayout(legend);
    row->setContentsMargins(10, 0, 10, 0);
    row->setSpacing(6);
    QFont font = legend->font();
    font.setBold(true);
    for (std::size_t i = 0; i < kLegend.size(); ++i) {
        const LegendEntry& e = kLegend[i];
        auto* l = new QLabel(texts[i], legend);
        l->setObjectName(QString::fromLatin1(e.name));
        l->setFont(font);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText,
                   e.trace ? kChannelColours[std::size_t(e.trace - 1)] : kCapacityAxisColour);
        l->setPalette(p);
        l->setVisible(shown[std::size_t(e.channel)]);
        // A gap after each channel's name, none inside the capacity's brackets; part of the
        // label, so a hidden channel leaves no gap.
        if (e.channel != GraphChannel::Capacity)
            l->setContentsMargins(0, 0, 14, 0);
        row->addWidget(l);
    }
    row->addStretch();
    return legend;
}
