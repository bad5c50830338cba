#include "RemoteKeys.h"

#include <array>

namespace {

struct KeyCommands
{
    char veryLong; // held over 5 s
    char longer;   // over 2 s, at most 5 s
    char brief;    // 2 s or less
};

constexpr std::array<KeyCommands, 4> kArrows{
    {{'L', 'K', 'E'}, {'J', 'J', 'D'}, {'\\', '\\', 'C'}, {'B', 'B', 'B'}}};
constexpr std::array<KeyCommands, 3> kGrays{{{'[', 'O', 'H'}, {'N', 'N', 'G'}, {'X', 'X', 'F'}}};

} // namespace

char keyCommand(KeyRow row, int index, double holdSeconds)
{
    const bool arrow = row == KeyRow::Arrow;
    const int count = arrow ? int(kArrows.size()) : int(kGrays.size());
    if (index < 0 || index >= count)
        return 0;
    const KeyCommands& key = arrow ? kArrows[index] : kGrays[index];
    if (holdSeconds > 5.0)
        return key.veryLong;
    if (holdSeconds > 2.0)
        return key.longer;
    return key.brief;
}
