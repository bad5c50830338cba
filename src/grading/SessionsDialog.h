#pragma once

#include <QDialog>

class CellStore;
class Clock;
class Prompts;
class QTableWidget;

/// "Sessions": every grading session of the cell database with its date and number of cells,
/// to open one again (and go on measuring), start a new one, rename or delete one (asked).
class SessionsDialog : public QDialog
{
    Q_OBJECT
public:
    /// `current` is the session open in the window: it cannot be deleted from here.
    SessionsDialog(CellStore& store, Prompts& prompts, const Clock& clock, qint64 current,
                   QWidget* parent = nullptr);

    /// The session chosen to open (new or earlier), 0 for none.
    [[nodiscard]] qint64 chosen() const { return m_chosen; }

    void openSelected();
    void newSession();
    void renameSelected();
    void deleteSelected();

private:
    void fill(qint64 select);
    [[nodiscard]] qint64 selectedKey() const;
    void tell(const QString& text);

    CellStore& m_store;
    Prompts& m_prompts;
    const Clock& m_clock;
    qint64 m_current;
    qint64 m_chosen = 0;
    QTableWidget* m_table = nullptr;
};
