#include "InputFile.h"

#include "DataFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a path of `mode` is instead of a regular file; empty for a regular file.
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

OpenedFile refused(OpenedFile::Refusal refusal, const QString& reason)
{
    OpenedFile opened;
    opened.refusal = refusal;
    opened.reason = reason;
    return opened;
}

// A limit as a person reads it: "64 KiB", "64 MiB", or bytes.
QString sizeText(qint64 bytes)
{
    constexpr qint64 KiB = 1024;
    if (bytes >= KiB * KiB && bytes % (KiB * KiB) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (KiB * KiB));
    if (bytes >= KiB && bytes % KiB == 0)
        return QStringLiteral("%1 KiB").arg(bytes / KiB);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString tooLargeText(const QString& name, qint64 limit)
{
    return QStringLiteral("%1 holds more than %2").arg(name, sizeText(limit));
}

} // namespace

QString notRegularFileText(const QString& path)
{
    return QStringLiteral("%1 is not a regular file").arg(path);
}

QString OpenedFile::problem(const QString& path) const
{
    switch (refusal) {
    case Refusal::None:
        return {};
    case Refusal::NotRegular:
        return notRegularFileText(path);
    case Refusal::Binary:
        return QStringLiteral("%1 is no data file: %2").arg(path, reason);
    case Refusal::Failed:
        break;
    }
    return QStringLiteral("cannot read %1: %2").arg(path, reason);
}

// The path is looked at before it is opened; the descriptor is opened non-blocking (which
// never waits) and looked at again, in case the path was replaced in between, and only then
// read as usual.
OpenedFile openRegularFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0)
        return refused(OpenedFile::Refusal::Failed, qt_error_string(errno));
    if (const QString what = notRegularReason(info.st_mode); !what.isEmpty())
        return refused(OpenedFile::Refusal::NotRegular, what);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refused(OpenedFile::Refusal::Failed, qt_error_string(errno));
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(OpenedFile::Refusal::Failed, file->errorString());
    }
    // The file owns the descriptor from here on.
    if (::fstat(fd, &info) != 0)
        return refused(OpenedFile::Refusal::Failed, qt_error_string(errno));
    if (const QString what = notRegularReason(info.st_mode); !what.isEmpty())
        return refused(OpenedFile::Refusal::NotRegular, what);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return refused(OpenedFile::Refusal::Failed, qt_error_string(errno));
    OpenedFile opened;
    opened.file = std::move(file);
    return opened;
}

OpenedFile openDataFile(const QString& path)
{
    OpenedFile opened = openRegularFile(path);
    if (opened.file && !DataFileReader::startsAsText(*opened.file)) {
        return refused(OpenedFile::Refusal::Binary,
                       QStringLiteral("It holds binary data (a NUL byte in its first %1 bytes).")
                           .arg(DataFileReader::TextCheckBytes));
    }
    return opened;
}

namespace {

// What readAtMost() found.
enum class BoundedRead
{
    Read,     // all of it, `limit` bytes at most
    TooLarge, // more than `limit` bytes
    Failed    // the device failed: its errorString()
};

// Reads all of `device` into `bytes` when it holds at most `limit` bytes. A stream such as
// stdin is read only that far, never to its end; `bytes` is empty unless Read.
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

} // namespace

std::optional<QByteArray> readBounded(QIODevice& device, const QString& name, qint64 limit,
                                      QString& failure)
{
    QByteArray bytes;
    switch (readAtMost(device, limit, bytes)) {
    case BoundedRead::Read:
        return bytes;
    case BoundedRead::TooLarge:
        failure = tooLargeText(name, limit);
        break;
    case BoundedRead::Failed:
        failure = QStringLiteral("cannot read %1: %2").arg(name, device.errorString());
        break;
    }
    return std::nullopt;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit, QString& failure)
{
    const OpenedFile opened = openRegularFile(path);
    if (!opened.file) {
        failure = opened.problem(path);
        return std::nullopt;
    }
    // A regular file tells its size: one too large is refused before a byte is read.
    if (opened.file->size() > limit) {
        failure = tooLargeText(path, limit);
        return std::nullopt;
    }
    return readBounded(*opened.file, path, limit, failure);
}

std::optional<QByteArray> readDataFile(const QString& path, QString& failure)
{
    const OpenedFile opened = openDataFile(path);
    if (!opened.file) {
        failure = opened.problem(path);
        return std::nullopt;
    }
    QByteArray bytes = opened.file->readAll();
    if (opened.file->error() != QFileDevice::NoError) {
        failure = QStringLiteral("cannot read %1: %2").arg(path, opened.file->errorString());
        return std::nullopt;
    }
    return bytes;
}
