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

namespace {

QPointer<QSettings> g_settings;

QString keyOf(const QWidget* window)
{
    return QStringLiteral("windows/") + window->objectName();
}

// The frame a window manager puts round `w`: its own once it has been shown, else that of a
// window that has, else none.
QMargins frameOf(const QWidget* w, const QWidget* other)
{
    for (const QWidget* x : {w, other}) {
        if (!x || !x->testAttribute(Qt::WA_WState_Created))
            continue;
        const QRect f = x->frameGeometry();
        const QRect g = x->geometry();
        if (f != g)
            return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                    f.bottom() - g.bottom()};
    }
    return {};
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
        m_placing = true;
        QWidget* from = openerWindow();
        if (from && !from->isVisible())
            from = nullptr;
        const QMargins frame = frameOf(m_window, from);
        QList<QRect> screens;
        for (const QScreen* s : QGuiApplication::screens())
            screens.append(s->availableGeometry());

        std::optional<QRect> target;
        if (g_settings) {
            const QRect saved = g_settings->value(keyOf(m_window)).toRect();
            if (saved.isValid())
                target = WindowPlace::remembered(
                    QRect(saved.topLeft(), saved.size().grownBy(frame)), screens);
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
            const QRect wanted(m_window->pos(), m_window->size().grownBy(frame));
            const QSize least =
                m_window->minimumSize().expandedTo(m_window->minimumSizeHint()).grownBy(frame);
            target = WindowPlace::place(wanted, least, from ? from->frameGeometry() : QRect(), open,
                                        room);
        }
        const QSize size = target->size().shrunkBy(frame).expandedTo(m_window->minimumSize());
        if (size != m_window->size())
            m_window->resize(size);
        m_window->move(target->topLeft());
        m_placing = false;
        save();
    }

    void save() const
    {
        if (g_settings && !m_window->objectName().isEmpty())
            g_settings->setValue(keyOf(m_window), QRect(m_window->pos(), m_window->size()));
    }

    QWidget* m_window;
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
