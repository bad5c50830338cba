#pragma once

#include "Prompts.h"

class QFileDialog;

/// Prompts shown as real, application-modal dialogs. The file dialogs start in the folder of
/// the last file chosen in either of them, as one shared file dialog would; the folder is
/// kept in the user's settings for the next run.
class MessageBoxPrompts final : public Prompts
{
public:
    void message(const QString& text, Icon icon, const QString& title,
                 const QString& details) override;
    bool confirm(const QString& text, Icon icon, const QString& title,
                 DefaultButton defaultButton) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString saveFileName(QWidget* parent, const QStringList& filters, const QString& name,
                         const QString& suffix = {}) override;
    QString openFileName(QWidget* parent, const QString& title,
                         const QStringList& filters) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;

private:
    QString chosenFile(QFileDialog& dialog, const QStringList& filters);
};

/// The extension a save dialog's filter names ("png" for "PNG Image (*.png)"), or an empty
/// text when it names none or several ("All Files (*.*)").
[[nodiscard]] QString filterSuffix(const QString& filter);

/// The program's texts break lines with CR LF, LF CR or a lone CR; a dialog shows each as
/// one line break.
[[nodiscard]] QString withLineBreaks(QString text);
