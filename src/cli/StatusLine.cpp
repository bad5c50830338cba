#include "StatusLine.h"

#include <cstdio>
#include <unistd.h>

namespace {

bool s_lineShown = false; // a status line stands on the terminal's last line

} // namespace

StatusLine::StatusLine() : m_terminal(::isatty(STDERR_FILENO) == 1) {}

StatusLine::~StatusLine()
{
    clear();
}

void StatusLine::show(const QString& text)
{
    if (!m_terminal)
        return;
    // Back to the line's start, the text, and the rest of an older, longer text erased.
    std::fprintf(stderr, "\r%s\x1b[K", qUtf8Printable(text));
    std::fflush(stderr);
    s_lineShown = true;
}

void StatusLine::clear()
{
    if (m_terminal)
        clearShown();
}

void StatusLine::clearShown()
{
    if (!s_lineShown)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    s_lineShown = false;
}
