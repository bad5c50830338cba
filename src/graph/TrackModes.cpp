#include "TrackModes.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::array<TrackMode, 8> kTrackModes{{
    {"Normal", 1, "Normal mode"},
    {"Cursor Coordinates", 2,
     "Drag the cursor with your mouse to get X (Count) and Y (Value) position."},
    {"PanXY", 3,
     "Click anywhere on the plot area and drag to pan the graph both horizontally and "
     "vertically."},
    {"PanX", 4, "Click anywhere on the plot area and drag to pan the graph horizontally."},
    {"PanY", 5, "Click anywhere on the plot area and drag to pan the graph vertically."},
    {"ZoomXY", 6, "Select a region on the graph to zoom both horizontally and vertically."},
    {"ZoomX", 7, "Select a region on the graph to zoom horizontally."},
    {"ZoomY", 8, "Select a region on the graph to zoom vertically."},
}};

} // namespace

// The detail graph has no "Cursor Coordinates": its entry i > 0 is mode i + 2.
const TrackMode* trackModeAt(bool stored, int index)
{
    const int count = stored ? 8 : 7;
    if (index < 0 || index >= count)
        return nullptr;
    if (!stored && index > 0)
        return &kTrackModes[static_cast<std::size_t>(index) + 1];
    return &kTrackModes[static_cast<std::size_t>(index)];
}
