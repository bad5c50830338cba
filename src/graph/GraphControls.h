#pragma once

#include "RowTimes.h"

#include <QIcon>
#include <QString>

#include <functional>

class QComboBox;
class QWidget;

// The controls every graph window adds to its own for fitting and the record axis's reading,
// alike in all of them.

/// The key, caption and tooltip of the Fit command.
inline const QString FitKey = QStringLiteral("Fit");
[[nodiscard]] QString fitToolTip();
/// Its toolbar image, and the live graph's Follow image.
[[nodiscard]] QIcon fitImage();
[[nodiscard]] QIcon followImage();

/// The list `XReading` of how the record axis reads, in XReading order: `records` (what the
/// record axis counts: "Record number", "Seconds"), "Time of day", "Elapsed time". Starts on
/// `reading`; `chosen` runs on each choice.
[[nodiscard]] QComboBox* xReadingBox(QWidget* parent, XReading reading,
                                     std::function<void(XReading)> chosen,
                                     const QString& records = QStringLiteral("Record number"));

/// The key F runs `fit` anywhere in `window`, except where a text box takes the letter.
void addFitKey(QWidget* window, std::function<void()> fit);
