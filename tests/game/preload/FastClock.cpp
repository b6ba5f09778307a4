// A monotonic clock that runs fast, preloaded into the game (LD_PRELOAD) by
// the whole-program tests whose subject is a wait of tens of seconds: with
// $QV_CLOCK_SPEED set to n, every reading of CLOCK_MONOTONIC has moved on
// n times as far as the system's own clock since the library was loaded.
// The game's sleeps stay as long as they were.
#include <dlfcn.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace {

using ClockFunction = int (*)(clockid_t, timespec*);

ClockFunction systemClock()
{
    static const ClockFunction next = reinterpret_cast<ClockFunction>(::dlsym(RTLD_NEXT, "clock_gettime"));
    return next;
}

int64_t nanoseconds(const timespec& t)
{
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Read when the library is loaded, before the game's first reading.
int64_t s_startNs = 0;
int64_t s_speed = 1;

__attribute__((constructor)) void start()
{
    const char* speed = std::getenv("QV_CLOCK_SPEED");
    s_speed = speed ? std::strtol(speed, nullptr, 10) : 1;
    if (s_speed < 1)
        s_speed = 1;
    timespec now = {0, 0};
    if (systemClock() && systemClock()(CLOCK_MONOTONIC, &now) == 0)
        s_startNs = nanoseconds(now);
}

} // namespace

extern "C" int clock_gettime(clockid_t id, timespec* out)
{
    const ClockFunction next = systemClock();
    if (!next) {
        errno = ENOSYS;
        return -1;
    }
    const int result = next(id, out);
    if (result != 0 || id != CLOCK_MONOTONIC || s_speed == 1)
        return result;
    const int64_t fast = s_startNs + (nanoseconds(*out) - s_startNs) * s_speed;
    out->tv_sec = static_cast<time_t>(fast / 1000000000);
    out->tv_nsec = static_cast<long>(fast % 1000000000);
    return 0;
}
