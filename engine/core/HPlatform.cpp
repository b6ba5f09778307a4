// Operating-system services: the console message box, the trace file,
// reading a regular file, the user name, the web browser, sleeping and the
// event clock.
#include "engine/core/HPlatform.h"

#include "engine/core/HEventManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HUtil.h"

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

HFile* HPlatform::sm_pTraceFile = nullptr;

namespace {

// A box's frame line: "+-", a dash for each character of the title, "-+".
void appendFrame(char* box, size_t size, size_t titleLength)
{
    HUtil::s_strcat(box, "+-", static_cast<int>(size));
    for (size_t i = 0; i < titleLength; ++i)
        HUtil::s_strcat(box, "-", static_cast<int>(size));
    HUtil::s_strcat(box, "-+\n", static_cast<int>(size));
}

// Between two looks at a stream that cannot take more: a termination
// signal cuts the wait short, and is seen at the latest after this long.
constexpr int kStreamPollMs = 100;
// What is written at a time to a stream that has no description of its
// own that never waits: a pipe with room takes this much in one piece.
constexpr size_t kStreamChunkBytes = 512;

// A description of the stream of its own, which never waits (the stream's
// own is shared with the shell and every other program on the terminal,
// and must stay as it is): a FIFO or a terminal opened again. -1 when there
// is none (a regular file never waits anyway; a socket cannot be opened so).
int nonBlockingDescriptionOf(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)))
        return -1;
    char path[64];
    HUtil::s_sprintf(path, sizeof(path), "/proc/self/fd/%d", fd);
    return ::open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

} // namespace

bool HPlatform::s_writeToStream(int fd, const char* text)
{
    if (!text)
        return true;
    size_t left = std::strlen(text);
    if (left == 0)
        return true;
    const int own = nonBlockingDescriptionOf(fd);
    const int out = own >= 0 ? own : fd;
    bool written = true;
    while (left > 0) {
        const size_t piece = own >= 0 || left < kStreamChunkBytes ? left : kStreamChunkBytes;
        const ssize_t n = ::write(out, text, piece);
        if (n > 0) {
            text += n;
            left -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR && !HEventManager::s_isTerminationRequested())
            continue;
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            written = false;
            break;
        }
        // The stream cannot take more now: wait until it can, unless the
        // game is to end. The poll is cut short by every signal, whatever
        // its handler's restart flag.
        if (HEventManager::s_isTerminationRequested()) {
            written = false;
            break;
        }
        pollfd ready = {fd, POLLOUT, 0};
        ::poll(&ready, 1, kStreamPollMs);
        if ((ready.revents & (POLLERR | POLLNVAL)) != 0) {
            written = false;
            break;
        }
    }
    if (own >= 0)
        ::close(own);
    return written;
}

int HPlatform::s_messageBox(unsigned /*type*/, const char* title, const char* text)
{
    // Nothing of stdio's buffers may come after the box.
    std::setbuf(stdout, nullptr);
    const size_t titleLength = std::strlen(title);
    const size_t size = 3 * titleLength + std::strlen(text) + 32;
    char* box = new char[size];
    box[0] = '\0';
    HUtil::s_strcat(box, "\n\n", static_cast<int>(size));
    appendFrame(box, size, titleLength);
    HUtil::s_strcat(box, "| ", static_cast<int>(size));
    HUtil::s_strcat(box, title, static_cast<int>(size));
    HUtil::s_strcat(box, " |\n", static_cast<int>(size));
    appendFrame(box, size, titleLength);
    HUtil::s_strcat(box, text, static_cast<int>(size));
    HUtil::s_strcat(box, "\n\n", static_cast<int>(size));
    s_writeToStream(STDOUT_FILENO, box);
    delete[] box;
    return 1;
}

int HPlatform::s_openRegularFileAt(int folder, const char* name, int flags, int64_t* size)
{
    if (!name) {
        errno = EINVAL;
        return -1;
    }
    const int fd = ::openat(folder, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | flags);
    if (fd < 0)
        return -1;
    struct stat st;
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    // Reads of a regular file never wait anyway; the flag goes so that the
    // descriptor behaves as any other.
    const int status = error != 0 ? -1 : ::fcntl(fd, F_GETFL);
    if (error == 0 && (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1))
        error = errno;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    if (size)
        *size = static_cast<int64_t>(st.st_size);
    return fd;
}

std::FILE* HPlatform::s_openRegularFile(const char* path, int64_t* size)
{
    const int fd = s_openRegularFileAt(AT_FDCWD, path, 0, size);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return f;
}

void HPlatform::s_setTraceFile(HFile* file)
{
    sm_pTraceFile = file;
}

