#pragma once

#include "Cells.h"
#include "TwipsScale.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>

class KeyFace;
class LcdScreen;
class PanelModel;
struct CellState;
class QAction;
class QLabel;
class QPushButton;
class QToolBar;

/// The main window: a picture of the meter whose LCD cells mirror a PanelModel, the meter's
/// keys, the "Range" button, the status line and the toolbar. It only shows what it is given
/// and reports what the user does; it knows nothing of the serial line. The toolbar's commands
/// have keyboard shortcuts (named in their tooltips), Tab walks the keys, and a context menu
/// offers Help (F1), Keyboard shortcuts, About and Quit.
class Panel : public QWidget
{
    Q_OBJECT
public:
    explicit Panel(QWidget* parent = nullptr);

    /// Shows the text (label cells) and visibility of each cell flagged in `cells`; the others
    /// are not touched. Cheap enough for every decoded frame.
    void showCells(const PanelModel& model, const CellFlags& cells);
    /// Shows every cell of `model`.
    void showAllCells(const PanelModel& model);

    /// Shows arrow key (`arrow`) or grey key `index` pressed (`down`) or raised. The keys
    /// already follow the mouse by themselves; this is for a controller that drives them.
    void setKeyFaceDown(bool arrow, int index, bool down);
    /// Toolbar button 1 while a PC recording runs: the stop image and "Stop Recording";
    /// otherwise the save image and "Save As".
    void setRecordingLook(bool recording);

    /// The widget of `cell` (a QLabel for label cells).
    [[nodiscard]] QWidget* cellWidget(Cell cell) const { return m_cells[cellIndex(cell)]; }
    /// `LblCOM`, the link state.
    [[nodiscard]] QLabel* linkLabel() const { return m_linkLabel; }
    /// `LblRec`, the recording mark.
    [[nodiscard]] QLabel* recLabel() const { return m_recLabel; }
    /// `LblCount`, the number of records written.
    [[nodiscard]] QLabel* countLabel() const { return m_countLabel; }
    /// `LblFileName`, the recording file.
    [[nodiscard]] QLabel* fileNameLabel() const { return m_fileNameLabel; }
    /// `Toolbar1`.
    [[nodiscard]] QToolBar* toolbar() const { return m_toolbar; }
    /// The context menu's entries, in order: Help, Keyboard shortcuts, About, Quit.
    [[nodiscard]] const QList<QAction*>& menuActions() const { return m_menuActions; }
    /// Converts the window's twips to this screen's pixels.
    [[nodiscard]] const TwipsScale& scale() const { return m_scale; }

signals:
    /// Mouse-down on arrow key `index` (0 left, 1 right, 2 up, 3 down).
    void arrowPressed(int index);
    /// Mouse-up after arrowPressed.
    void arrowReleased(int index);
    /// Mouse-down on grey key `index` (0 HOLD, 1 MODE, 2 SET).
    void grayPressed(int index);
    /// Mouse-up after grayPressed.
    void grayReleased(int index);
    /// `CmdRange` was clicked.
    void rangeClicked();
    /// `LblCOM` was clicked.
    void linkLabelClicked();
    /// A toolbar button was clicked; `key` is its "Key" property ("Save", "Open", ...).
    void toolbarButtonClicked(const QString& key);
    /// The window is being closed, which ends the program.
    void closing();
    /// Help asked for, opened at the section with this heading (empty: at the start).
    void helpRequested(const QString& heading);
    /// About asked for.
    void aboutRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildLcd();
    void buildKeys();
    void buildStatusLine();
    void buildMenu();
    QWidget* createCell(Cell cell);
    /// Names, fills and places `label` (a plain QLabel when none is given) on the status line.
    QLabel* createStatusLabel(const QString& name, const QString& text, const QRect& twips,
                              Qt::Alignment alignment, QLabel* label = nullptr);
    void showCell(int index, const CellState& state);
    void renderBody();
    /// A rectangle of the client area in twips, as pixels of this window (below the toolbar).
    [[nodiscard]] QRect place(const QRect& twips) const;
    /// The same, as pixels of the LCD glass.
    [[nodiscard]] QRect placeOnGlass(const QRect& twips) const;

    TwipsScale m_scale;
    int m_toolbarHeight = 0;
    QToolBar* m_toolbar = nullptr;
    QAction* m_saveAction = nullptr;
    LcdScreen* m_lcd = nullptr;
    std::array<QWidget*, CellCount> m_cells{};
    std::array<QLabel*, CellCount> m_labels{}; // null for picture cells
    std::array<KeyFace*, 4> m_arrowKeys{};
    std::array<KeyFace*, 3> m_grayKeys{};
    QPushButton* m_rangeButton = nullptr;
    QLabel* m_linkLabel = nullptr;
    QLabel* m_recLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_fileNameLabel = nullptr;
    QList<QAction*> m_menuActions;
    // The case, bezel and keypad never change; drawn once.
    QPixmap m_body;
};
