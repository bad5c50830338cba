#include "ManualList.h"

#include "MemoryRecords.h"

namespace {

const QStringList kWidthTexts{QStringLiteral(" 000000 "),     QStringLiteral("HH:NN:SS"),
                              QStringLiteral("999999A"),      QStringLiteral("AAAAAAA400 mOhm"),
                              QStringLiteral("AAAAAAAA"),     QStringLiteral("AAAAAA"),
                              QStringLiteral("AOutCapUnitA"), QStringLiteral("AAOutCapUnitA"),
                              QStringLiteral("AOutCapUnitA")};

} // namespace

ManualList::ManualList(AppState& state, FileTransfer& transfer, QWidget* mainWindow)
    : MemoryList(QStringLiteral("ManualList"), QStringLiteral("Manual List"), manualListTitles(),
                 kWidthTexts,
                 {csvExportButton(),
                  {listImage(ListImage::Print), QStringLiteral("Print"), QStringLiteral("Print")}},
                 state, transfer, mainWindow)
{
}

void ManualList::runToolbarCommand(const QString& key)
{
    if (handlerRunning() || isClosed())
        return;
    if (key == CsvExportKey)
        exportCsv();
    else
        print(QStringLiteral("%1 manual records").arg(dataRows()));
}
