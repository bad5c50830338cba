#include "OutputFile.h"

#include "InputFile.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

QString outputRefusal(const QString& path)
{
    struct stat info
    {
    };
    // Followed through links: a link to a device is a device. A path that cannot be looked
    // at is left to the open, which then tells the system's reason.
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 ||
        S_ISREG(info.st_mode))
        return {};
    return notRegularFileText(path);
}

OutputFile::OutputFile(const QString& path) : QSaveFile(path) {}

bool OutputFile::begin()
{
    if (const QString refusal = outputRefusal(fileName()); !refusal.isEmpty()) {
        m_refused = true;
        failWith(refusal);
        return false;
    }
    // Unbuffered: a buffered tail would only be written by the close, whose failure the
    // commit does not see.
    if (!open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failWith(errorString());
        return false;
    }
    return true;
}

qint64 OutputFile::writeData(const char* data, qint64 length)
{
    if (!m_reason.isEmpty())
        return -1;
    // A full disk takes part of a block and refuses only the next write, which alone carries
    // the system's reason: the rest is offered again until it is taken or refused.
    qint64 done = 0;
    while (done < length) {
        errno = 0;
        const qint64 n = QSaveFile::writeData(data + done, length - done);
        if (n <= 0) {
            failWith(error() != QFileDevice::NoError ? errorString()
                     : errno != 0                    ? qt_error_string(errno)
                                                     : QStringLiteral("The system took no more."));
            return -1;
        }
        done += n;
    }
    return done;
}

bool OutputFile::finish()
{
    if (!isOpen()) {
        if (m_reason.isEmpty())
            failWith(QStringLiteral("The file was not opened."));
        return false;
    }
    if (!m_reason.isEmpty()) {
        cancelWriting();
        (void)commit(); // removes the new file
        return false;
    }
    if (!commit()) {
        failWith(errorString());
        return false;
    }
    return true;
}

QString OutputFile::failure() const
{
    if (m_reason.isEmpty() || m_refused)
        return m_reason;
    return QStringLiteral("cannot write %1: %2").arg(fileName(), m_reason);
}

void OutputFile::failWith(const QString& reason)
{
    if (m_reason.isEmpty())
        m_reason = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
}

QString writeWholeFile(const QString& path, QByteArrayView bytes)
{
    OutputFile file(path);
    if (file.begin())
        (void)file.write(bytes.data(), bytes.size());
    (void)file.finish();
    return file.failure();
}
