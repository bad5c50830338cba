#pragma once

#include <csignal>
#include <sys/resource.h>

/// A file system that fills up, for as long as this lives: no file this process writes may
/// grow past `bytes`, and a write beyond fails with "File too large" (SIGXFSZ, which would end
/// the process, is ignored). `bytes` 0 changes nothing.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        if (bytes == 0 || getrlimit(RLIMIT_FSIZE, &m_before) != 0)
            return;
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{bytes, m_before.rlim_max};
        m_set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            setrlimit(RLIMIT_FSIZE, &m_before);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    /// For a child process, between fork and exec (async-signal-safe calls only).
    static void applyInChild(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }

private:
    rlimit m_before{};
    bool m_set = false;
};
