#pragma once

// The main window's face under test: display frames to show, and what a cell or a toolbar
// button shows.
#include "Cells.h"
#include "CurrentReading.h"
#include "DisplayDecoder.h"
#include "Fetch.h"
#include "FrameBytes.h"
#include "HelpWindow.h"
#include "KeyFace.h"
#include "LcdScreen.h"
#include "Panel.h"
#include "PanelLayout.h"
#include "PanelModel.h"
#include "PortDialog.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

// Digits in every group, most indicators lit (HIGH, WARNING, NO., the ohm and temperature
// units dark), range code 1, a blink selector that blinks nothing.
inline QByteArray busyFrame()
{
    return frameWith({{2, 0x12},  {3, 0x60},  {4, 0x03},  {5, 0x45},  {6, 0x01},  {7, 0x23},
                      {8, 0x02},  {9, 0x51},  {10, 0x01}, {11, 0x23}, {12, 0x00}, {13, 0x00},
                      {14, 0x00}, {15, 0x00}, {16, 0x08}, {17, 0x55}, {18, 0x12}, {19, 0x34},
                      {20, 0x10}, {21, 0x42}, {22, 0x37}, {23, 0xA9}, {24, 0xA1}, {25, 0xEF},
                      {26, 0xFF}, {27, 0xD5}, {28, 0xFF}, {29, 0xFF}, {30, 0xFF}, {31, 0xFF},
                      {32, 0xBF}, {33, 0xDE}, {34, 0x10}, {35, 0x80}});
}

struct Shown
{
    QString text;
    bool visible;
};

inline Shown shown(const Panel& panel, Cell c)
{
    QWidget* w = panel.cellWidget(c);
    const auto* label = qobject_cast<QLabel*>(w);
    return {label ? label->text() : QString(), w->isVisibleTo(&panel)};
}

inline QAction* toolbarAction(const Panel& panel, int n)
{
    return panel.toolbar()->actions().at(n - 1);
}
