#pragma once

/// An entry of a graph window's track-mode list `Combo1`: its text, the graph's track-mode
/// code (GraphView::setTrackMode) and the help text it writes.
struct TrackMode
{
    const char* entry;
    int code;
    const char* help;
};

/// The code of "Cursor Coordinates", which shows cursor 1.
inline constexpr int CursorTrackMode = 2;

/// The list entry `index` of the stored-data graph's list (eight entries) or the detail
/// graph's (seven: no "Cursor Coordinates"), or nullptr outside the list.
[[nodiscard]] const TrackMode* trackModeAt(bool stored, int index);
