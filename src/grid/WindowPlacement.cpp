#include "WindowPlacement.h"

#include "WindowPlace.h"

#include <QApplication>
#include <QEvent>
#include <QList>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <QWindow>

namespace {

QPointer<QSettings> g_settings;

QString keyOf(const QWidget* window)
{
    return QStringLiteral("windows/") + window->objectName();
}

// The frame the window manager put round the last of our windows it framed: the best guess
// for a window it has not framed yet.
QMargins g_lastFrame;

// The frame the window manager has put round `w`; none before it has framed the window (and
// none where there is no window manager).
QMargins realFrame(const QWidget* w)
{
    if (!w || !w->testAttribute(Qt::WA_WState_Created) || !w->windowHandle())
        return {};
    const QMargins frame = w->windowHandle()->frameMargins();
    if (!frame.isNull())
        g_lastFrame = frame;
    return frame;
}

// The frame `w` will have: its own once framed, else that of `other`, else the last one seen.
QMargins expectedFrame(const QWidget* w, const QWidget* other)
{
    for (const QWidget* x : {w, other}) {
        const QMargins frame = realFrame(x);
        if (!frame.isNull())
            return frame;
    }
    return g_lastFrame;
}

class Keeper;
QList<Keeper*> g_keepers; // every managed window's, while it lives

/// Watches one managed window: places it when it shows, notes where the user leaves it.
class Keeper : public QObject
{
public:
    explicit Keeper(QWidget* window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        g_keepers.append(this);
    }
    ~Keeper() override { g_keepers.removeAll(this); }
    Keeper(const Keeper&) = delete;
    Keeper& operator=(const Keeper&) = delete;

    [[nodiscard]] QWidget* window() const { return m_window; }

    QPointer<QWidget> opener;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window->windowHandle() && event->type() == QEvent::Expose) {
            checkFrame();
            return false;
        }
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            if (!event->spontaneous())
                placeOnShow();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (m_window->isVisible() && !m_placing)
                save();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* openerWindow() const
    {
        if (opener)
            return opener->window();
        if (QWidget* parent = m_window->parentWidget())
            return parent->window();
        QWidget* active = QApplication::activeWindow();
        return active != m_window ? active : nullptr;
    }

    void placeOnShow()
    {
        // A window is moved and sized by its client area, but it is its frame that must stay
        // on the screen and off the other windows. Until the window manager has framed the
        // window, its frame is a guess; the first exposure tells.
        m_frame = expectedFrame(m_window, visibleOpener());
        place(QRect(m_window->pos() + QPoint(m_frame.left(), m_frame.top()), m_window->size()));
        m_frameUnsure = true;
        if (QWindow* handle = m_window->windowHandle(); handle && handle != m_watchedHandle) {
            handle->installEventFilter(this);
            m_watchedHandle = handle;
        }
    }

    // Shown and framed: placed again where the frame turned out other than guessed.
    void checkFrame()
    {
        if (!m_frameUnsure || !m_window->windowHandle()->isExposed())
            return;
        m_frameUnsure = false;
        const QMargins frame = realFrame(m_window);
        if (frame == m_frame)
            return;
        m_frame = frame;
        place(m_window->geometry());
    }

    QWidget* visibleOpener() const
    {
        QWidget* from = openerWindow();
        return from && from->isVisible() ? from : nullptr;
    }

    // Places the window whose client area is `wanted` with the frame m_frame.
    void place(const QRect& wanted)
    {
        m_placing = true;
        QWidget* from = visibleOpener();
        QList<QRect> screens;
        for (const QScreen* s : QGuiApplication::screens())
            screens.append(s->availableGeometry());

        std::optional<QRect> target;
        if (g_settings) {
            const QRect saved = g_settings->value(keyOf(m_window)).toRect();
            if (saved.isValid()) {
                if (const auto frame = WindowPlace::remembered(
                        QRect(saved.topLeft(), saved.size().grownBy(m_frame)), screens))
                    target = frame->marginsRemoved(m_frame);
            }
        }
        if (!target) {
            // A modal dialog may stand over the window it was opened from: that one waits
            // for it anyway.
            QList<QRect> open;
            for (const Keeper* k : std::as_const(g_keepers)) {
                const QWidget* w = k->m_window;
                if (k != this && w->isVisible() && !(m_window->isModal() && w == from))
                    open.append(w->frameGeometry());
            }
            const QScreen* screen = from ? from->screen() : m_window->screen();
            const QRect room = screen ? screen->availableGeometry() : QRect();
            const QSize least = m_window->minimumSize().expandedTo(m_window->minimumSizeHint());
            target = WindowPlace::placeClient(wanted, least, m_frame,
                                              from ? from->frameGeometry() : QRect(), open, room);
        }
        // By the client area: a move by the frame's corner would need the frame known.
        m_window->setGeometry(
            QRect(target->topLeft(), target->size().expandedTo(m_window->minimumSize())));
        m_placing = false;
        save();
    }

    // Kept as the frame's corner and the client area's size. The corner is counted from the
    // client area: Qt tells the frame's only once the window manager has framed the window.
    void save() const
    {
        if (g_settings && !m_window->objectName().isEmpty())
            g_settings->setValue(keyOf(m_window), QRect(m_window->geometry().topLeft() -
                                                            QPoint(m_frame.left(), m_frame.top()),
                                                        m_window->size()));
    }

    QWidget* m_window;
    QPointer<QWindow> m_watchedHandle;
    QMargins m_frame;           // the frame the window was last placed with
    bool m_frameUnsure = false; // placed with a guessed frame, not yet exposed
    bool m_placing = false;
};

Keeper* keeperOf(QWidget* window)
{
    for (Keeper* k : std::as_const(g_keepers)) {
        if (k->window() == window)
            return k;
    }
    return nullptr;
}

} // namespace

namespace WindowPlacement {

void manage(QWidget* window)
{
    if (window && !keeperOf(window))
        new Keeper(window);
}

void setOpener(QWidget* window, QWidget* opener)
{
    manage(window);
    if (Keeper* k = keeperOf(window))
        k->opener = opener;
}

void rememberIn(QSettings* settings)
{
    g_settings = settings;
}

} // namespace WindowPlacement
