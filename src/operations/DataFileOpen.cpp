#include "DataFileOpen.h"

#include "DataFileReader.h"

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

} // namespace

// The path is looked at before it is opened; the descriptor is opened non-blocking (which
// never waits) and looked at again, in case the path was replaced in between, and only then
// read as usual.
OpenedDataFile openRegularFile(const QString& path)
{
    OpenedDataFile opened;
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
    opened.file = std::move(file);
    return opened;
}

OpenedDataFile openDataFile(const QString& path)
{
    OpenedDataFile opened = openRegularFile(path);
    if (opened.file && !DataFileReader::startsAsText(*opened.file)) {
        opened.file.reset();
        opened.notData = QStringLiteral("It holds binary data (a NUL byte in its first %1 bytes).")
                             .arg(DataFileReader::TextCheckBytes);
    }
    return opened;
}

BoundedRead readAtMost(QIODevice& device, qint64 limit, QByteArray& bytes)
{
    bytes.resize(limit + 1);
    qint64 got = 0;
    // A pipe hands over what it holds at a time: read on until the end or one byte too many.
    while (got <= limit) {
        const qint64 n = device.read(bytes.data() + got, limit + 1 - got);
        if (n < 0) {
            bytes.clear();
            return BoundedRead::Failed;
        }
        if (n == 0)
            break;
        got += n;
    }
    if (got > limit) {
        bytes.clear();
        return BoundedRead::TooLarge;
    }
    bytes.truncate(got);
    return BoundedRead::Read;
}
