#include "PlotRange.h"

#include "PlotRequest.h"
#include "Prompts.h"
#include "ValueText.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

#include <charconv>

namespace {

// Keeps only digits and the characters of `extra` of whatever is typed or pasted; every other
// character is dropped where it stands.
class CharacterFilter final : public QValidator
{
public:
    CharacterFilter(QString extra, QObject* parent) : QValidator(parent), m_extra(std::move(extra))
    {
    }

    State validate(QString& input, int& pos) const override
    {
        QString kept;
        kept.reserve(input.size());
        int newPos = pos;
        for (int i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || m_extra.contains(c))
                kept += c;
            else if (i < pos)
                --newPos;
        }
        input = kept;
        pos = newPos;
        return Acceptable;
    }

private:
    QString m_extra;
};

} // namespace

QString shortestNumberText(float value)
{
    // Never in exponent form: the boxes read a number back by its leading digits, so "1e+05"
    // would come back as 1. 64 characters hold every float written out in full.
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc())
        return QString::number(double(value), 'f', 3);
    return QString::fromLatin1(buffer, end - buffer);
}

PlotRange::PlotRange(const PlotRequest& request, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_request(request), m_prompts(prompts)
{
    setObjectName(QStringLiteral("PlotRange"));
    setWindowTitle(QStringLiteral("Plot Range"));

    m_valueMin = addBox(QStringLiteral("TxtT1"));
    m_valueMax = addBox(QStringLiteral("TxtT2"));
    m_recordFrom = addBox(QStringLiteral("TxtR1"));
    m_recordTo = addBox(QStringLiteral("TxtR2"));
    for (QLineEdit* box : {m_valueMin, m_valueMax})
        box->setValidator(new CharacterFilter(QStringLiteral("-."), box));
    for (QLineEdit* box : {m_recordFrom, m_recordTo})
        box->setValidator(new CharacterFilter({}, box));

    const auto frame = [this](const QString& title, const QString& first, QLineEdit* firstBox,
                              const QString& second, QLineEdit* secondBox) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        grid->addWidget(new QLabel(first, box), 0, 0);
        grid->addWidget(firstBox, 0, 1);
        grid->addWidget(new QLabel(second, box), 1, 0);
        grid->addWidget(secondBox, 1, 1);
        return box;
    };
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("CmdOK"));
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &PlotRange::accept);

    auto* frames = new QHBoxLayout;
    frames->addWidget(frame(QStringLiteral("Value"), QStringLiteral("Min"), m_valueMin,
                            QStringLiteral("Max"), m_valueMax));
    frames->addWidget(frame(QStringLiteral("Records"), QStringLiteral("From"), m_recordFrom,
                            QStringLiteral("To"), m_recordTo));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(buttons);

    // Enter moves on from box to box; in the last one it is OK.
    connect(m_valueMin, &QLineEdit::returnPressed, m_valueMax, [this] { m_valueMax->setFocus(); });
    connect(m_valueMax, &QLineEdit::returnPressed, m_recordFrom,
            [this] { m_recordFrom->setFocus(); });
    connect(m_recordFrom, &QLineEdit::returnPressed, m_recordTo,
            [this] { m_recordTo->setFocus(); });
    connect(m_recordTo, &QLineEdit::returnPressed, this, &PlotRange::accept);

    m_valueMin->setText(shortestNumberText(request.ValueMin));
    m_valueMax->setText(shortestNumberText(request.ValueMax));
    m_recordFrom->setText(shortestNumberText(request.RecordFrom));
    m_recordTo->setText(shortestNumberText(request.RecordTo));

    adjustSize();
    setFixedSize(sizeHint());
    move(0, 0);
    WindowPlacement::manage(this);
    closeOnEscape(this);
}

QLineEdit* PlotRange::addBox(const QString& name)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setMaxLength(12);
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("-0000.000")) + 12);
    return box;
}

void PlotRange::setPlotTitle(const QString& title)
{
    setWindowTitle(QStringLiteral("Plot Range ( ") + title + QStringLiteral(" )"));
}

void PlotRange::accept()
{
    if (m_handlers.closed())
        return;
    m_handlers.enter();
    const float t1 = leadingNumber(m_valueMin->text());
    const float t2 = leadingNumber(m_valueMax->text());
    const float r1 = leadingNumber(m_recordFrom->text());
    const float r2 = leadingNumber(m_recordTo->text());
    PlotRequest& q = m_request;
    if (t1 < q.FullScaleMin || t1 >= t2 || t2 > q.FullScaleMax) {
        m_prompts.message(QStringLiteral("Invalid, ") + shortestNumberText(q.FullScaleMin) +
                              QStringLiteral(" <= Value <= ") + shortestNumberText(q.FullScaleMax),
                          Prompts::Icon::Critical);
    } else if (r1 <= 0 || r1 >= r2 || r2 > q.RecordCount) {
        m_prompts.message(QStringLiteral("Invalid, 0 <= Records <= ") +
                              shortestNumberText(q.RecordCount),
                          Prompts::Icon::Critical);
    } else {
        q.ValueMin = t1;
        q.ValueMax = t2;
        q.RecordFrom = r1;
        q.RecordTo = r2;
        q.RecordAxisMax = r2 - r1 + 1;
        emit rangeChosen();
        close();
    }
    m_handlers.leave();
}

void PlotRange::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_handlers.close())
        return;
}
