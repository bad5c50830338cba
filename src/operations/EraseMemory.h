#pragma once

#include "CommandChannel.h"

#include <QString>

/// The two kinds of data the meter stores in its own memory.
enum class MemoryKind
{
    Automatic, ///< the sets it records at its sampling interval
    Manual     ///< the single readings stored by hand
};

/// The question asked before `kind` is erased: "All the ... recorded data in memory will be
/// deleted!".
[[nodiscard]] QString eraseQuestion(MemoryKind kind);

/// Erases `kind` in the meter ("Y" or "Z"); nothing is answered. False when `goAhead`
/// stopped it before the command.
bool eraseMeterMemory(CommandChannel& channel, MemoryKind kind,
                      const CommandChannel::GoAhead& goAhead = {});
