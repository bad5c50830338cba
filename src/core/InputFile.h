#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>
#include <optional>

/// "PATH is not a regular file": the one refusal of a path that is there as a folder, a
/// device, a named pipe or a socket, whether it was to be read or written.
[[nodiscard]] QString notRegularFileText(const QString& path);

/// A file opened for reading, or why it could not be.
struct OpenedFile
{
    /// Why there is no file.
    enum class Refusal
    {
        None,       ///< opened
        NotRegular, ///< a folder, a device, a named pipe or a socket
        Binary,     ///< a regular file, but binary data where a data file was asked for
        Failed      ///< the system refused: `reason` is its reason
    };

    std::unique_ptr<QFile> file; ///< open for reading, or null
    Refusal refusal = Refusal::None;
    /// What the path is instead of a regular file ("It is a device."), what makes it no data
    /// file, or the system's reason: the details of a window's message.
    QString reason;

    /// Why there is no file, as one line naming `path`: "PATH is not a regular file",
    /// "PATH is no data file: It holds binary data (...)" or "cannot read PATH: reason".
    [[nodiscard]] QString problem(const QString& path) const;
};

/// Opens a regular file for reading and nothing else, without ever blocking: opening a named
/// pipe waits for a writer, and a device such as /dev/zero never ends.
[[nodiscard]] OpenedFile openRegularFile(const QString& path);

/// Opens a data file as openRegularFile() does. A file with a NUL byte near its start is
/// binary, no data file.
[[nodiscard]] OpenedFile openDataFile(const QString& path);

/// All of `device` (named `name` to the user) when it holds at most `limit` bytes; else
/// nothing, and `failure` is one line: "NAME holds more than 64 KiB" or "cannot read NAME:
/// reason".
[[nodiscard]] std::optional<QByteArray> readBounded(QIODevice& device, const QString& name,
                                                    qint64 limit, QString& failure);

/// The bytes of the regular file at `path` when it holds at most `limit` of them, opened as
/// openRegularFile() opens; else nothing, and `failure` says why in one line as
/// OpenedFile::problem() and readBounded() say it.
[[nodiscard]] std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit,
                                                        QString& failure);

/// The whole of the data file at `path`, opened as openDataFile() opens; else nothing, and
/// `failure` says why in one line.
[[nodiscard]] std::optional<QByteArray> readDataFile(const QString& path, QString& failure);
