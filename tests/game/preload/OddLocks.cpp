// Locks that do not behave, preloaded into the game (LD_PRELOAD) by the
// whole-program tests: with $QV_FLOCK set to "interrupted" every flock
// fails with EINTR, as if a signal cut each try short; with "files only"
// a flock on a folder fails with ENOLCK, as on a network file system that
// locks files but not folders opened for reading. With $QV_FLOCK_COUNT
// naming a file, the number of flock calls is written there when the
// process exits.
#include <dlfcn.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using FlockFunction = int (*)(int, int);

std::atomic<long> s_calls{0};

__attribute__((destructor)) void writeCount()
{
    const char* file = std::getenv("QV_FLOCK_COUNT");
    if (!file || !*file)
        return;
    if (FILE* f = std::fopen(file, "w")) {
        std::fprintf(f, "%ld\n", s_calls.load());
        std::fclose(f);
    }
}

bool isMode(const char* mode)
{
    const char* chosen = std::getenv("QV_FLOCK");
    return chosen && std::strcmp(chosen, mode) == 0;
}

} // namespace

extern "C" int flock(int fd, int operation)
{
    ++s_calls;
    if (isMode("interrupted")) {
        errno = EINTR;
        return -1;
    }
    struct stat st;
    if (isMode("files only") && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = ENOLCK;
        return -1;
    }
    static const FlockFunction next = reinterpret_cast<FlockFunction>(::dlsym(RTLD_NEXT, "flock"));
    if (!next) {
        errno = ENOSYS;
        return -1;
    }
    return next(fd, operation);
}
