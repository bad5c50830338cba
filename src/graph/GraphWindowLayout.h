#pragma once

// The graph windows' layout in twips, shared by their screen and print layouts.
namespace GraphWindowLayout {
inline constexpr int Margin = 120;
inline constexpr int PrintWidth = 11550; ///< the stored-data graph's width when printed
inline constexpr int PrintGraphAt = 720; ///< where its graph then stands (left and top)
} // namespace GraphWindowLayout
