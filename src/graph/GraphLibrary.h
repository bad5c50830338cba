#pragma once

#include <QString>

/// The library the graphs are drawn with and its version ("QCustomPlot 2.1.0"), for About;
/// a header of its own, so that About does not parse the library's large header.
[[nodiscard]] QString graphLibrary();
