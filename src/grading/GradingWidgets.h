#pragma once

#include <QPushButton>
#include <QString>

/// The Cell Grading window's title; its messages, and those of its panels, carry it too.
inline const QString GradingTitle = QStringLiteral("Cell Grading");

/// A button of the Cell Grading window. A click leaves the keyboard where it was, so that the
/// next scanned or typed cell ID still lands in its box.
inline QPushButton* gradingButton(const QString& text, const QString& name, const QString& tip,
                                  QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}
