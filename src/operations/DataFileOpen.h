#pragma once

#include <QFile>
#include <QString>

#include <memory>

/// A data file opened for reading, or why it could not be.
struct OpenedDataFile
{
    std::unique_ptr<QFile> file; ///< open for reading, or null
    QString notData;             ///< why it is no data file (a folder, a device, binary data)
    QString failure;             ///< why it cannot be opened (the system's reason)
};

/// Opens a regular file for reading and nothing else, without ever blocking: opening a named
/// pipe waits for a writer, and a device such as /dev/zero never ends. `notData` says what
/// else the path is ("It is a device.").
[[nodiscard]] OpenedDataFile openRegularFile(const QString& path);

/// Opens a data file as openRegularFile() does. A file with a NUL byte near its start is
/// binary, no data file.
[[nodiscard]] OpenedDataFile openDataFile(const QString& path);

/// What readAtMost() found.
enum class BoundedRead
{
    Read,     ///< all of it, `limit` bytes at most
    TooLarge, ///< more than `limit` bytes
    Failed    ///< the device failed: its errorString()
};

/// Reads all of `device` into `bytes` when it holds at most `limit` bytes. A stream such as
/// stdin is read only that far, never to its end; `bytes` is empty unless Read.
[[nodiscard]] BoundedRead readAtMost(QIODevice& device, qint64 limit, QByteArray& bytes);
