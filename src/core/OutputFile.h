#pragma once

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

/// Why `path` may not be written: "PATH is not a regular file" when it exists as a folder, a
/// device, a named pipe or a socket (opening one can block for ever, replacing one breaks it);
/// empty when it is a regular file or is not there yet.
[[nodiscard]] QString outputRefusal(const QString& path);

/// A file written whole or not at all, the one way every output file of the program is made
/// (saves, exports, pictures, downloads): the bytes go to a new file beside the final name and
/// only finish() moves it into place, so a failure leaves the old file, or none, under the
/// name. Nothing is held back in a buffer: each write reaches the system at once, so a full
/// disk or a size limit is met by the write it stops, with the system's reason.
class OutputFile : public QSaveFile
{
public:
    explicit OutputFile(const QString& path);

    /// Opens the new file beside the final name; a path that exists and is not a regular
    /// file is refused before anything is opened.
    bool begin();
    /// Moves the file into place when every write succeeded, else removes it. False with
    /// reason() when any step failed.
    bool finish();

    /// Why it failed: the refusal ("PATH is not a regular file") or the system's reason.
    [[nodiscard]] QString reason() const { return m_reason; }
    /// The failure as one line: the refusal, or "cannot write PATH: reason".
    [[nodiscard]] QString failure() const;

protected:
    qint64 writeData(const char* data, qint64 length) override;

private:
    void failWith(const QString& reason);

    QString m_reason;
    bool m_refused = false;
};

/// Writes `bytes` to `path` whole or not at all; empty when written, else OutputFile's
/// failure line.
[[nodiscard]] QString writeWholeFile(const QString& path, QByteArrayView bytes);
