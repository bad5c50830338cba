#pragma once

#include <QString>

/// One line of progress on stderr (samples written, bytes received, link state), rewritten
/// in place. Only on a terminal: into a pipe or a log nothing is written.
class StatusLine
{
public:
    StatusLine();
    ~StatusLine();
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    /// True when stderr is a terminal, so the line is shown at all.
    [[nodiscard]] bool isShown() const { return m_terminal; }
    /// Replaces the line with `text`.
    void show(const QString& text);
    /// Removes the line, so that ordinary output starts on an empty line.
    void clear();

    /// Removes whatever status line is on the terminal (before an error line is written).
    static void clearShown();

private:
    bool m_terminal;
};
