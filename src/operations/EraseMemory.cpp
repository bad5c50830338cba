#include "EraseMemory.h"

#include "Commands.h"

QString eraseQuestion(MemoryKind kind)
{
    return kind == MemoryKind::Automatic
               ? QStringLiteral("All the automatically recorded data in memory will be deleted!")
               : QStringLiteral("All the manually recorded data in memory will be deleted!");
}

bool eraseMeterMemory(CommandChannel& channel, MemoryKind kind,
                      const CommandChannel::GoAhead& goAhead)
{
    return channel.send(kind == MemoryKind::Automatic ? Command::EraseAutoMemory
                                                      : Command::EraseManualMemory,
                        {}, 0, goAhead);
}
