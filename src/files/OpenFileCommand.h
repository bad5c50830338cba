#pragma once

#include "FileList.h"
#include "GraphWindow.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class FileTransfer;
class Prompts;
class QWidget;
struct AppState;

/// The main window's side of the file list: the toolbar's Open, which reads a data file
/// into a new file list, and the stored-data graph `Plot` that the list's column clicks
/// fill. The graph outlives the list: a new Open closes the list, not the graph. Both
/// windows close with the main window.
class OpenFileCommand : public QObject
{
    Q_OBJECT
public:
    OpenFileCommand(AppState& state, Prompts& prompts, FileTransfer& transfer, QWidget* mainWindow,
                    QObject* parent = nullptr);
    ~OpenFileCommand() override;

    /// The filters of the open dialog, the data files first.
    [[nodiscard]] static QStringList openFilters();

    /// Toolbar "Open" (no recording runs): asks for a file, opens it - an open list stays
    /// when it cannot be opened - then closes the open list and reads the file into a new
    /// one. Cancel changes nothing. Only a regular file holding text is read: a folder,
    /// pipe, device or socket, and a file with a NUL byte near its start, are "not a data
    /// file" and never opened in a way that could wait.
    void run();

    /// The open file list, or null.
    [[nodiscard]] FileList* window() const { return m_list; }
    /// The stored-data graph, or null.
    [[nodiscard]] GraphWindow* plotWindow() const { return m_plot; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppState& m_state;
    Prompts& m_prompts;
    FileTransfer& m_transfer;
    QWidget* m_mainWindow;
    QPointer<FileList> m_list;
    QPointer<GraphWindow> m_plot;
};
