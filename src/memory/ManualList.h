#pragma once

#include "MemoryList.h"

/// The manual data list ("Manual List"): every manually stored reading of the meter. Each
/// Read Manual appends the readings again while it stays open. Its toolbar exports the list
/// as CSV ("Export CSV") and prints it (every other button).
class ManualList : public MemoryList
{
    Q_OBJECT
public:
    ManualList(AppState& state, FileTransfer& transfer, QWidget* mainWindow);

    /// "Export CSV" exports; every other button prints.
    void runToolbarCommand(const QString& key) override;
};
