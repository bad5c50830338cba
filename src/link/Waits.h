#pragma once

#include <functional>

/// Waits `seconds` while window events and timers keep running, measured on a monotonic
/// clock (a wait ends on time across midnight). Events are processed at least once, also
/// for 0. Nothing spins: the thread sleeps in the event loop until a timer wakes it.
void WaitSeconds(double seconds);

/// Like WaitSeconds, but ends early as soon as `done` holds: it is checked after every pass
/// of events (bytes arriving, a port going, a timer). Returns `done()`.
bool waitUntil(double seconds, const std::function<bool()>& done);

/// The program is ending: every wait returns at once from now on, including the ones that
/// are running further up the stack.
void abandonWaits();
[[nodiscard]] bool waitsAbandoned();
