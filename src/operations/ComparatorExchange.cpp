#include "ComparatorExchange.h"

#include "Commands.h"

StreamReader::Result readComparatorReply(StreamReader& reader)
{
    return reader.read(Command::SendComparators, ComparatorReplyLength,
                       {.totalSeconds = ComparatorReadSeconds});
}

bool writeComparatorSet(CommandChannel& channel, const ComparatorUpdate& update,
                        const CommandChannel::GoAhead& goAhead)
{
    return channel.send(Command::WriteComparator, update.message, 0, goAhead);
}
