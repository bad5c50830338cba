#pragma once

#include "AllChannelGraph.h"

#include <QString>

#include <array>

class QWidget;

/// The texts of a channel legend's labels, in order: `LblV`, `LblA`, `LblT`, `LblO`, `LblCap`,
/// `LblSymbol1`, `LblIn`, `LblOut`, `LblTotal`, `LblSymbol2` ("Capacity ( in Out Total )").
using LegendTexts = std::array<QString, 10>;

/// The legend strip `Legend` of the live and the detail graph: each label in its trace's colour
/// on black (the capacity's caption and brackets in the capacity axis's), a gap after each
/// channel's name; the labels of a channel `shown` leaves out are hidden, gap and all.
[[nodiscard]] QWidget* channelLegend(QWidget* parent, const LegendTexts& texts,
                                     const std::array<bool, GraphChannelCount>& shown);
