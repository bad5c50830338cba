#pragma once

#include <QPointer>
#include <QWidget>

/// The handlers of a window that run events (a dialog, a save, a print, a long drawing), and the
/// window's close among them: a window closed while one runs is deleted only once the last one
/// has returned, never under it. A `busy` widget (the window's toolbar) is greyed meanwhile.
class WindowHandlers
{
public:
    explicit WindowHandlers(QWidget& window) : m_window(window) {}
    WindowHandlers(const WindowHandlers&) = delete;
    WindowHandlers& operator=(const WindowHandlers&) = delete;

    /// The widget greyed while a handler runs.
    void setBusyWidget(QWidget* busy) { m_busy = busy; }

    /// A handler starts.
    void enter()
    {
        if (m_running++ == 0 && m_busy)
            m_busy->setEnabled(false);
    }
    /// A handler ends; after the last one a closed window goes.
    void leave()
    {
        if (--m_running > 0)
            return;
        if (m_busy)
            m_busy->setEnabled(true);
        if (m_closed)
            m_window.deleteLater();
    }
    /// The window closes: false when it had closed already. It goes now unless a handler runs.
    bool close()
    {
        if (m_closed)
            return false;
        m_closed = true;
        if (m_running == 0)
            m_window.deleteLater();
        return true;
    }

    [[nodiscard]] bool closed() const { return m_closed; }
    [[nodiscard]] bool running() const { return m_running > 0; }

    /// A handler for its lifetime: enter() now, leave() on every path out.
    class Scope
    {
    public:
        explicit Scope(WindowHandlers& handlers) : m_handlers(handlers) { m_handlers.enter(); }
        ~Scope() { m_handlers.leave(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        WindowHandlers& m_handlers;
    };

private:
    QWidget& m_window;
    QPointer<QWidget> m_busy;
    int m_running = 0;
    bool m_closed = false;
};
