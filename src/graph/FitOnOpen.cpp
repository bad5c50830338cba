#include "FitOnOpen.h"

#include <QCheckBox>
#include <QSettings>

namespace {

const QString kKey = QStringLiteral("graphs/fitOnOpen");

} // namespace

FitOnOpen& FitOnOpen::choice()
{
    static FitOnOpen one;
    return one;
}

void FitOnOpen::set(bool on)
{
    if (m_settings)
        m_settings->setValue(kKey, on);
    if (on == m_on)
        return;
    m_on = on;
    emit changed(on);
}

void FitOnOpen::keepIn(QSettings* settings)
{
    m_settings = settings;
    set(settings && settings->value(kKey, false).toBool());
}

QCheckBox* FitOnOpen::box(QWidget* parent)
{
    auto* box = new QCheckBox(QStringLiteral("Fit on open"), parent);
    box->setObjectName(QStringLiteral("CkFitOnOpen"));
    box->setToolTip(QStringLiteral("Open the graphs fitted to their data (the live graph "
                                   "following its newest samples); kept for the next time"));
    box->setFocusPolicy(Qt::TabFocus);
    FitOnOpen& c = choice();
    box->setChecked(c.isOn());
    connect(box, &QCheckBox::toggled, &c, &FitOnOpen::set);
    connect(&c, &FitOnOpen::changed, box, &QCheckBox::setChecked);
    return box;
}
