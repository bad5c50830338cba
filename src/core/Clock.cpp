#include "Clock.h"

#include <chrono>

#include <time.h>

qint64 SystemClock::monotonicMs() const
{
#ifdef CLOCK_BOOTTIME
    // The boot-time clock counts a suspend, which the plain monotonic one leaves out.
    timespec now{};
    if (::clock_gettime(CLOCK_BOOTTIME, &now) == 0)
        return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
#endif
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
