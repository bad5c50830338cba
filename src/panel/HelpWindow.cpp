#include "HelpWindow.h"

#include "WindowToolbar.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("CellDesk Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    m_browser->setMarkdown(guideMarkdown());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->document()->setDocumentMargin(fontMetrics().height() / 2);
    // About 110 characters wide, so that the guide's tables fit; as tall as a page.
    const QFontMetrics metrics = fontMetrics();
    resize(metrics.averageCharWidth() * 120, metrics.lineSpacing() * 45);
    closeOnEscape(this);
}

QString HelpWindow::guideMarkdown()
{
    QFile guide(QStringLiteral(":/help/guide.md"));
    if (!guide.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(guide.readAll());
}

void HelpWindow::showSection(const QString& heading)
{
    QTextDocument* document = m_browser->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0 && block.text() == heading) {
            const QRectF at = document->documentLayout()->blockBoundingRect(block);
            m_browser->verticalScrollBar()->setValue(int(at.top()));
            return;
        }
    }
    m_browser->verticalScrollBar()->setValue(0);
}
