#pragma once

#include "MemoryList.h"

/// The manual data list ("Manual List"): every manually stored reading of the meter. Each
/// Read Manual appends the readings again while it stays open. Its toolbar prints the list.
class ManualList : public MemoryList
{
    Q_OBJECT
public:
    ManualList(AppState& state, FileTransfer& transfer, QWidget* mainWindow);

    /// Every button of this toolbar prints.
    void runToolbarCommand(const QString& key) override;
};
