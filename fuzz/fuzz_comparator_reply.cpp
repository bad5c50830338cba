// Any bytes as the comparator table: every entry, grid row, editor load and set message built
// from them stays in bounds, and a loaded set either goes out as 11 bytes or is refused.
#include "ComparatorCodec.h"

#include <cstddef>
#include <cstdint>

namespace {

void checkText(const QString& entry, int set)
{
    const QStringList row = comparatorGridRow(set, entry);
    if (!row.isEmpty() && row.size() != 5)
        __builtin_trap();
    if (const auto edit = comparatorEditFromEntry(entry)) {
        if (const auto update = comparatorUpdate(*edit, set)) {
            if (update->message.size() != 11 || !isComparatorEntry(update->entry))
                __builtin_trap();
        }
    }
}

// An entry taken from a reply is 20 hex digits or empty.
void checkEntry(const QString& entry, int set)
{
    if (!entry.isEmpty() && entry.size() != ComparatorEntryDigits)
        __builtin_trap();
    checkText(entry, set);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    const ComparatorTexts table = comparatorTableFromReply(input);
    int last = 0; // the last set the input holds whole
    for (int set = 0; set <= ComparatorSetCount; ++set) {
        if (!table[set].isEmpty() && table[set].size() != ComparatorEntryDigits)
            __builtin_trap();
        if (!table[set].isEmpty())
            last = set;
    }
    checkEntry(table[1], 1);
    checkEntry(table[last], last);
    if (size == 0)
        return 0;

    // CI runs short inputs: repeated to about the table's length they reach the last sets.
    // Set 99 and three sets the input picks are decoded (all of them make CI too slow).
    QByteArray tiled(ComparatorReplyLength - 8 + qsizetype(data[0] % 16), '\0');
    char* out = tiled.data();
    for (size_t i = 0, n = size_t(tiled.size()); i < n; ++i)
        out[i] = static_cast<char>(data[i % size]);
    checkEntry(comparatorEntryFromReply(tiled, ComparatorSetCount), ComparatorSetCount);
    for (size_t i = size / 2; i < size && i < size / 2 + 3; ++i) {
        const int set = data[i] % (ComparatorSetCount + 2); // 0..100, one past each end
        checkEntry(comparatorEntryFromReply(tiled, set), set);
    }

    // The input as one entry's text, however malformed.
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkText(text, 1);
    return 0;
}
