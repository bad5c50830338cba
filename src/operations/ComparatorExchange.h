#pragma once

#include "CommandChannel.h"
#include "ComparatorCodec.h"
#include "StreamReader.h"

/// Longest time from "W" to the last byte of the comparator table (it takes about 0.5 s).
inline constexpr double ComparatorReadSeconds = 10.0;

/// Reads the meter's 99 comparator sets with "W" through `reader`: the 992-byte answer, or
/// how it ended short. The table is comparatorTableFromReply() of a complete answer.
[[nodiscard]] StreamReader::Result readComparatorReply(StreamReader& reader);

/// Writes one set into the meter with "R" and the 11 bytes of `update`; nothing is answered.
/// False when `goAhead` stopped it before the command.
bool writeComparatorSet(CommandChannel& channel, const ComparatorUpdate& update,
                        const CommandChannel::GoAhead& goAhead = {});
