#pragma once

#include "Cells.h"
#include "TwipsScale.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>
#include <vector>

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
/// and reports what the user does; it knows nothing of the serial line. The picture scales
/// with the window and keeps its proportions; its design size is the size hint. The toolbar's
/// commands have keyboard shortcuts (named in their tooltips), Tab walks the keys, and a
/// context menu offers Help (F1), Keyboard shortcuts, About, Lab, Publish to lab and Quit.
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
    /// While the link is lost the lit LCD segments take the unlit segments' tone, so a stale
    /// reading does not pass for a live one.
    void setLcdStale(bool stale);
    /// Shrinks the window, keeping the picture's proportions, so that it and a title bar fit
    /// the height of `available` (a screen's free area). A window that fits keeps its size.
    void fitHeight(const QRect& available);

    [[nodiscard]] QSize sizeHint() const override;

    /// Toolbar button 1 while a PC recording runs: the stop image and "Stop Recording";
    /// otherwise the save image and "Save As".
    void setRecordingLook(bool recording);
    /// While a recording waits for a fresh reading `LblRec` says so over the room of the count
    /// and the file name, which step aside; otherwise the three labels show as usual.
    void setWaitingLook(bool waiting);

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
    /// The context menu's entries, in order: Help, Keyboard shortcuts, About, Lab, Publish to
    /// lab, Quit.
    [[nodiscard]] const QList<QAction*>& menuActions() const { return m_menuActions; }
    /// Converts the window's twips to pixels of the picture at its present size.
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
    /// "Lab": the Lab Overview asked for.
    void labRequested();
    /// "Publish to lab": the lab publishing settings asked for.
    void publishToLabRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// How a piece of the picture takes its font.
    enum class Face
    {
        None,
        Segment,
        Ink,
        Caption
    };
    /// A widget of the picture and where it goes, so that it can follow the window's size.
    struct Piece
    {
        QWidget* widget = nullptr;
        QRect twips;
        bool onGlass = false;
        Face face = Face::None;
        int fontTwips = 0;
        QString ghost;                // drawn unlit behind it on the glass
        Qt::Alignment alignment = {}; // of the ghost
        QString widthText;            // when set, as wide as this text
    };

    void addPiece(QWidget* widget, const QRect& twips, bool onGlass = false, Face face = Face::None,
                  int fontTwips = 0);
    void buildToolbar();
    void buildLcd();
    void buildKeys();
    void buildStatusLine();
    void buildMenu();
    QWidget* createCell(Cell cell);
    /// Names and fills `label` (a plain QLabel when none is given) on the status line.
    QLabel* createStatusLabel(const QString& name, const QString& text, const QRect& twips,
                              Qt::Alignment alignment, QLabel* label = nullptr);
    /// Scales the picture to the window and puts every piece in its place.
    void layOutFace();
    /// Gives the cells on the glass the ink of a live or of a stale reading.
    void paintLcdInk();
    [[nodiscard]] QFont fontOf(Face face, int twips) const;
    /// The window size at which the picture is drawn `zoom` times its design size.
    [[nodiscard]] QSize sizeAt(qreal zoom) const;
    void showCell(int index, const CellState& state);
    void renderBody();
    /// A rectangle of the client area in twips, as pixels of this window (below the toolbar).
    [[nodiscard]] QRect place(const QRect& twips) const;
    /// The same, as pixels of the LCD glass.
    [[nodiscard]] QRect placeOnGlass(const QRect& twips) const;

    TwipsScale m_design; // the screen's own scale: the picture at its design size
    TwipsScale m_scale;  // the picture at its present size
    QPoint m_faceAt;     // top-left of the picture; the window may be wider or taller
    int m_toolbarHeight = 0;
    std::array<int, 2> m_toolbarHeights{}; // with large and with small images
    bool m_stale = false;
    std::vector<Piece> m_pieces;
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
