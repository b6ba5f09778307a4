// Operating-system services: the console message box, the trace file, the
// user name, the web browser, sleeping and the event clock.
#include "engine/core/HPlatform.h"

#include "engine/core/HFile.h"
#include "engine/core/HUtil.h"

#include <SDL.h>
#include <fcntl.h>
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
void putDashes(size_t n)
{
    for (size_t i = 0; i < n; ++i)
        std::fputc('-', stdout);
}
} // namespace

int HPlatform::s_messageBox(unsigned /*type*/, const char* title, const char* text)
{
    std::setbuf(stdout, nullptr);
    const size_t n = std::strlen(title);
    std::fputs("\n\n+-", stdout);
    putDashes(n);
    std::fputs("-+\n| ", stdout);
    std::fputs(title, stdout);
    std::fputs(" |\n+-", stdout);
    putDashes(n);
    std::fputs("-+\n", stdout);
    std::fputs(text, stdout);
    std::fputs("\n\n", stdout);
    return 1;
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
    int console; // 1: runs in the terminal, for sessions without a display
    const char* program;
    // The command: words split at blanks, '...' and "..." quoting blanks;
    // each %s is the address. A last word "&" runs it detached; "a || b"
    // runs b when a cannot be started or fails.
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
    bool detached;
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
    out->detached = false;
    out->used = 0;
    out->commands[0].argc = 0;
    const char* p = format;
    for (;;) {
        while (*p == ' ')
            ++p;
        if (*p == '\0')
            break;
        if (out->detached)
            return false; // "&" ends the command
        if (p[0] == '&' && (p[1] == ' ' || p[1] == '\0')) {
            out->detached = true;
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

enum class Outcome { kNotStarted, kFailed, kSucceeded };

// Starts the command without a shell: the program is executed directly
// with its words as its arguments. A detached one reads no terminal input
// and outlives the game, as a shell's "&" would have it, and succeeds once
// it runs; otherwise its end is waited for and its exit status tells.
Outcome runCommand(const Command& command, bool detached)
{
    // The child reports a failed exec through a pipe that a successful exec
    // closes.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return Outcome::kNotStarted;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return Outcome::kNotStarted;
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::close(report[0]);
        if (detached) {
            const int null = ::open("/dev/null", O_RDONLY);
            if (null >= 0 && null != STDIN_FILENO) {
                ::dup2(null, STDIN_FILENO);
                ::close(null);
            }
            ::signal(SIGINT, SIG_IGN);
            ::signal(SIGQUIT, SIG_IGN);
        }
        ::execv(command.path, command.argv);
        const int error = errno;
        const ssize_t ignored = ::write(report[1], &error, sizeof(error));
        (void)ignored;
        ::_exit(127);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &error, sizeof(error));
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    const bool started = n == 0;
    if (detached && started)
        return Outcome::kSucceeded; // the child is left to run; init reaps it
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!started)
        return Outcome::kNotStarted;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Outcome::kSucceeded : Outcome::kFailed;
}

// Runs the row's commands, the second only when the first did not succeed;
// false when not one of them could be started.
bool startBrowser(const Launch& launch)
{
    bool started = false;
    for (int i = 0; i < launch.count; ++i) {
        const Outcome outcome = runCommand(launch.commands[i], launch.detached);
        if (outcome == Outcome::kSucceeded)
            return true;
        started = started || outcome == Outcome::kFailed;
    }
    return started;
}

} // namespace

void HPlatform::s_openURL(const char* url)
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
        started = parseFormat(chosen->format, url, &command) && startBrowser(command);
    }
    if (!started)
        std::fprintf(stderr, "You should be looking at [%s],\n but we can't launch a browser.\n", url ? url : "");
    ::_exit(0);
}
