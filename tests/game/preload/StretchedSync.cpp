// Slow, stalled or full storage for the whole-program tests, preloaded into
// the game (LD_PRELOAD): every fsync and fdatasync first waits
// $QV_SYNC_DELAY_MS milliseconds, and with $QV_SYNC_STOP set the first one
// stops the process (SIGSTOP) until the test lets it go on (SIGCONT); then
// the system's own call runs. With $QV_SYNC_FULL set every one fails
// instead, with ENOSPC, as on a disk that filled up before the data of the
// file written could be placed.
#include <dlfcn.h>
#include <signal.h>
#include <time.h>

#include <cerrno>
#include <cstdlib>

namespace {

using SyncFunction = int (*)(int);

void stretch()
{
    static bool stopped = false;
    if (!stopped && std::getenv("QV_SYNC_STOP")) {
        stopped = true;
        ::raise(SIGSTOP);
    }
    const char* delay = std::getenv("QV_SYNC_DELAY_MS");
    const long ms = delay ? std::strtol(delay, nullptr, 10) : 0;
    if (ms <= 0)
        return;
    // A signal handled meanwhile (the game's termination handler) cuts no
    // wait short.
    timespec left = {ms / 1000, (ms % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int callNext(const char* name, int fd)
{
    const auto next = reinterpret_cast<SyncFunction>(::dlsym(RTLD_NEXT, name));
    if (!next) {
        errno = ENOSYS;
        return -1;
    }
    return next(fd);
}

int stretchedSync(const char* name, int fd)
{
    stretch();
    if (std::getenv("QV_SYNC_FULL")) {
        errno = ENOSPC;
        return -1;
    }
    return callNext(name, fd);
}

} // namespace

extern "C" int fsync(int fd)
{
    return stretchedSync("fsync", fd);
}

extern "C" int fdatasync(int fd)
{
    return stretchedSync("fdatasync", fd);
}
