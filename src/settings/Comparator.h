#pragma once

#include "ComparatorCodec.h"
#include "StreamReader.h"

#include <QWidget>

#include <array>

class CommandChannel;
class MeterLink;
class Prompts;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class GridView;
class TextGrid;
struct AppState;

/// The comparator window: the meter's 99 comparator sets in a grid, editors for the four
/// limits of the chosen set, and "Update" to write that set into the meter. The "COMP"
/// command reads the sets from the meter into it.
class Comparator : public QWidget
{
    Q_OBJECT
public:
    Comparator(AppState& state, CommandChannel& channel, MeterLink& link, Prompts& prompts,
               QWidget* mainWindow);

    /// The "COMP" command: shows the window and reads every set from the meter, unless the
    /// window is already open or a read runs. A read that fails (no reply, broken off, display
    /// frames instead of the table, the link broken meanwhile) says so and changes nothing:
    /// the sets, the grid and the editors stay as they were.
    void readTable();
    /// The set the editors hold (0 before any).
    [[nodiscard]] int selectedSet() const { return m_selectedSet; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    /// One limit's editors.
    struct LimitEditors
    {
        std::array<QComboBox*, 4> digits{};
        QButtonGroup* choices = nullptr;
        QComboBox* unit = nullptr; // resistance only
    };

    QWidget* buildLimit(const QString& title, const QString& digitName, const QString& choiceName,
                        int choices, const QString& unitName, LimitEditors& editors);
    void place(QWidget* mainWindow);
    void fillGrid();
    void showRow(int set, const QStringList& texts);
    /// Grid_Click: loads the set of the clicked grid row (1 = the first set) into the editors.
    void loadClickedRow(int row);
    void loadSet(int set);
    void showEdit(const ComparatorEdit& edit);
    [[nodiscard]] ComparatorEdit editorState() const;
    /// CmdUpdate_Click.
    void updateSet();

    AppState& m_state;
    CommandChannel& m_channel;
    Prompts& m_prompts;
    StreamReader m_reader;
    TextGrid* m_grid = nullptr; // row 0 the titles, row n set n
    GridView* m_view = nullptr;
    LimitEditors m_ohmHigh, m_ohmLow, m_voltHigh, m_voltLow;
    QPushButton* m_update = nullptr;
    int m_selectedSet = 0;
    bool m_tableRead = false;
    bool m_sending = false;
};
