#include "WindowToolbar.h"

#include "ListImages.h"

#include <QAction>
#include <QToolBar>

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
    }
    QObject::connect(
        toolbar, &QToolBar::actionTriggered, window,
        [run = std::move(run)](QAction* action) { run(action->property("Key").toString()); });
    return toolbar;
}

ToolbarButton csvExportButton()
{
    return {listImage(ListImage::Csv), CsvExportKey};
}
