#pragma once

#include "Prompts.h"

#include <QFileInfo>
#include <QList>
#include <QPrinter>

#include <functional>

/// Prompts that answer from a script and remember what was asked.
class ScriptedPrompts final : public Prompts
{
public:
    enum class Kind
    {
        Message,
        Confirm,
        Input,
        SaveFile,
        OpenFile,
        Print
    };
    struct Asked
    {
        QString text{}; ///< message, question or input prompt
        Icon icon = Icon::None;
        QString title{};
        QString details{};
        Kind kind = Kind::Message;
        QString defaultText{}; ///< an input box's default, the name a save dialog offers
        QStringList filters{}; ///< a file dialog's name filters
        QString suffix{};      ///< the save dialog's suffix for names typed without one
        DefaultButton defaultButton = DefaultButton::Ok; ///< a question's default
    };

    QList<Asked> asked;
    QList<bool> confirmAnswers;  ///< answers for confirm(), first first; Cancel when empty
    QList<QString> inputAnswers; ///< entries for input(); Cancel (empty) when none is left
    QList<QString> fileAnswers;  ///< paths for both file dialogs; Cancel when none is left
    QList<bool> printAnswers;    ///< answers for choosePrinter(); Cancel when empty
    /// Sets up the printer before choosePrinter() answers OK (a PDF file in tests).
    std::function<void(QPrinter&)> setUpPrinter;
    /// Runs while a question is open, before it is answered: what happens meanwhile.
    std::function<void(const Asked&)> whileAsking;

    void message(const QString& text, Icon icon, const QString& title,
                 const QString& details) override
    {
        ask({.text = text, .icon = icon, .title = title, .details = details});
    }
    bool confirm(const QString& text, Icon icon, const QString& title,
                 DefaultButton defaultButton) override
    {
        ask({.text = text,
             .icon = icon,
             .title = title,
             .kind = Kind::Confirm,
             .defaultButton = defaultButton});
        return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst();
    }
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        ask({.text = prompt, .title = title, .kind = Kind::Input, .defaultText = defaultText});
        return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
    }
    /// Adds the suffix to an answer without one, as the dialog does to a typed name.
    QString saveFileName(QWidget*, const QStringList& filters, const QString& name,
                         const QString& suffix = {}) override
    {
        ask({.kind = Kind::SaveFile, .defaultText = name, .filters = filters, .suffix = suffix});
        QString path = fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        if (!path.isEmpty() && !suffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + suffix;
        return path;
    }
    QString openFileName(QWidget*, const QString& title, const QStringList& filters) override
    {
        ask({.title = title, .kind = Kind::OpenFile, .filters = filters});
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    bool choosePrinter(QWidget*, QPrinter& printer) override
    {
        ask({.kind = Kind::Print});
        const bool ok = !printAnswers.isEmpty() && printAnswers.takeFirst();
        if (ok && setUpPrinter)
            setUpPrinter(printer);
        return ok;
    }

    /// The questions of one kind, in the order asked.
    [[nodiscard]] QList<Asked> of(Kind kind) const
    {
        QList<Asked> found;
        for (const Asked& a : asked) {
            if (a.kind == kind)
                found.append(a);
        }
        return found;
    }

private:
    void ask(const Asked& question)
    {
        asked.append(question);
        if (whileAsking)
            whileAsking(question);
    }
};
