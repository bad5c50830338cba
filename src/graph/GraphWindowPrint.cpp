// The graph windows on paper and in pictures: Print and Save image.
#include "Clock.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "GraphWindowLayout.h"
#include "Prompts.h"
#include "WindowPrint.h"

#include <QFrame>

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
    printWindowPage(*this, m_prompts, m_clock, windowTitle(), m_source,
                    QStringLiteral("The graph could not be printed."),
                    [this]() -> std::optional<QImage> {
                        const PrintLook look(*this);
                        return windowImage(*this, *m_graph);
                    });
}

void GraphWindow::saveImage()
{
    saveGraphImage(*this, *m_graph, m_legend, m_prompts, m_clock, m_source);
}
