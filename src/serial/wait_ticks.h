#pragma once

#include <QtGlobal>

constexpr int kTickMs = 55;
// The longest wait counted, in ticks (about 24.8 days).
constexpr qint64 kMaxWaitTicks = 39045157;

// Milliseconds of the monotonic clock.
quint64 MillisecondCounter();

// Waits until the tick number (MillisecondCounter() / 55) exceeds the one at
// the start plus `ticks`: more than 55 * ticks and at most 55 * (ticks + 1)
// ms. With processMessages, on the main thread, pending events are
// dispatched while waiting (notifications and timers may run inside); a quit
// of the application ends the wait and is left for the outer event loops to
// act on. The wait blocks on the event queue, so it costs no CPU. Ticks below
// 1 return at once.
void WaitTicks(int ticks, bool processMessages);