void HPlatform::s_trace(const char* text)
{
    s_traceToFile(text);
}

void HPlatform::s_traceToFile(const char* text)
{
    if (!sm_pTraceFile)
        return;
    sm_pTraceFile->write(text, static_cast<int>(std::strlen(text)));
    sm_pTraceFile->flush();
}

char* HPlatform::s_getUserName(char* buf, int len)
{
    const struct passwd* pw = ::getpwuid(::getuid());
    if (!pw || !pw->pw_name)
        return nullptr;
    HUtil::s_strcpy(buf, pw->pw_name, len);
    buf[len - 1] = '\0';
    return buf;
}

int HPlatform::s_getClipboardText(char* /*buf*/, int /*len*/)
{
    return 0;
}

void HPlatform::s_sleep(int ms)
{
    SDL_Delay(static_cast<Uint32>(ms < 0 ? 0 : ms));
}

namespace {

// Where the clock started: the wall clock's milliseconds then, and the
// monotonic clock's nanoseconds then, from which it counts on; and the last
// time it gave.
struct ClockStart {
    bool started;
    uint64_t wallMs;
    uint64_t monotonicNs;
    uint64_t lastMs;
};

ClockStart s_clockStart = {false, 0, 0, 0};

uint64_t readClock(clockid_t id, uint64_t unitNs)
{
    struct timespec ts;
    if (::clock_gettime(id, &ts) != 0 || ts.tv_sec < 0)
        return 0;
    return (static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec)) / unitNs;
}

} // namespace

void HPlatform::s_startClock()
{
    // Never 0, the time that means unset, even on a machine whose clock
    // stands at 1970.
    const uint64_t wall = readClock(CLOCK_REALTIME, 1000000u);
    s_clockStart.wallMs = wall != 0 ? wall : 1;
    s_clockStart.monotonicNs = readClock(CLOCK_MONOTONIC, 1u);
    s_clockStart.lastMs = s_clockStart.wallMs;
    s_clockStart.started = true;
}

MvTime HPlatform::s_getAbsoluteTimeMilliseconds()
{
    if (!s_clockStart.started)
        s_startClock();
    // The monotonic clock never goes back; should a reading fail, the clock
    // stands still rather than go back.
    const uint64_t now = readClock(CLOCK_MONOTONIC, 1u);
    const uint64_t sinceNs = now > s_clockStart.monotonicNs ? now - s_clockStart.monotonicNs : 0;
    const uint64_t ms = s_clockStart.wallMs + sinceNs / 1000000u;
    if (ms > s_clockStart.lastMs)
        s_clockStart.lastMs = ms;
    return MvTime::s_fromTime64(s_clockStart.lastMs);
}

namespace {

struct Browser {
    // 1: a text browser, run in the game's terminal and waited for, for
    // sessions without a display; 0: started detached, never waited for.
    int console;
    const char* program;
    // The command: words split at blanks, '...' and "..." quoting blanks;
    // each %s is the address. A last word "&" (a shell's "in the
    // background") may end it; "a || b" runs b when a cannot be started or
    // fails.
    const char* format;
};

const Browser kBrowsers[] = {
    // The desktop's own launcher first: it opens the user's chosen browser.
    {0, "xdg-open", "xdg-open %s"},
    {0, "x-www-browser", "x-www-browser %s"},
    {0, "mozilla", "mozilla %s &"},
    {0, "phoenix", "phoenix %s &"},
    {0, "gnome-moz-remote", "gnome-moz-remote --newwin %s"},
    {0, "galeon", "galeon %s &"},
    {0, "netscape", "netscape -remote 'openURL(%s,new-window)' || netscape %s"},
    {0, "konqueror", "konqueror %s &"},
    {0, "opera", "opera -page='%s' &"},
    {0, "NetPositive", "NetPositive %s"},
    {0, "links", "xterm -T \"Web Browser\" -e links %s &"},
    {0, "lynx", "xterm -T \"Web Browser\" -e lynx %s &"},
    {1, "links", "links %s"},
    {1, "lynx", "lynx %s"},
};

constexpr int kPathBytes = 4096;

// Where some entry of PATH holds an executable regular file of that name:
// the path is written to `found` and true returned.
bool findOnSearchPath(const char* program, char* found, int size)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    char entries[kPathBytes];
    HUtil::s_strcpy(entries, path, sizeof(entries));
    char entry[kPathBytes];
    const char* pos = entries;
    while ((pos = HUtil::s_strtok(entry, sizeof(entry), pos, ":")) != nullptr) {
        char candidate[kPathBytes] = "";
        const char* rest = entry;
        if (entry[0] == '~') {
            const char* home = std::getenv("HOME");
            HUtil::s_strcpy(candidate, home ? home : ".", sizeof(candidate));
            ++rest;
        }
        if (std::strlen(rest) >= 2) {
            HUtil::s_strcat(candidate, rest, sizeof(candidate));
            HUtil::s_strcat(candidate, "/", sizeof(candidate));
        }
        HUtil::s_strcat(candidate, "./", sizeof(candidate));
        HUtil::s_strcat(candidate, program, sizeof(candidate));
        struct stat st;
        if (::access(candidate, X_OK) == 0 && ::stat(candidate, &st) == 0 && S_ISREG(st.st_mode)) {
            HUtil::s_strcpy(found, candidate, size);
            return true;
        }
    }
    return false;
}

