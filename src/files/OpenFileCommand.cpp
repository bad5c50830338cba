#include "OpenFileCommand.h"

#include "DataFileReader.h"
#include "FileList.h"
#include "GraphWindow.h"
#include "Prompts.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QWidget>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a file of `mode` is no data file; empty for a regular file.
QString notRegularReason(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral("It is a folder.");
    if (S_ISFIFO(mode))
        return QStringLiteral("It is a named pipe.");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("It is a device.");
    if (S_ISSOCK(mode))
        return QStringLiteral("It is a socket.");
    return QStringLiteral("It is not a regular file.");
}

struct OpenedFile
{
    std::unique_ptr<QFile> file; ///< open for reading, or null
    QString notData;             ///< why it is no data file
    QString failure;             ///< why it cannot be opened
};

// Opens a regular file for reading and nothing else, without ever blocking: opening a named
// pipe waits for a writer, and a device such as /dev/urandom never ends. The path is looked at
// before it is opened; the descriptor is opened non-blocking (which never waits) and looked at
// again, in case the path was replaced in between, and only then read as usual.
OpenedFile openRegularFile(const QString& path)
{
    OpenedFile opened;
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0) {
        opened.failure = qt_error_string(errno);
        return opened;
    }
    opened.notData = notRegularReason(info.st_mode);
    if (!opened.notData.isEmpty())
        return opened;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        opened.failure = qt_error_string(errno);
        return opened;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        opened.failure = file->errorString();
        ::close(fd);
        return opened;
    }
    // The file owns the descriptor from here on.
    if (::fstat(fd, &info) != 0) {
        opened.failure = qt_error_string(errno);
        return opened;
    }
    opened.notData = notRegularReason(info.st_mode);
    if (!opened.notData.isEmpty())
        return opened;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        opened.failure = qt_error_string(errno);
        return opened;
    }
    if (!DataFileReader::startsAsText(*file)) {
        opened.notData = QStringLiteral("It holds binary data (a NUL byte in its first %1 bytes).")
                             .arg(DataFileReader::TextCheckBytes);
        return opened;
    }
    opened.file = std::move(file);
    return opened;
}

} // namespace

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
    OpenedFile opened = openRegularFile(path);
    if (!opened.file) {
        const QString shown = QDir::toNativeSeparators(path);
        if (!opened.notData.isEmpty())
            m_prompts.message(QStringLiteral("%1 is not a data file.").arg(shown),
                              Prompts::Icon::Critical, QString(), opened.notData);
        else
            m_prompts.message(QStringLiteral("Cannot open %1").arg(shown), Prompts::Icon::Critical,
                              QString(), opened.failure);
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
