// The graph windows on paper and in pictures: Print and Save image.
#include "Clock.h"
#include "FileTransfer.h"
#include "GraphPicture.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "GraphWindowLayout.h"
#include "PageFrame.h"
#include "Prompts.h"
#include "WindowPrint.h"

#include <QFrame>
#include <QPrinter>

// The window in print colours, without its control frame and, for the stored-data graph, in
// its print geometry, for as long as this lives; everything is put back when it goes, on
// every path out of the print.
class GraphWindow::PrintLook
{
public:
    explicit PrintLook(GraphWindow& w)
        : m_window(w), m_frameVisible(!w.m_frame->isHidden()),
          m_plotArea(w.m_graph->plotAreaColor()), m_size(w.size()), m_graphSize(w.m_graph->size())
    {
        w.setBackgroundColour(Qt::white);
        w.m_frame->hide();
        w.m_graph->setPlotAreaColor(Qt::white);
        if (w.m_kind == Kind::Stored) {
            w.m_printLayout = true;
            const int at = w.m_scale.px(GraphWindowLayout::PrintGraphAt);
            const int width = w.m_scale.px(GraphWindowLayout::PrintWidth);
            w.resize(width, w.height());
            const int graphWidth =
                qMin(m_graphSize.width(), width - at - w.m_scale.px(GraphWindowLayout::Margin));
            w.m_graph->setGeometry(at, at, graphWidth, m_graphSize.height());
        }
    }
    ~PrintLook()
    {
        GraphWindow& w = m_window;
        if (w.m_kind == Kind::Stored) {
            w.m_printLayout = false;
            w.resize(m_size);
            w.layOut();
        }
        w.setBackgroundColour(w.m_screenBackground);
        w.m_frame->setVisible(m_frameVisible);
        w.m_graph->setPlotAreaColor(m_plotArea);
    }
    PrintLook(const PrintLook&) = delete;
    PrintLook& operator=(const PrintLook&) = delete;

private:
    GraphWindow& m_window;
    bool m_frameVisible;
    QColor m_plotArea;
    QSize m_size;
    QSize m_graphSize;
};

void GraphWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!m_prompts.choosePrinter(this, printer))
        return;

    bool printed = false;
    {
        const PrintLook look(*this);
        printed = printOnePage(printer, {windowTitle(), m_source, m_clock.now()},
                               windowImage(*this, *m_graph));
    }
    if (!printed) {
        m_prompts.message(QStringLiteral("The graph could not be printed."),
                          Prompts::Icon::Exclamation, windowTitle(), printFailureDetails(printer));
    }
}

void GraphWindow::saveImage()
{
    const PictureHead head{PrintHeading{windowTitle(), m_source, {}}.title(),
                           m_legend ? legendTexts(*m_legend) : QList<LegendText>()};
    const QSize offered = m_graph->size() + QSize(0, pictureHeadHeight(head));
    ::saveImage(*this, m_prompts, FileTransfer::datedFileName(m_clock.now(), QStringLiteral("png")),
                offered, [this, head](const QString& path, QSize size) {
                    return writePicture(path, size, head, graphPictureBody(*m_graph));
                });
}
