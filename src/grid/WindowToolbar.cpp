#include "WindowToolbar.h"

#include "ListImages.h"

#include <QAction>
#include <QKeySequence>
#include <QToolBar>

namespace {

struct KeyShortcut
{
    const char* key;
    const char* keys; // as QKeySequence reads them
};

// The commands of the windows' toolbars that keys run too, by the button's key.
constexpr KeyShortcut kShortcuts[]{{"Print", "Ctrl+P"}};

} // namespace

QToolBar* windowToolbar(QWidget* window, std::initializer_list<ToolbarButton> buttons,
                        std::function<void(const QString& key)> run, int iconSize)
{
    auto* toolbar = new QToolBar(window);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(iconSize, iconSize));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (const ToolbarButton& b : buttons) {
        const QString tip = b.toolTip.isEmpty() ? b.key : b.toolTip;
        QAction* action = toolbar->addAction(b.image, tip);
        action->setProperty("Key", b.key);
        action->setToolTip(tip);
        for (const KeyShortcut& s : kShortcuts) {
            if (b.key == QLatin1String(s.key))
                giveShortcut(action, tip, QKeySequence(QString::fromLatin1(s.keys)));
        }
    }
    closeOnEscape(window);
    QObject::connect(
        toolbar, &QToolBar::actionTriggered, window,
        [run = std::move(run)](QAction* action) { run(action->property("Key").toString()); });
    return toolbar;
}

ToolbarButton csvExportButton()
{
    return {listImage(ListImage::Csv), CsvExportKey};
}

QString tipWithKeys(const QString& tip, const QKeySequence& keys)
{
    return QStringLiteral("%1 (%2)").arg(tip, keys.toString(QKeySequence::NativeText));
}

void giveShortcut(QAction* action, const QString& tip, const QKeySequence& keys)
{
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(tipWithKeys(tip, keys));
}

void closeOnEscape(QWidget* window)
{
    auto* close = new QAction(window);
    close->setObjectName(QStringLiteral("CloseOnEscape"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    close->setShortcutContext(Qt::WindowShortcut);
    window->addAction(close);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
}
