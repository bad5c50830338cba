#pragma once

#include <QString>

/// Every message box, question and input box of the program goes through this interface, so
/// tests can answer them and see what was asked.
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

    virtual ~Prompts() = default;
    /// A message with an OK button. `title` empty means no title; `details` is optional
    /// extra text shown under the message (what went wrong and how to fix it).
    virtual void message(const QString& text, Icon icon, const QString& title = {},
                         const QString& details = {}) = 0;
    /// OK and Cancel; true for OK.
    virtual bool confirm(const QString& text, Icon icon, const QString& title = {}) = 0;
};

/// Prompts shown as real message boxes.
class MessageBoxPrompts final : public Prompts
{
public:
    void message(const QString& text, Icon icon, const QString& title,
                 const QString& details) override;
    bool confirm(const QString& text, Icon icon, const QString& title) override;
};
