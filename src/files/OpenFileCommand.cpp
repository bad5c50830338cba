#include "OpenFileCommand.h"

#include "DataFileReader.h"
#include "FileList.h"
#include "GraphWindow.h"
#include "InputFile.h"
#include "Prompts.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QWidget>

#include <memory>

OpenFileCommand::OpenFileCommand(AppState& state, Prompts& prompts, FileTransfer& transfer,
                                 QWidget* mainWindow, QObject* parent)
    : QObject(parent), m_state(state), m_prompts(prompts), m_transfer(transfer),
      m_mainWindow(mainWindow)
{
    if (m_mainWindow)
        m_mainWindow->installEventFilter(this);
}

OpenFileCommand::~OpenFileCommand()
{
    // The program ends: no handler of either window runs any more.
    delete m_list.data();
    delete m_plot.data();
}

QStringList OpenFileCommand::openFilters()
{
    return {QStringLiteral("Data Files (*.txt)"), QStringLiteral("All Files (*)")};
}

void OpenFileCommand::run()
{
    const QString path =
        m_prompts.openFileName(m_mainWindow, QStringLiteral("Open"), openFilters());
    if (path.isEmpty())
        return;
    // Opened before the old list closes, so a file that cannot be read leaves it in place.
    OpenedFile opened = openDataFile(path);
    if (!opened.file) {
        const QString shown = QDir::toNativeSeparators(path);
        m_prompts.message(opened.refusal == OpenedFile::Refusal::Failed
                              ? QStringLiteral("Cannot open %1").arg(shown)
                              : QStringLiteral("%1 is not a data file.").arg(shown),
                          Prompts::Icon::Critical, QString(), opened.reason);
        return;
    }
    if (m_list)
        m_list->close();
    auto* list = new FileList(m_state, m_prompts, m_transfer, m_plot, m_mainWindow);
    m_list = list;
    list->show();
    list->load(std::move(opened.file), path);
}

bool OpenFileCommand::eventFilter(QObject* watched, QEvent* event)
{
    // Closing the main window ends the program: the list stops reading or printing now.
    if (watched == m_mainWindow && event->type() == QEvent::Close) {
        if (m_list)
            m_list->close();
        if (m_plot)
            m_plot->close();
    }
    return QObject::eventFilter(watched, event);
}
