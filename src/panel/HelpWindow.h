#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

/// The user guide shipped inside the program: Markdown from the program's resources in a
/// browser window (object name `Help`, caption "CellDesk Help"); Esc closes it.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    /// Scrolls so that the section with this heading is at the top; the guide's start when
    /// `heading` is empty or no heading reads so. Call it once the window is shown.
    void showSection(const QString& heading);

    /// The guide's text as Markdown.
    [[nodiscard]] static QString guideMarkdown();
    [[nodiscard]] QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser = nullptr;
};
