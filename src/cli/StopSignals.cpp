#include "StopSignals.h"

#include <QSocketNotifier>

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &m_previousMask);
    m_fd = ::signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_fd < 0) {
        pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignals);
}

StopSignals::~StopSignals()
{
    if (m_fd < 0)
        return;
    delete m_notifier;
    ::close(m_fd);
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void StopSignals::readSignals()
{
    signalfd_siginfo info{};
    while (::read(m_fd, &info, sizeof info) == ssize_t(sizeof info)) {
        const int number = int(info.ssi_signo);
        if (m_received == 0)
            m_received = number;
        emit stopRequested(number);
    }
}
