#pragma once

#include "Prompts.h"

#include <QList>

/// Prompts that answer from a script and remember what was asked.
class ScriptedPrompts final : public Prompts
{
public:
    struct Asked
    {
        QString text;
        Icon icon;
        QString title;
        QString details;
    };

    QList<Asked> asked;
    QList<bool> confirmAnswers; ///< answers for confirm(), first first; Cancel when empty

    void message(const QString& text, Icon icon, const QString& title,
                 const QString& details) override
    {
        asked.append({text, icon, title, details});
    }
    bool confirm(const QString& text, Icon icon, const QString& title) override
    {
        asked.append({text, icon, title, {}});
        return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst();
    }
};
