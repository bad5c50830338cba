#include "MessageBoxPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QSettings>

namespace {

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QWidget* ownerOr(QWidget* parent)
{
    return parent ? parent : QApplication::activeWindow();
}

const QString kLastFolder = QStringLiteral("Files/LastFolder");

// The folder of the last file chosen, in this run or an earlier one; empty (the working
// folder) before the first, or when that folder is gone.
QString lastFolder()
{
    const QString folder = QSettings().value(kLastFolder).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

} // namespace

QString filterSuffix(const QString& filter)
{
    static const QRegularExpression one(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
    const QRegularExpressionMatch m = one.match(filter.trimmed());
    return m.hasMatch() ? m.captured(1) : QString();
}

QString withLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void MessageBoxPrompts::message(const QString& text, Icon icon, const QString& title,
                                const QString& details)
{
    QMessageBox box(boxIcon(icon), title, withLineBreaks(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setInformativeText(details);
    box.exec();
}

bool MessageBoxPrompts::confirm(const QString& text, Icon icon, const QString& title,
                                DefaultButton defaultButton)
{
    QMessageBox box(boxIcon(icon), title, withLineBreaks(text),
                    QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
    box.setDefaultButton(defaultButton == DefaultButton::Cancel ? QMessageBox::Cancel
                                                                : QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QString MessageBoxPrompts::input(const QString& prompt, const QString& title,
                                 const QString& defaultText)
{
    QInputDialog box(QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(title);
    box.setLabelText(withLineBreaks(prompt));
    box.setTextValue(defaultText);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

QString MessageBoxPrompts::saveFileName(QWidget* parent, const QStringList& filters,
                                        const QString& name, const QString& suffix)
{
    QFileDialog dialog(ownerOr(parent), QString(), lastFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(name);
    // A name typed without an extension takes the chosen filter's (a picture saved as SVG is
    // named .svg), or `suffix` under a filter that names none.
    const auto follow = [&dialog, suffix](const QString& filter) {
        const QString own = filterSuffix(filter);
        dialog.setDefaultSuffix(suffix.isEmpty() || own.isEmpty() ? suffix : own);
    };
    follow(filters.value(0));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
    return chosenFile(dialog, filters);
}

QString MessageBoxPrompts::openFileName(QWidget* parent, const QString& title,
                                        const QStringList& filters)
{
    QFileDialog dialog(ownerOr(parent), title, lastFolder());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosenFile(dialog, filters);
}

// Both file dialogs: application-modal, the first filter selected, and the folder of the
// chosen file kept for the next one.
QString MessageBoxPrompts::chosenFile(QFileDialog& dialog, const QStringList& filters)
{
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().first();
    QSettings().setValue(kLastFolder, QFileInfo(path).absolutePath());
    return path;
}

bool MessageBoxPrompts::choosePrinter(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, ownerOr(parent));
    dialog.setWindowModality(Qt::ApplicationModal);
    return dialog.exec() == QDialog::Accepted;
}
