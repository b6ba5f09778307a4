// Start-up helpers: command line, usage, resource directory, standard
// streams, and the write, fatal and termination signals.
#include "engine/core/HUnix.h"

#include "engine/core/HEventManager.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUtil.h"

#include <execinfo.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cerrno>
#include <climits>
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

HUnix::GameNameFunction HUnix::sm_pGameName = nullptr;

void HUnix::s_setGameNameFunction(GameNameFunction fn)
{
    sm_pGameName = fn;
}

const char* HUnix::s_getGameName()
{
    return sm_pGameName ? sm_pGameName() : nullptr;
}

bool HUnix::s_buildCommandLine(char* buf, int size, int argc, char** argv, const char* product)
{
    bool noSound = false;
    bool swCursor = false;
    bool trace = false;
    bool journal = false;
    const char* demoFile = nullptr;

    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (HUtil::s_stricmp(arg, "-h") == 0 || HUtil::s_stricmp(arg, "--help") == 0) {
            s_doUsage();
        } else if (HUtil::s_stricmp(arg, "-journal") == 0 || HUtil::s_stricmp(arg, "--journal") == 0) {
            journal = true;
        } else if (HUtil::s_stricmp(arg, "-f") == 0 || HUtil::s_stricmp(arg, "--fullscreen") == 0) {
            s_setFullscreenValue(product, 1);
        } else if (HUtil::s_stricmp(arg, "-w") == 0 || HUtil::s_stricmp(arg, "--windowed") == 0) {
            s_setFullscreenValue(product, 0);
        } else if (HUtil::s_stricmp(arg, "-demo") == 0 || HUtil::s_stricmp(arg, "--demo") == 0) {
            if (i + 1 >= argc) {
                std::puts("Failed to specify demo file, e.g. -demo demo.dem");
                std::exit(kExitUsage);
            }
            demoFile = argv[++i];
            s_checkDemoFileName(demoFile);
        } else if (HUtil::s_stricmp(arg, "-trace") == 0 || HUtil::s_stricmp(arg, "--trace") == 0) {
            trace = true;
        } else if (HUtil::s_stricmp(arg, "-swcursor") == 0 || HUtil::s_stricmp(arg, "--swcursor") == 0) {
            swCursor = true;
        } else if (HUtil::s_stricmp(arg, "-s") == 0 || HUtil::s_stricmp(arg, "--nosound") == 0) {
            noSound = true;
        }
    }

    buf[0] = '\0';
    if (noSound)
        HUtil::s_strcat(buf, "+set c_soundDriver null ", size);
    if (!swCursor)
        HUtil::s_strcat(buf, "+set mv_spriteCursor 0 ", size);
    if (demoFile) {
        HUtil::s_strcat(buf, "+set mv_demoFile ", size);
        HUtil::s_strcat(buf, demoFile, size);
        HUtil::s_strcat(buf, " ", size);
    }
    if (trace)
        HUtil::s_strcat(buf, "+set mv_trace 1 ", size);
    if (journal)
        HUtil::s_strcat(buf, "+set mv_journal 1", size);
    return true;
}

void HUnix::s_checkDemoFileName(const char* name)
{
    if (name[0] == '\0') {
        std::puts("Failed to specify demo file, e.g. -demo demo.dem");
        std::exit(kExitUsage);
    }
    // The "+set" tokens are split at blanks and semicolons: such a name
    // would reach the game as another name and other settings.
    if (std::strpbrk(name, " ;")) {
        std::fprintf(stderr, "The demo file name '%s' holds a blank or a ';', which the game cannot take; rename the "
                             "file.\n",
                     name);
        std::exit(kExitUsage);
    }
}

