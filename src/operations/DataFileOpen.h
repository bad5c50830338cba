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
/// pipe waits for a writer, and a device such as /dev/urandom never ends. A file with a NUL
/// byte near its start is binary, no data file.
[[nodiscard]] OpenedDataFile openDataFile(const QString& path);
