#pragma once

#include <QCursor>
#include <QGuiApplication>

/// The hourglass pointer for its lifetime: every exit path restores the pointer.
class BusyPointer
{
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

/// The ordinary pointer for its lifetime, e.g. over a dialog asked during a busy operation.
class NormalPointer
{
public:
    NormalPointer() { QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }
    ~NormalPointer() { QGuiApplication::restoreOverrideCursor(); }
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;
};
