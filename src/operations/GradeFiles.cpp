#include "GradeFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString& reason)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        reason = QStringLiteral("%1 is not a regular file").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        reason = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

std::optional<QByteArray> readBoundedFile(const QString& path, qint64 maxBytes, QString& reason)
{
    // Asked of the file itself, not its name: a FIFO or a device never blocks the read.
    const QFileInfo info(path);
    if (!info.exists()) {
        reason = QStringLiteral("%1 does not exist").arg(path);
        return std::nullopt;
    }
    if (!info.isFile()) {
        reason = QStringLiteral("%1 is not a regular file").arg(path);
        return std::nullopt;
    }
    if (info.size() > maxBytes) {
        reason = QStringLiteral("%1 is larger than %2 MB").arg(path).arg(maxBytes >> 20);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        reason = QStringLiteral("%1 is larger than %2 MB").arg(path).arg(maxBytes >> 20);
        return std::nullopt;
    }
    return bytes;
}
