#pragma once

#include <QIcon>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>

class QAction;
class QKeySequence;
class QToolBar;
class QWidget;

/// A button of a window's own toolbar: its image, the key its command goes by, and the
/// tooltip (the key when empty).
struct ToolbarButton
{
    ToolbarButton(QIcon image, QString key, QString toolTip = {})
        : image(std::move(image)), key(std::move(key)), toolTip(std::move(toolTip))
    {
    }
    QIcon image;
    QString key;
    QString toolTip;
};

/// The toolbar `Toolbar1` that list and graph windows carry: fixed, images only, no context
/// menu; each button keeps its key in the "Key" property, and a click runs `run(key)`. Print
/// also runs by Ctrl+P, named in its tooltip, and Esc closes `window`.
[[nodiscard]] QToolBar* windowToolbar(QWidget* window, std::initializer_list<ToolbarButton> buttons,
                                      std::function<void(const QString& key)> run,
                                      int iconSize = 24);

/// The key and tooltip of the button that exports a list's rows as CSV.
inline const QString CsvExportKey = QStringLiteral("Export CSV");

/// The key and tooltip of the button that saves a graph window's picture, beside its Print.
inline const QString SaveImageKey = QStringLiteral("Save image");
inline const QString SaveImageTip = QStringLiteral("Save image (PNG, SVG or PDF)");

/// The "Export CSV" button every list of readings carries, beside its Save.
[[nodiscard]] ToolbarButton csvExportButton();

/// `tip` naming the keys that run the same command: "Print (Ctrl+P)".
[[nodiscard]] QString tipWithKeys(const QString& tip, const QKeySequence& keys);

/// Lets `keys` trigger `action` while its window is active, and names them in its tooltip,
/// which becomes `tip` and the keys.
void giveShortcut(QAction* action, const QString& tip, const QKeySequence& keys);

/// Esc closes `window`, as it closes a dialog: the list and graph windows have it.
void closeOnEscape(QWidget* window);
