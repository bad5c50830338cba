#pragma once

#include "AllChannelGraph.h"

#include <QDialog>

#include <array>

class AxisEdit;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

/// The channel and axis dialog of the all-channel graphs: one frame per channel with a check
/// box and the channel's Y-axis maximum and minimum, the hint and `CmdOK`. As `AllGraph`
/// ("Graph") it sets up the live graph; as `GraphDetail` ("Graph Detail") the detail graph.
/// It only shows and reports; its opener fills it and acts on OK.
class ChannelDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Kind
    {
        Graph, ///< `AllGraph`
        Detail ///< `GraphDetail`
    };

    explicit ChannelDialog(Kind kind, QWidget* parent = nullptr);

    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] QGroupBox* frame(GraphChannel c) const { return m_rows[index(c)].frame; }
    [[nodiscard]] QCheckBox* checkBox(GraphChannel c) const { return m_rows[index(c)].check; }
    [[nodiscard]] AxisEdit* minEdit(GraphChannel c) const { return m_rows[index(c)].min; }
    [[nodiscard]] AxisEdit* maxEdit(GraphChannel c) const { return m_rows[index(c)].max; }

    /// Checks the boxes; a box in a disabled frame stays unchecked.
    void setChecks(const std::array<bool, GraphChannelCount>& checks);
    [[nodiscard]] std::array<bool, GraphChannelCount> checks() const;
    [[nodiscard]] bool anyChecked() const;
    /// Fills the ten edits.
    void setRanges(const AxisPairs& ranges);
    [[nodiscard]] AxisPairs ranges() const;
    /// Enables a channel's frame; a disabled frame's box is unchecked.
    void setFrameEnabled(GraphChannel c, bool enabled);
    /// The current frame's caption: "mAmpere" or "Ampere".
    void setCurrentCaption(bool milliAmps);
    /// The resistance edits' increment and format.
    void setResistanceRule(const EditRule& rule);

signals:
    /// `CmdOK` was clicked.
    void okClicked();
    /// The user or the opener changed one of a channel's edits.
    void rangeEdited(GraphChannel channel, AxisPair range);

private:
    struct Row
    {
        QGroupBox* frame = nullptr;
        QCheckBox* check = nullptr;
        QLabel* minLabel = nullptr;
        QLabel* maxLabel = nullptr;
        AxisEdit* min = nullptr;
        AxisEdit* max = nullptr;
    };

    [[nodiscard]] static std::size_t index(GraphChannel c) { return std::size_t(c); }
    void buildRow(GraphChannel c);
    void showLimits(GraphChannel c);

    Kind m_kind;
    std::array<Row, GraphChannelCount> m_rows{};
    QPushButton* m_ok = nullptr;
};
