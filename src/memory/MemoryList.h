#pragma once

#include "ListImages.h"
#include "WindowHandlers.h"
#include "WindowToolbar.h"

#include <QStringList>
#include <QWidget>

#include <initializer_list>

class FileTransfer;
class GridView;
class QToolBar;
class TextGrid;
struct AppState;

/// What the two lists of downloaded readings share: a toolbar of image buttons, a nine-column
/// grid under it with its titles and width texts, and printing and CSV export through the
/// save and print helpers. Closing the window stops taking rows; the object is deleted once a save,
/// print or question of its own has ended, so those never lose their window or rows.
class MemoryList : public QWidget
{
    Q_OBJECT
public:
    [[nodiscard]] TextGrid& grid() { return *m_grid; }
    [[nodiscard]] GridView& view() { return *m_view; }
    [[nodiscard]] QToolBar* toolbar() const { return m_toolbar; }
    /// Data rows (the title row not counted).
    [[nodiscard]] int dataRows() const;
    [[nodiscard]] bool isClosed() const { return m_handlers.closed(); }

    /// Appends rows (tab-separated lines) below those there are.
    void appendRows(const QStringList& lines);

    /// Toolbar1_ButtonClick.
    virtual void runToolbarCommand(const QString& key) = 0;

signals:
    /// The window was closed.
    void closed();

protected:
    MemoryList(const QString& name, const QString& caption, const QStringList& titles,
               const QStringList& widthTexts, std::initializer_list<ToolbarButton> buttons,
               AppState& state, FileTransfer& transfer, QWidget* mainWindow);

    void closeEvent(QCloseEvent* event) override;
    /// Runs when the window closes, before it may be deleted.
    virtual void closing() {}

    /// Prints the grid through the print helper, each page naming `source` (the set shown).
    void print(const QString& source);
    /// Exports the grid as CSV, its first row on a date the user gives (today offered).
    void exportCsv();
    /// A handler that runs events (a dialog, a save, a print): the toolbar is greyed and the
    /// object kept until every one has ended.
    void enterHandler() { m_handlers.enter(); }
    void leaveHandler() { m_handlers.leave(); }
    [[nodiscard]] bool handlerRunning() const { return m_handlers.running(); }
    /// Adds a widget below the grid.
    void addBelowGrid(QWidget* widget);

    AppState& m_state;
    FileTransfer& m_transfer;

private:
    QToolBar* m_toolbar = nullptr;
    TextGrid* m_grid = nullptr;
    GridView* m_view = nullptr;
    WindowHandlers m_handlers{*this};
};
