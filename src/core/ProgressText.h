#pragma once

#include <QString>

/// The progress of a long answer as captions show it: 100 × done / total with one decimal,
/// followed directly by "% Completed" ("50.0% Completed"); never above 100.0.
[[nodiscard]] QString percentCompleted(qint64 done, qint64 total);