void HUnix::s_doUsage()
{
    std::setbuf(stdout, nullptr);
    const char* name = s_getGameName();
    std::puts(name ? name : "Qinvar");
    std::puts(" Made by Moravel.");
    std::puts(" http://www.moravel.example.org/");
    std::puts("");
    std::puts("Options:");
    std::puts("   --help         -h    Print this information and exit.");
    std::puts("   --nosound      -s    Don't play any sound/music.");
    std::puts("   --swcursor           Use the pretty software cursor (may be slower).");
    std::puts("   --fullscreen   -f    Force fullscreen mode.");
    std::puts("   --windowed     -w    Force windowed mode.");
    std::puts("");
    std::exit(kExitUsage);
}

void HUnix::s_setFullscreenValue(const char* product, int value)
{
    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    if (!registry->openRegistry(nullptr, "Moravel", product)) {
        std::puts("Failed to open registry. Can't change fullscreen state.");
        return;
    }
    const int32_t stored = value;
    registry->setBinaryValue("Fullscreen", &stored, static_cast<int>(sizeof(stored)));
    registry->closeRegistry();
}

namespace {

// The current directory joined with argv0: where the executable would be if
// it was started by a relative name.
char* currentDirectoryPath(const char* argv0)
{
    char cwd[PATH_MAX];
    if (!::realpath(".", cwd))
        HUtil::s_strcpy(cwd, ".", sizeof(cwd));
    const size_t n = std::strlen(cwd) + 1 + std::strlen(argv0) + 1;
    char* out = new char[n];
    std::snprintf(out, n, "%s/%s", cwd, argv0);
    return out;
}

} // namespace

char* HUnix::s_getExePath(const char* argv0)
{
    char resolved[PATH_MAX];
    if (std::strchr(argv0, '/')) {
        if (::realpath(argv0, resolved))
            return HUtil::s_cloneString(resolved);
        return currentDirectoryPath(argv0);
    }

    const char* path = std::getenv("PATH");
    if (!path)
        return currentDirectoryPath(argv0);

    char* entries = HUtil::s_cloneString(path);
    const size_t entryMax = std::strlen(entries) + 1;
    char* entry = new char[entryMax];
    const char* home = std::getenv("HOME");
    const char* pos = entries;
    char* found = nullptr;
    while (!found && (pos = HUtil::s_strtok(entry, static_cast<int>(entryMax), pos, ":")) != nullptr) {
        const size_t n = std::strlen(entry) + (home ? std::strlen(home) : 0) + std::strlen(argv0) + 3;
        char* candidate = new char[n];
        if (entry[0] == '~')
            std::snprintf(candidate, n, "%s/%s", home ? home : "", entry + 1);
        else
            HUtil::s_strcpy(candidate, entry, static_cast<int>(n));
        const size_t len = std::strlen(candidate);
        if (len == 0 || candidate[len - 1] != '/')
            HUtil::s_strcat(candidate, "/", static_cast<int>(n));
        HUtil::s_strcat(candidate, argv0, static_cast<int>(n));
        if (::realpath(candidate, resolved) && ::access(resolved, X_OK) == 0)
            found = HUtil::s_cloneString(resolved);
        delete[] candidate;
    }
    delete[] entry;
    delete[] entries;
    return found ? found : currentDirectoryPath(argv0);
}

void HUnix::s_calcResourceDir(char* dst, int len, const char* argv0)
{
    char* exe = s_getExePath(argv0);
    HUtil::s_strcpy(dst, exe, len);
    delete[] exe;
    for (int cut = 0; cut < 2; ++cut) {
        char* slash = std::strrchr(dst, '/');
        if (slash)
            *slash = '\0';
        else
            dst[0] = '\0';
    }
    HUtil::s_strcat(dst, "/Resources/", len);
}

