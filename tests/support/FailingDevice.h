#pragma once

// A device that hands out `good` bytes and then fails, as a file on a failing disk or one that
// vanishes part-way.

#include <QByteArray>
#include <QIODevice>

#include <cstring>

class FailingDevice : public QIODevice
{
public:
    FailingDevice(QByteArray bytes, qint64 good) : m_bytes(std::move(bytes)), m_good(good) {}

protected:
    qint64 readData(char* data, qint64 max) override
    {
        if (m_at >= m_good) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = qMin(max, m_good - m_at);
        std::memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    bool isSequential() const override { return true; }

private:
    QByteArray m_bytes;
    qint64 m_good;
    qint64 m_at = 0;
};