// What the browser gets: an address of the web, nothing a program could
// take for an option or a file.
bool isWebAddress(const char* url)
{
    static const char* const kSchemes[] = {"http://", "https://"};
    for (const char* scheme : kSchemes) {
        const size_t n = std::strlen(scheme);
        if (::strncasecmp(url, scheme, n) == 0 && url[n] != '\0')
            return true;
    }
    return false;
}

constexpr int kMaxWords = 15;
constexpr int kCommandBytes = 16384;

// One program to start: its resolved path and its arguments (argv[0] is
// the program's name, the list ends with null).
struct Command {
    char path[kPathBytes];
    char* argv[kMaxWords + 1];
    int argc;
};

// A browser row made ready to start, everything in place before any fork.
struct Launch {
    Command commands[2]; // the second runs when the first fails
    int count;
    char text[kCommandBytes]; // the words' characters
    int used;
};

bool addCharacter(Launch* launch, char c)
{
    if (launch->used >= kCommandBytes)
        return false;
    launch->text[launch->used++] = c;
    return true;
}

// Splits the row's format into its commands' words, the address put in as
// it is wherever the format says %s: it is part of one word and is never
// read again, so nothing in it can split, quote, expand or end a word.
bool parseFormat(const char* format, const char* url, Launch* out)
{
    out->count = 1;
    out->used = 0;
    bool ended = false; // by "&"
    out->commands[0].argc = 0;
    const char* p = format;
    for (;;) {
        while (*p == ' ')
            ++p;
        if (*p == '\0')
            break;
        if (ended)
            return false; // "&" ends the command
        if (p[0] == '&' && (p[1] == ' ' || p[1] == '\0')) {
            ended = true;
            ++p;
            continue;
        }
        if (p[0] == '|' && p[1] == '|' && (p[2] == ' ' || p[2] == '\0')) {
            if (out->count == 2 || out->commands[0].argc == 0)
                return false;
            out->commands[out->count++].argc = 0;
            p += 2;
            continue;
        }
        Command& command = out->commands[out->count - 1];
        if (command.argc == kMaxWords)
            return false;
        command.argv[command.argc++] = out->text + out->used;
        char quote = '\0';
        for (; *p && (quote || *p != ' '); ++p) {
            if (quote ? *p == quote : (*p == '\'' || *p == '"')) {
                quote = quote ? '\0' : *p;
            } else if (p[0] == '%' && p[1] == 's') {
                for (const char* u = url; *u; ++u) {
                    if (!addCharacter(out, *u))
                        return false;
                }
                ++p;
            } else if (!addCharacter(out, *p)) {
                return false;
            }
        }
        if (quote || !addCharacter(out, '\0'))
            return false;
    }
    for (int i = 0; i < out->count; ++i) {
        Command& command = out->commands[i];
        if (command.argc == 0)
            return false;
        command.argv[command.argc] = nullptr;
        if (!findOnSearchPath(command.argv[0], command.path, sizeof(command.path)))
            return false;
    }
    return true;
}

// Between fork and exec only async-signal-safe calls are made.

// What the game changed of the signals is put back, so that the browser
// starts as it would from a shell: the write signals end it again, and
// nothing is blocked. (Caught signals return to their defaults at exec; an
// ignored SIGINT or SIGHUP the game was started with stays ignored.)
void restoreSignals()
{
    ::signal(SIGPIPE, SIG_DFL);
    ::signal(SIGXFSZ, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

void nullStreams()
{
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0)
        return;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (null != fd)
            ::dup2(null, fd);
    }
    if (null > STDERR_FILENO)
        ::close(null);
}

// A start is reported through a pipe opened with O_CLOEXEC: a child that
// cannot execute its program writes its errno there; a successful exec
// closes the child's end, so the reader sees the end of the pipe with
// nothing in it.
void reportError(int report, int error)
{
    if (report < 0)
        return;
    const ssize_t ignored = ::write(report, &error, sizeof(error));
    (void)ignored;
}