namespace {

constexpr int kMaxFrames = 200;

void writeText(const char* text)
{
    size_t n = std::strlen(text);
    while (n > 0) {
        const ssize_t w = ::write(STDOUT_FILENO, text, n);
        if (w <= 0)
            return;
        text += w;
        n -= static_cast<size_t>(w);
    }
}

const char* signalName(int sig)
{
    switch (sig) {
    case SIGQUIT: return "SIGQUIT";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGSEGV: return "SIGSEGV";
    default: return "(unexpected)";
    }
}

// Runs on whichever thread faulted, possibly inside malloc: it only writes
// with write(2) and backtrace_symbols_fd, which allocate nothing.
void fatalSignalHandler(int sig)
{
    void* frames[kMaxFrames];
    const int n = ::backtrace(frames, kMaxFrames);
    writeText("Signal ");
    writeText(signalName(sig));
    writeText(" received.\n\nStack dump:\n{\n");
    for (int i = 0; i < n; ++i) {
        writeText("\t");
        ::backtrace_symbols_fd(&frames[i], 1, STDOUT_FILENO);
    }
    writeText("}\n\n");
    ::_exit(sig + 127);
}

// Only stores the request: the event loops act on it.
void terminationSignalHandler(int /*sig*/)
{
    HEventManager::s_requestTermination();
}

} // namespace

void HUnix::s_prepareHeap(size_t bytes)
{
#if defined(__GLIBC__) && defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD) && defined(M_TOP_PAD)
    // Blocks up to this size come from the heap instead of mappings of their
    // own, which would be faulted in page by page and unmapped on free.
    constexpr int kMmapThreshold = 32 << 20;
    // Freed memory is never handed back during the run.
    constexpr int kTrimThreshold = 1 << 30;
    // glibc's own growth step, restored afterwards.
    constexpr int kDefaultTopPad = 128 << 10;
    constexpr uintptr_t kHugePage = 2u << 20;
    if (bytes < kHugePage || bytes >= static_cast<size_t>(kMmapThreshold))
        return;
    if (mallopt(M_MMAP_THRESHOLD, kMmapThreshold) != 1 || mallopt(M_TRIM_THRESHOLD, kTrimThreshold) != 1)
        return;
    // One block as large as the reserve makes the heap grow by what it
    // lacks of it (free memory already at its top counts); freed, it stays
    // as the heap's free top. Volatile: the pair must not be elided.
    char* volatile reserve = static_cast<char*>(std::malloc(bytes));
    char* const block = reserve;
    std::free(reserve);
    char* const end = static_cast<char*>(::sbrk(0));
    mallopt(M_TOP_PAD, kDefaultTopPad);
    if (!block || end == reinterpret_cast<char*>(-1) || block + bytes > end)
        return; // not from the heap (another allocator owns it)
#if defined(MADV_HUGEPAGE)
    // The reserve's own pages, where the start-up's blocks will lie.
    const uintptr_t first = (reinterpret_cast<uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(kHugePage - 1);
    if (first < last)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
#else
    (void)bytes;
#endif
}

void HUnix::s_openClosedStandardStreams()
{
    // In order: open() takes the lowest free descriptor, so each one opened
    // here lands on the closed descriptor being mended.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
}

void HUnix::s_ignoreWriteSignals()
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

void HUnix::s_initBacktraceSignals()
{
    // The first backtrace loads the unwinder, which allocates; do it now
    // rather than inside the handler.
    void* prime[1];
    ::backtrace(prime, 1);
    const int signals[] = {SIGILL, SIGQUIT, SIGABRT, SIGFPE, SIGSEGV, SIGBUS};
    for (int sig : signals)
        std::signal(sig, fatalSignalHandler);
}

void HUnix::s_initTerminationSignals()
{
    // SIGXCPU: a processor-time limit reached (`ulimit -t`), which the
    // kernel tells once a second until the hard limit kills the process.
    const int signals[] = {SIGTERM, SIGINT, SIGHUP, SIGXCPU};
    for (int sig : signals) {
        struct sigaction old;
        const bool mayStayIgnored = sig == SIGINT || sig == SIGHUP;
        if (mayStayIgnored && ::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action;
        std::memset(&action, 0, sizeof(action));
        action.sa_handler = terminationSignalHandler;
        sigemptyset(&action.sa_mask);
        // A read or a wait that the signal interrupts goes on; the loops
        // see the request within a millisecond.
        action.sa_flags = SA_RESTART;
        ::sigaction(sig, &action, nullptr);
    }
}
