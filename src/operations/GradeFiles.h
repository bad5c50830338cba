#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// Longest file of cells or capacities read (a million cells take some 40 MB).
inline constexpr qint64 MaxCellsFileBytes = 64 * 1024 * 1024;

/// Writes `bytes` to `path` whole or not at all: beside it first, then renamed over it, each
/// write and the commit checked. A path that exists and is no regular file (a folder, a
/// device, a FIFO) is refused before anything is opened. False with the reason.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString& reason);

/// The bytes of a regular file of at most `maxBytes`; none, with the reason, for anything else.
[[nodiscard]] std::optional<QByteArray> readBoundedFile(const QString& path, qint64 maxBytes,
                                                        QString& reason);