bool startedByReport(int report)
{
    int error = 0;
    ssize_t n;
    do {
        n = ::read(report, &error, sizeof(error));
    } while (n < 0 && errno == EINTR);
    return n == 0;
}

int waitForChild(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// What a forked child does with the launch from its command `index` on,
// given the write end of the start report. It never returns.
using ChildBody = void (*)(const Launch& launch, int index, int report);

// Forks a child that runs `body`; its process id (-1 when none could be
// made) and, in *started, whether it reported a start.
pid_t forkReporting(const Launch& launch, int index, ChildBody body, bool* started)
{
    *started = false;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return -1;
    }
    if (pid == 0) {
        ::close(report[0]);
        body(launch, index, report[1]);
        ::_exit(127);
    }
    ::close(report[1]);
    *started = startedByReport(report[0]);
    ::close(report[0]);
    return pid;
}

[[noreturn]] void execCommand(const Launch& launch, int index, int report)
{
    const Command& command = launch.commands[index];
    ::execv(command.path, command.argv);
    reportError(report, errno);
    ::_exit(127);
}

// Becomes the row's commands, run as "a || b" would run them: every command
// but the last is run and waited for, and the next one runs only when it
// could not be started or failed; the last replaces this process. `report`
// tells the game that some command started, or that none could: it is
// closed at the first start, and the last command's failure to start is
// written there.
[[noreturn]] void runCommands(const Launch& launch, int report)
{
    for (int i = 0; i + 1 < launch.count; ++i) {
        bool started = false;
        const pid_t pid = forkReporting(launch, i, execCommand, &started);
        if (pid < 0)
            continue;
        if (started && report >= 0) {
            ::close(report);
            report = -1;
        }
        const int status = waitForChild(pid);
        if (started && WIFEXITED(status) && WEXITSTATUS(status) == 0)
            ::_exit(0);
    }
    execCommand(launch, launch.count - 1, report);
}

// A graphical browser, or the desktop's launcher, outlives the game: it
// runs in a session of its own, away from the game's terminal and streams,
// as the child of a process that ends at once, so that nobody waits for it
// and init takes it over.
[[noreturn]] void detachedChild(const Launch& launch, int /*index*/, int report)
{
    ::setsid();
    const pid_t browser = ::fork();
    if (browser < 0)
        reportError(report, errno);
    if (browser != 0)
        ::_exit(0);
    // Not the session's leader: it can never take a terminal.
    nullStreams();
    restoreSignals();
    runCommands(launch, report);
}

// A text browser takes the game's terminal, its streams and its session.
[[noreturn]] void terminalChild(const Launch& launch, int /*index*/, int report)
{
    restoreSignals();
    runCommands(launch, report);
}

// True when one of the commands started; the process in between has ended
// when this returns.
bool startDetached(const Launch& launch)
{
    bool started = false;
    const pid_t pid = forkReporting(launch, 0, detachedChild, &started);
    if (pid > 0)
        waitForChild(pid);
    return started;
}

constexpr long kTerminalPollNanoseconds = 10 * 1000 * 1000;

// The text browser is waited for in the terminal; a termination signal ends
// the wait at once, and the browser with it (the terminal goes back to the
// shell). The wait polls: a signal cuts the sleep short, whatever restart
// flag its handler was installed with. True when one of the commands
// started.
bool startInTerminal(const Launch& launch)
{
    bool started = false;
    const pid_t pid = forkReporting(launch, 0, terminalChild, &started);
    while (pid > 0) {
        if (HEventManager::s_isTerminationRequested()) {
            ::kill(pid, SIGTERM);
            break;
        }
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            break;
        const timespec pause = {0, kTerminalPollNanoseconds};
        ::nanosleep(&pause, nullptr);
    }
    return started;
}

} // namespace

void HPlatform::s_openURL(const char* url, int exitCode)
{
    SDL_Quit();

    const Browser* chosen = nullptr;
    if (url && isWebAddress(url)) {
        const int console = std::getenv("DISPLAY") ? 0 : 1;
        char found[kPathBytes];
        for (const Browser& b : kBrowsers) {
            if (b.console == console && findOnSearchPath(b.program, found, sizeof(found))) {
                chosen = &b;
                break;
            }
        }
    }
    bool started = false;
    if (chosen) {
        static Launch command;
        if (parseFormat(chosen->format, url, &command))
            started = chosen->console ? startInTerminal(command) : startDetached(command);
    }
    if (!started)
        std::fprintf(stderr, "You should be looking at [%s],\n but we can't launch a browser.\n", url ? url : "");
    ::_exit(exitCode);
}
