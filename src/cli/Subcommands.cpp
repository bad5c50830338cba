#include "Subcommands.h"

#include <array>

namespace {

// A new subcommand is one row here and one run function in its own file.
constexpr std::array<Subcommand, 11> kSubcommands{{
    {"record", "record readings into a data file or a CSV file, until stopped", runRecord},
    {"convert", "a data file (a recording or a list's save) to CSV", runConvert},
    {"stats", "charge, energy, voltage and resistance over a span of a recording", runStats},
    {"watch", "every reading to stdout as it arrives (jsonl or csv), until stopped", runWatch},
    {"clock", "print the meter's clock, or set it to the PC's (--set)", runClock},
    {"sampling", "print the meter's own sampling interval, or set it (--set SECONDS)", runSampling},
    {"comparator",
     "the 99 comparator sets into a CSV file (get), or the changed ones from one "
     "into the meter (set)",
     runComparator},
    {"download",
     "the meter's memory into files: one per automatic set, one for the manual readings",
     runDownload},
    {"erase", "erase the meter's automatic or manual memory (--auto or --manual, and --yes)",
     runErase},
    {"grade", "grade cells as they are touched with the probes, into the cell database", runGrade},
    {"pack", "match graded cells into S groups of P (a pack plan as CSV)", runPack},
}};

} // namespace

std::span<const Subcommand> subcommands()
{
    return kSubcommands;
}
