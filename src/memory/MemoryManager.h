#pragma once

#include "EraseMemory.h"

#include <QPointer>
#include <QWidget>

class CommandChannel;
class DataList;
class FileTransfer;
class GridView;
class ManualList;
class Prompts;
class QLabel;
class QPushButton;
class StatusPanel;
class TextGrid;
struct AppState;

/// The memory window ("Data Logger"): what the meter holds in its memory after a download.
/// The set grid (`GridSet`) lists the automatically recorded sets, `LblSize` and `LblRemain`
/// the memory's size and free space, `LblMessage` the download's progress. A click on a set
/// lists its readings in the data list; "Read Manual" (`CmdManual`) lists the manual readings;
/// "Clear Manual" (`CmdClearManual`) and a click on the free space erase the manual or the
/// automatic memory of the meter. Closing the window hides it (the download it belongs to
/// then stops); the next download fills it again.
class MemoryManager : public QWidget
{
    Q_OBJECT
public:
    MemoryManager(AppState& state, CommandChannel& channel, Prompts& prompts,
                  FileTransfer& transfer, QWidget* mainWindow);
    ~MemoryManager() override;

    [[nodiscard]] TextGrid& setGrid() { return *m_sets; }
    [[nodiscard]] GridView& setView() { return *m_setView; }
    [[nodiscard]] QLabel* sizeLabel() const { return m_size; }
    [[nodiscard]] QLabel* remainLabel() const { return m_remain; }
    [[nodiscard]] StatusPanel* messageLabel() const { return m_message; }
    [[nodiscard]] DataList* dataList() const;
    [[nodiscard]] ManualList* manualList() const;

    /// Shows the window for a download: beside the main window, its set grid and message
    /// emptied.
    void showForDownload();

    /// Show set (a click on grid row `row`, 1 for the first set): lists that set's readings
    /// in a new data list.
    void showSet(int row);
    /// CmdManual_Click: lists the manual readings of the last download.
    void readManual();
    /// CmdClearManual_Click: erases the meter's manual memory after asking.
    void clearManual();
    /// LblRemain_Click: erases the meter's automatic memory after asking.
    void clearAuto();

    /// The meter was sent an erase (from this window or the main window's toolbar): the
    /// program's copy of what it erased is dropped, and `window` (the Data Logger, null when
    /// there is none) stops showing it. Erased automatic data: the stored sets go, the set
    /// grid empties, the free space shows the whole memory and the data list closes (with its
    /// plot). Erased manual data: the manual buffer goes and the manual list closes.
    static void forgetErased(AppState& state, MemoryManager* window, MemoryKind kind);

signals:
    /// The user closed the window.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void erase(MemoryKind kind);
    void showErased(MemoryKind kind);
    /// Where a list opens, kept on the screen: the data list right of this window, the manual
    /// list below it, so that both can be seen.
    enum class ListPlace
    {
        Right,
        Below
    };
    void placeList(QWidget* list, ListPlace place) const;

    AppState& m_state;
    CommandChannel& m_channel;
    Prompts& m_prompts;
    FileTransfer& m_transfer;
    QWidget* m_mainWindow;
    TextGrid* m_sets = nullptr;
    GridView* m_setView = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_remain = nullptr;
    StatusPanel* m_message = nullptr;
    QPushButton* m_readManual = nullptr;
    QPushButton* m_clearManual = nullptr;
    QPointer<DataList> m_dataList;
    QPointer<ManualList> m_manualList;
};
