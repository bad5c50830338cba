#pragma once

#include <QIcon>

/// Number of images of the toolbar's image list.
inline constexpr int ToolbarImageCount = 11;

/// Image `image` (1-10) of the toolbar's image list: 1 save, 2 open, 3 list, 4 graph,
/// 5 sampling, 6 stop recording, 7 clock, 8 memory, 9 comparator, 10 erase, 11 cell grading.
/// Drawn at 24 px.
[[nodiscard]] QIcon toolbarImage(int image);
