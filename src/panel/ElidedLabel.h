#pragma once

#include <QLabel>

/// A one-line label that keeps its whole text but, where the text is wider than the label,
/// shows it shortened: of a path only the last name, shortened in the middle
/// ("usb-FTDI…-port0"), so both ends of a long device name stay readable. The tooltip gives
/// it whole.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    /// The text as the label shows it now.
    [[nodiscard]] QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
