#pragma once

#include <QLabel>

/// A status panel: a sunken line of text that can show a progress fill behind the text while
/// a list is being filled.
class StatusPanel : public QLabel
{
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    /// Switches the progress fill on (from 0 %) or off.
    void setFillVisible(bool on);
    /// Fills `percent` (0-100) of the panel from the left.
    void setFillPercent(double percent);
    [[nodiscard]] bool fillVisible() const { return m_fillVisible; }
    [[nodiscard]] double fillPercent() const { return m_percent; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_fillVisible = false;
    double m_percent = 0;
};
