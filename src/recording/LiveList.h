#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class FileTransfer;
class Prompts;
class QWidget;
class RealTimeList;
struct AppState;

/// The main window's side of the real-time list: the toolbar's List command, the rows the
/// sample tick hands over, and the list's stop check. It opens a new list window each time
/// and forgets it when the window closes.
class LiveList : public QObject
{
    Q_OBJECT
public:
    LiveList(AppState& state, Prompts& prompts, FileTransfer& transfer, QWidget* mainWindow,
             QObject* parent = nullptr);

    /// Toolbar "List": takes the range in force; opens the list unless it is open already.
    void runListCommand();
    /// One sample for the list (the stamp and value texts of a sample line). Adds the row
    /// while the list takes rows, then closes the list when the stop check says so.
    void addSample(const QString& readingLine);

    /// The open list window, or null.
    [[nodiscard]] RealTimeList* window() const;

private:
    void windowClosed();

    AppState& m_state;
    Prompts& m_prompts;
    FileTransfer& m_transfer;
    QWidget* m_mainWindow;
    QPointer<RealTimeList> m_window;
};
