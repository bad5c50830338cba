#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

/// Every message box, question, input box, file dialog and print dialog of the program goes
/// through this interface, so tests can answer them and see what was asked.
class Prompts
{
public:
    enum class Icon
    {
        None,
        Information,
        Exclamation,
        Critical
    };
    /// The button that Enter presses in a question.
    enum class DefaultButton
    {
        Ok,
        Cancel
    };

    virtual ~Prompts() = default;
    /// A message with an OK button. `title` empty means no title; `details` is optional
    /// extra text shown under the message (what went wrong and how to fix it).
    virtual void message(const QString& text, Icon icon, const QString& title = {},
                         const QString& details = {}) = 0;
    /// OK and Cancel; true for OK. A question whose OK destroys data defaults to Cancel.
    virtual bool confirm(const QString& text, Icon icon, const QString& title = {},
                         DefaultButton defaultButton = DefaultButton::Ok) = 0;
    /// An input box: the entry, or an empty text for Cancel (as an input box gives).
    virtual QString input(const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;
    /// The save-file dialog: the chosen path, or empty for Cancel. It offers `name` in the
    /// folder of the last file chosen in either file dialog (kept across runs). The first of
    /// `filters` is selected. With a `suffix` (such as "csv"), a name typed without one gets
    /// the extension of the filter chosen, or `suffix` under a filter that names none ("All
    /// Files"); without, none is added. Replacing an existing file is confirmed first.
    virtual QString saveFileName(QWidget* parent, const QStringList& filters, const QString& name,
                                 const QString& suffix = {}) = 0;
    /// The open-file dialog with `title`, in the folder of the last file chosen: the chosen
    /// path, or empty for Cancel. The first of `filters` is selected.
    virtual QString openFileName(QWidget* parent, const QString& title,
                                 const QStringList& filters) = 0;
    /// The print dialog for `printer` (printer, copies, orientation); false for Cancel.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
};
