#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

/// The bytes of the file at `path`; empty when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

#ifdef CELLDESK_TEST_DATA
/// The bytes of golden file `name` in tests/data.
inline QByteArray goldenBytes(const QString& name)
{
    return fileBytes(QStringLiteral(CELLDESK_TEST_DATA "/") + name);
}
#endif
