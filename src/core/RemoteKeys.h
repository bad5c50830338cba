#pragma once

/// The two rows of key pictures on the front panel.
enum class KeyRow
{
    Arrow,
    Gray
};

/// The command character a key picture sends when released after `holdSeconds`: the short,
/// long (over 2 s) or very long (over 5 s) press command; 0 for a key that does not exist.
/// Exactly 2.0 s is a short press and exactly 5.0 s a long one.
[[nodiscard]] char keyCommand(KeyRow row, int index, double holdSeconds);
