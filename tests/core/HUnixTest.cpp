// Start-up helpers and platform services, run in child processes where they
// end the process or change its environment.
#include "engine/core/HEventManager.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUnix.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <malloc.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string commandLine(std::vector<std::string> args, int size = 1024)
{
    args.insert(args.begin(), "qvgame");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    std::vector<char> buf(static_cast<size_t>(size), 'x');
    EXPECT_TRUE(HUnix::s_buildCommandLine(buf.data(), size, static_cast<int>(argv.size()), argv.data(), "Test"));
    return buf.data();
}

TEST(HUnix, TokenStrings)
{
    const struct {
        std::vector<std::string> args;
        const char* tokens;
    } cases[] = {
        {{}, "+set mv_spriteCursor 0 "},
        {{"-s", "-trace"}, "+set c_soundDriver null +set mv_spriteCursor 0 +set mv_trace 1 "},
        {{"-swcursor", "-s"}, "+set c_soundDriver null "},
        {{"--NoSound", "--SWCURSOR", "whatever"}, "+set c_soundDriver null "},
        {{"-demo", "d.dem", "-trace", "-journal"},
         "+set mv_spriteCursor 0 +set mv_demoFile d.dem +set mv_trace 1 +set mv_journal 1"},
        {{"-demo", "-trace"}, "+set mv_spriteCursor 0 +set mv_demoFile -trace "},
        {{"--demo", "a.dem", "-DEMO", "b.dem"}, "+set mv_spriteCursor 0 +set mv_demoFile b.dem "},
        {{"--journal", "--trace"}, "+set mv_spriteCursor 0 +set mv_trace 1 +set mv_journal 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(commandLine(c.args), c.tokens);
    EXPECT_EQ(commandLine({"-s"}, 10), "+set c_so") << "cut at size - 1";
}

const char* testGameName()
{
    return "Test Game";
}

TEST(HUnix, HelpPrintsTheUsageAndExits42)
{
    const ChildResult r = runInChild([] {
        HUnix::s_setGameNameFunction(testGameName);
        commandLine({"-s", "--HELP"});
    });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 42);
    EXPECT_EQ(r.out,
              "Test Game\n"
              " Made by Moravel.\n"
              " http://www.moravel.example.org/\n"
              "\n"
              "Options:\n"
              "   --help         -h    Print this information and exit.\n"
              "   --nosound      -s    Don't play any sound/music.\n"
              "   --swcursor           Use the pretty software cursor (may be slower).\n"
              "   --fullscreen   -f    Force fullscreen mode.\n"
              "   --windowed     -w    Force windowed mode.\n"
              "\n");
}

TEST(HUnix, DemoWithoutAFileNameExits42)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-trace", "-demo"}, std::vector<std::string>{"-demo", "", "-trace"}}) {
        const ChildResult r = runInChild([&] { commandLine(args); });
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 42);
        EXPECT_EQ(r.out, "Failed to specify demo file, e.g. -demo demo.dem\n");
    }
}

TEST(HUnix, ADemoFileNameTheTokensWouldSplitIsRefusedWithExit42)
{
    const char* const refused[] = {"my demo.dem", ";+set;mv_journal;1", "a;b.dem", " lead.dem", "trail.dem ", ";"};
    for (const char* name : refused) {
        SCOPED_TRACE(name);
        const ChildResult r = runInChild([&] { commandLine({"-s", "-demo", name, "-trace"}); });
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 42);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, std::string("The demo file name '") + name +
                             "' holds a blank or a ';', which the game cannot take; rename the file.\n");
    }
    // Anything else goes through whole, as one value.
    for (const char* name : {"d.dem", "/abs/dir/x-y_z.dem", "-trace", "tab\there", "quote'd\"name", "$HOME*"})
        EXPECT_EQ(commandLine({"-demo", name}), std::string("+set mv_spriteCursor 0 +set mv_demoFile ") + name + " ");
}

TEST(HUnix, FullscreenOptionsWriteTheRegistryAtOnce)
{
    TempDir home;
    const ChildResult r = runInChild([&] {
        setenv("HOME", home.path().c_str(), 1);
        commandLine({"-F", "--windowed"});
        std::_Exit(0); // the registry's exit-time close must not write again
    });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    const std::string bytes = readFileBytes(home.file(".moravel/registry_Moravel_Test"));
    const std::string expected = std::string("Fullscreen\0", 11) + std::string("\4\0\0\0", 4) + std::string(4, '\0');
    EXPECT_EQ(bytes, expected);
}

TEST(HUnix, WithoutAHomeDirectoryTheChoiceIsNotStoredAndTheRunGoesOn)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to take a user id without a password entry";
    const ChildResult r = runInChild([] {
        unsetenv("HOME");
        if (setuid(54321) != 0 || getpwuid(54321) != nullptr)
            std::_Exit(3);
        commandLine({"-f"});
        std::_Exit(0);
    });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Failed to open registry. Can't change fullscreen state.\n"), std::string::npos);
}

std::string resourceDir(const char* argv0)
{
    char dir[1024];
    HUnix::s_calcResourceDir(dir, sizeof(dir), argv0);
    return dir;
}

void makeExecutable(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("#!/bin/sh\n", f);
    std::fclose(f);
    chmod(path.c_str(), 0755);
}

TEST(HUnix, ResourceDirectoryFromTheExecutablesPlace)
{
    TempDir root;
    root.write("opt/x/bin/prog", "");
    root.write("usr/games/.keep", "");
    makeExecutable(root.file("opt/x/bin/prog"));
    char real[4096];
    ASSERT_NE(realpath(root.path().c_str(), real), nullptr);
    const std::string base = real;

    EXPECT_EQ(resourceDir(root.file("opt/x/bin/prog").c_str()), base + "/opt/x/Resources/");

    const ChildResult r = runInChild([&] {
        setenv("PATH", (root.file("usr/games") + ":" + root.file("opt/x/bin")).c_str(), 1);
        std::fputs(resourceDir("prog").c_str(), stdout);
        std::fputc('\n', stdout);
        setenv("PATH", root.file("usr/games").c_str(), 1);
        chdir(root.file("usr").c_str());
        std::fputs(resourceDir("prog").c_str(), stdout); // not found: current directory
        std::fputc('\n', stdout);
        unsetenv("PATH");
        std::fputs(resourceDir("prog").c_str(), stdout);
    });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.out, base + "/opt/x/Resources/\n" + base + "/Resources/\n" + base + "/Resources/");
}

#if defined(__SANITIZE_ADDRESS__)
#define QV_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_SANITIZED_HEAP 1
#endif
#endif

// The heap holds the reserve at once, the reserve is marked for huge pages
// where the kernel has them, and memory freed afterwards is used again
// without new page faults. In a child: it changes the process's allocator
// settings. The child is a copy of this test program, whose heap the tests
// before have used and freed: only what the reserve adds to it is measured,
// and once more with the whole reserve free at the heap's top already.
TEST(HUnix, ThePreparedHeapKeepsWhatTheStartUpFrees)
{
#ifdef QV_SANITIZED_HEAP
    GTEST_SKIP() << "the sanitizer's allocator owns the heap";
#else
    for (const bool heldAlready : {false, true}) {
        SCOPED_TRACE(heldAlready ? "the heap held the reserve already" : "the heap as the tests left it");
        const ChildResult r = runInChild([heldAlready] {
            constexpr size_t kReserve = 24u << 20;
            if (heldAlready) {
                // A block larger than the reserve from the heap, freed and kept.
                mallopt(M_MMAP_THRESHOLD, 32 << 20);
                mallopt(M_TRIM_THRESHOLD, 1 << 30);
                char* volatile held = static_cast<char*>(std::malloc(kReserve + (1u << 20)));
                std::free(held);
            }
            HUnix::s_prepareHeap(kReserve);
            // A block of the reserve's size, less the allocator's own share of
            // it, now lies in the heap without the heap growing.
            char* const end = static_cast<char*>(sbrk(0));
            constexpr size_t kBlock = kReserve - (64u << 10);
            char* volatile block = static_cast<char*>(std::malloc(kBlock));
            char* const grown = static_cast<char*>(sbrk(0));
            const bool inHeap = block && block + kBlock <= end;
            std::free(block);
            if (grown != end || !inHeap) {
                std::printf("the reserve was not in the heap: it grew by %td bytes for a block of it%s\n", grown - end,
                            inHeap ? "" : ", which lies outside");
                std::exit(1);
            }
            // A decoder's buffer, freed and asked for again: the second time the
            // pages are already there.
            auto faults = [] {
                rusage u;
                getrusage(RUSAGE_SELF, &u);
                return u.ru_minflt;
            };
            constexpr size_t kBuffer = 4u << 20;
            char* volatile first = static_cast<char*>(std::malloc(kBuffer));
            std::memset(first, 1, kBuffer);
            std::free(first);
            const long start = faults();
            char* volatile second = static_cast<char*>(std::malloc(kBuffer));
            std::memset(second, 2, kBuffer);
            const long again = faults() - start;
            std::free(second);
            if (again > 16) {
                std::printf("%ld page faults for a buffer used before\n", again);
                std::exit(2);
            }
            // Where the kernel offers huge pages on request, the reserve asks for them.
            std::ifstream thp("/sys/kernel/mm/transparent_hugepage/enabled");
            std::string mode((std::istreambuf_iterator<char>(thp)), std::istreambuf_iterator<char>());
            if (mode.find("[never]") == std::string::npos && !mode.empty()) {
                std::ifstream maps("/proc/self/smaps");
                std::string line;
                bool inHeap = false;
                bool marked = false;
                while (std::getline(maps, line)) {
                    // A mapping's first line: "start-end perms ... [name]".
                    const size_t space = line.find(' ');
                    if (space != std::string::npos && line.find('-') < space &&
                        line.find_first_not_of("0123456789abcdef-") == space)
                        inHeap = line.find("[heap]") != std::string::npos;
                    else if (inHeap && line.rfind("VmFlags:", 0) == 0 && line.find(" hg") != std::string::npos)
                        marked = true;
                }
                if (!marked) {
                    std::printf("no part of the heap asks for huge pages\n");
                    std::exit(3);
                }
            }
            std::exit(0);
        });
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0) << r.out;
    }
#endif
}

// Sizes outside what the heap can take in one block leave everything alone.
TEST(HUnix, AHeapReserveOfAnUnusableSizeChangesNothing)
{
    const ChildResult r = runInChild([] {
        for (size_t bytes : {size_t(0), size_t(4096), size_t(64u) << 20}) {
            char* const before = static_cast<char*>(sbrk(0));
            HUnix::s_prepareHeap(bytes);
            if (static_cast<char*>(sbrk(0)) != before)
                std::exit(1);
        }
        std::exit(0);
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0) << r.out;
}

TEST(HUnix, FatalSignalPrintsAStackDumpAndExits138)
{
    const ChildResult r = runInChild([] {
        HUnix::s_initBacktraceSignals();
        std::raise(SIGSEGV);
    });
    ASSERT_TRUE(r.exited) << "signal " << r.signal;
    EXPECT_EQ(r.exitCode, SIGSEGV + 127);
    const std::string head = "Signal SIGSEGV received.\n\nStack dump:\n{\n\t";
    EXPECT_EQ(r.out.substr(0, head.size()), head);
    ASSERT_GE(r.out.size(), 3u);
    EXPECT_EQ(r.out.substr(r.out.size() - 3), "}\n\n");
    EXPECT_NE(r.out.find("\n\t"), std::string::npos) << "one frame per line, each after a tab";
}

TEST(HUnix, TerminationSignalsOnlyAskTheEventLoopsToEnd)
{
    const ChildResult r = runInChild([] {
        ChildChecks check;
        HUnix::s_initBacktraceSignals();
        struct sigaction fatalBefore;
        sigaction(SIGSEGV, nullptr, &fatalBefore);
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGXCPU})
            std::signal(sig, SIG_DFL);
        HUnix::s_initTerminationSignals();
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGXCPU}) {
            HEventManager::s_resetSharedState();
            std::raise(sig);
            // The process goes on; the request waits for the loops.
            check(HEventManager::s_isTerminationRequested(), "signal " + std::to_string(sig) + " requested the end");
        }
        struct sigaction fatalAfter;
        sigaction(SIGSEGV, nullptr, &fatalAfter);
        check(fatalAfter.sa_handler == fatalBefore.sa_handler, "the fatal-signal handler stays");

        // Started ignored (nohup, a background job): SIGINT and SIGHUP stay
        // ignored; SIGTERM and SIGXCPU are taken all the same.
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGXCPU})
            std::signal(sig, SIG_IGN);
        HUnix::s_initTerminationSignals();
        for (int sig : {SIGINT, SIGHUP}) {
            HEventManager::s_resetSharedState();
            std::raise(sig);
            check(!HEventManager::s_isTerminationRequested(), "ignored signal " + std::to_string(sig));
        }
        for (int sig : {SIGTERM, SIGXCPU}) {
            HEventManager::s_resetSharedState();
            std::raise(sig);
            check(HEventManager::s_isTerminationRequested(),
                  "signal " + std::to_string(sig) + " though started ignored");
        }
        std::exit(check.failures());
    });
    ASSERT_TRUE(r.exited) << "signal " << r.signal;
    EXPECT_EQ(r.exitCode, 0) << r.out;
}

TEST(HUnix, ClosedStandardStreamsAreOpenedOnDevNullAndOpenOnesAreLeft)
{
    const std::vector<std::vector<int>> cases = {{0}, {1}, {2}, {0, 2}, {1, 2}, {0, 1, 2}, {}};
    for (const std::vector<int>& closed : cases) {
        const ChildResult r = runInChild([&] {
            ChildChecks check;
            struct stat before[3];
            for (int fd = 0; fd < 3; ++fd)
                fstat(fd, &before[fd]);
            for (int fd : closed)
                close(fd);
            HUnix::s_openClosedStandardStreams();
            struct stat null;
            stat("/dev/null", &null);
            for (int fd = 0; fd < 3; ++fd) {
                const bool wasClosed = std::find(closed.begin(), closed.end(), fd) != closed.end();
                struct stat now;
                check(fstat(fd, &now) == 0, "descriptor " + std::to_string(fd) + " open");
                const struct stat& expected = wasClosed ? null : before[fd];
                check(now.st_dev == expected.st_dev && now.st_ino == expected.st_ino,
                      "descriptor " + std::to_string(fd) + (wasClosed ? " on /dev/null" : " left as it was"));
            }
            // The next file takes a descriptor above them.
            const int next = open("/dev/null", O_RDONLY);
            check(next > 2, "the next file takes descriptor " + std::to_string(next));
            std::exit(check.failures());
        });
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0) << r.out;
    }
}

TEST(HUnix, WritesPastTheFileSizeLimitOrIntoABrokenPipeFailInsteadOfEndingTheProcess)
{
    const TempDir dir;
    const ChildResult r = runInChild([&] {
        ChildChecks check;
        HUnix::s_ignoreWriteSignals();
        int ends[2];
        check(pipe(ends) == 0, "pipe");
        close(ends[0]);
        errno = 0;
        check(write(ends[1], "x", 1) == -1 && errno == EPIPE, "the write into the pipe fails with EPIPE");

        const rlimit limit = {16, 16};
        check(setrlimit(RLIMIT_FSIZE, &limit) == 0, "the limit is set");
        const int fd = open(dir.file("big").c_str(), O_WRONLY | O_CREAT, 0600);
        const char bytes[32] = {};
        check(write(fd, bytes, sizeof(bytes)) == 16, "the write stops at the limit");
        errno = 0;
        check(write(fd, bytes, 1) == -1 && errno == EFBIG, "the next write fails with EFBIG");
        close(fd);
        std::exit(check.failures());
    });
    ASSERT_TRUE(r.exited) << "signal " << r.signal;
    EXPECT_EQ(r.exitCode, 0) << r.out;
}

// A standard stream that cannot take a message (a full pipe nobody reads,
// as a terminal stopped with Ctrl-S): the write waits until the reader
// takes the pipe's bytes, then the whole message arrives; or, while it
// waits, a termination signal comes (from another thread, whatever thread
// the signal reaches), and the write gives up within a moment.
TEST(HPlatform, AWriteToAStalledStreamWaitsUntilItMovesOrATerminationSignal)
{
    for (bool signalled : {false, true}) {
        SCOPED_TRACE(signalled ? "a termination signal" : "the reader reads");
        const ChildResult r = runInChild([signalled] {
            ChildChecks check;
            HUnix::s_initTerminationSignals();
            int ends[2];
            check(pipe(ends) == 0, "pipe");
            const int flags = fcntl(ends[1], F_GETFL);
            fcntl(ends[1], F_SETFL, flags | O_NONBLOCK);
            std::string filler;
            for (ssize_t n = 0; (n = write(ends[1], "f", 1)) > 0;)
                filler += 'f';
            fcntl(ends[1], F_SETFL, flags);
            dup2(ends[1], STDERR_FILENO);
            const std::string message = "The registry file was damaged.\n";
            std::string read;
            std::thread other([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                if (signalled) {
                    kill(getpid(), SIGTERM);
                    return;
                }
                char buf[4096];
                while (read.size() < filler.size() + message.size()) {
                    const ssize_t n = ::read(ends[0], buf, sizeof(buf));
                    if (n <= 0)
                        break;
                    read.append(buf, static_cast<size_t>(n));
                }
            });
            const double start = monotonicSeconds();
            const bool written = HPlatform::s_writeToStream(STDERR_FILENO, message.c_str());
            const double took = monotonicSeconds() - start;
            other.join();
            check(took >= 0.25, "the write waited");
            check(took < 3.0, "the write ended in time");
            if (signalled) {
                check(!written, "the write gave up");
            } else {
                check(written, "the write was whole");
                check(read == filler + message, "the message arrived after what the pipe held");
            }
            std::exit(check.failures());
        });
        ASSERT_TRUE(r.exited) << "signal " << r.signal;
        EXPECT_EQ(r.exitCode, 0) << r.out;
    }
}

// Stub browsers on an otherwise empty search path. Each one appends what it
// was started with to "received": its process id, its session, its parent's
// process id, where its standard streams lead ("null" for /dev/null, else
// "other", for descriptors 0 to 2), its own name and each argument, each
// ended by a NUL, and one more NUL. Called as "netscape -remote ..." the
// netscape stub fails, as a netscape with no window to take the request
// does. A browser started detached may still be starting when the game has
// ended: the records are waited for.
class OpenURLTest : public testing::Test {
protected:
    void addStub(const std::string& name)
    {
        // Shell builtins only: the search path holds nothing but the stubs.
        const std::string script =
            "#!/bin/sh\n"
            "read -r s < /proc/$$/stat\n"
            "s=${s##*) }\n"
            "session() { shift 3; printf %s \"$1\"; }\n"
            "streams=\n"
            "for fd in 0 1 2; do if [ /proc/$$/fd/$fd -ef /dev/null ]; then streams=${streams}n; else "
            "streams=${streams}o; fi; done\n"
            "{ printf '%s\\0' \"$$\" \"$(session $s)\" \"$PPID\" \"$streams\" \"${0##*/}\"; for a in \"$@\"; do "
            "printf '%s\\0' \"$a\"; done; printf '\\0'; } >> '" +
            dir.file("received") + "'\n" + (name == "netscape" ? "[ \"$1\" = -remote ] && exit 1\n" : "") +
            "exit 0\n";
        dir.write("bin/" + name, script);
        chmod(dir.file("bin/" + name).c_str(), 0755);
        stubs.push_back(name);
    }
    void removeStubs()
    {
        for (const std::string& name : stubs)
            ::unlink(dir.file("bin/" + name).c_str());
        stubs.clear();
        ::unlink(dir.file("received").c_str());
    }

    // Opens the address in a child process whose search path holds only the
    // stubs, with or without a display; the child's process id and session
    // are written to "opener" first.
    ChildResult open(const std::string& url, bool display, int exitCode = 0)
    {
        return runInChild([&] {
            if (display)
                setenv("DISPLAY", ":77", 1);
            else
                unsetenv("DISPLAY");
            setenv("PATH", dir.file("bin").c_str(), 1);
            if (chdir(dir.path().c_str()) != 0)
                _exit(90);
            dir.write("opener", std::to_string(getpid()) + " " + std::to_string(getsid(0)));
            HPlatform::s_openURL(url.c_str(), exitCode);
        });
    }

    // One started program: its name, then its arguments; where it ran.
    struct Start {
        std::vector<std::string> words;
        std::string pid;
        std::string session;
        std::string parent;
        std::string streams; // "nnn": all three on /dev/null
    };
    // The whole records in "received" once it holds `count` of them (or
    // after a few seconds).
    std::vector<Start> received(size_t count = 0) const
    {
        std::vector<Start> out;
        waitFor(count > 0 ? 5.0 : 0.0, [&] {
            out = receivedNow();
            return out.size() >= count;
        });
        return out;
    }
    std::vector<Start> receivedNow() const
    {
        std::vector<Start> out;
        const std::string text = readFileBytes(dir.file("received"));
        std::vector<std::string> fields;
        std::string field;
        for (char c : text) {
            if (c != '\0') {
                field += c;
                continue;
            }
            if (field.empty() && fields.size() >= 4) {
                Start start;
                start.pid = fields[0];
                start.session = fields[1];
                start.parent = fields[2];
                start.streams = fields[3];
                start.words.assign(fields.begin() + 4, fields.end());
                out.push_back(start);
                fields.clear();
            } else {
                fields.push_back(field);
            }
            field.clear();
        }
        return out;
    }
    std::vector<std::vector<std::string>> startedWords(size_t count) const
    {
        std::vector<std::vector<std::string>> out;
        for (const Start& s : received(count))
            out.push_back(s.words);
        return out;
    }
    // The opener's process id and session.
    std::pair<std::string, std::string> opener() const
    {
        const std::string text = readFileBytes(dir.file("opener"));
        const size_t blank = text.find(' ');
        return {text.substr(0, blank), blank == std::string::npos ? "" : text.substr(blank + 1)};
    }

    TempDir dir;
    std::vector<std::string> stubs;
};

const char kCantLaunch[] = "You should be looking at [%s],\n but we can't launch a browser.\n";

std::string cantLaunch(const std::string& url)
{
    char text[512];
    std::snprintf(text, sizeof(text), kCantLaunch, url.c_str());
    return text;
}

TEST_F(OpenURLTest, EachRowStartsItsProgramWithTheAddressAsItsFormatSays)
{
    const std::string url = "http://www.example.org/a?b=c";
    using Words = std::vector<std::string>;
    const struct Case {
        const char* name;
        bool display;
        std::vector<std::string> stubs;
        std::vector<Words> started;
    } cases[] = {
        {"the desktop's launcher first", true, {"lynx", "links", "mozilla", "x-www-browser", "xdg-open"},
         {{"xdg-open", url}}},
        {"then the default browser", true, {"lynx", "mozilla", "x-www-browser"}, {{"x-www-browser", url}}},
        {"detached", true, {"lynx", "konqueror", "mozilla"}, {{"mozilla", url}}},
        {"phoenix", true, {"phoenix", "galeon"}, {{"phoenix", url}}},
        {"an option before the address", true, {"gnome-moz-remote", "galeon"}, {{"gnome-moz-remote", "--newwin", url}}},
        {"galeon", true, {"galeon", "netscape"}, {{"galeon", url}}},
        {"the remote call fails: the second command", true, {"netscape", "konqueror"},
         {{"netscape", "-remote", "openURL(" + url + ",new-window)"}, {"netscape", url}}},
        {"konqueror", true, {"konqueror", "opera"}, {{"konqueror", url}}},
        {"quoted into an option", true, {"opera", "NetPositive"}, {{"opera", "-page=" + url}}},
        {"NetPositive", true, {"NetPositive", "links"}, {{"NetPositive", url}}},
        {"a text browser in a terminal window", true, {"links", "lynx", "xterm"},
         {{"xterm", "-T", "Web Browser", "-e", "links", url}}},
        {"lynx in a terminal window", true, {"lynx", "xterm"}, {{"xterm", "-T", "Web Browser", "-e", "lynx", url}}},
        {"no display: only the text browsers", false, {"xdg-open", "x-www-browser", "mozilla", "links", "lynx"},
         {{"links", url}}},
        {"no display: lynx", false, {"xdg-open", "lynx"}, {{"lynx", url}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeStubs();
        for (const std::string& stub : c.stubs)
            addStub(stub);
        const ChildResult r = open(url, c.display);
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(startedWords(c.started.size()), c.started);
        // With a display every browser is detached: a session of its own,
        // which it does not lead (so it can never take a terminal), and no
        // stream of the game's. Without one the text browser is the game's
        // own child in its session, on its streams.
        const auto [openerPid, openerSession] = opener();
        for (const Start& start : received()) {
            if (c.display) {
                EXPECT_NE(start.session, openerSession);
                EXPECT_NE(start.session, start.pid);
                EXPECT_EQ(start.streams, "nnn");
            } else {
                EXPECT_EQ(start.session, openerSession);
                EXPECT_EQ(start.parent, openerPid) << "no shell between them";
                EXPECT_EQ(start.streams.substr(1), "oo") << "the game's output and error";
            }
        }
    }
}

TEST_F(OpenURLTest, TheAddressIsOneArgumentExactlyAsGivenAndNoShellRuns)
{
    addStub("xdg-open");
    addStub("links");
    // Names a shell's globbing would match.
    dir.write("aXb", "");
    dir.write("passwd", "");
    const char* const addresses[] = {
        "http://x/*",
        "http://x/a?b[c]*",
        "http://x/pass*",
        "http://x/~root/x",
        "https://~root",
        "http://x/#frag &",
        "http://x/ --opt",
        "http://x/-",
        "http://x/'single' \"double\"",
        "http://x/$(touch made)",
        "http://x/`touch made`",
        "http://x/;touch made|touch made&touch made",
        "http://x/ a  b\tc ",
        "http://x/\ntouch made",
        "http://x/${HOME}$PATH\\n",
        "HTTPS://EXAMPLE.ORG/",
        "http://x",
    };
    for (const char* address : addresses) {
        SCOPED_TRACE(address);
        ::unlink(dir.file("received").c_str());
        // The text browser first: it has ended when the game has.
        std::string textOpener;
        for (bool display : {false, true}) {
            const ChildResult r = open(address, display);
            ASSERT_TRUE(r.exited);
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_EQ(r.err, "");
            if (!display)
                textOpener = opener().first;
        }
        const std::vector<Start> started = received(2);
        ASSERT_EQ(started.size(), 2u);
        EXPECT_EQ(started[0].words, (std::vector<std::string>{"links", address}));
        EXPECT_EQ(started[1].words, (std::vector<std::string>{"xdg-open", address}));
        // The text browser's parent is the game's process itself: no shell
        // ran between them.
        EXPECT_EQ(started[0].parent, textOpener);
        EXPECT_FALSE(fileExists(dir.file("made")));
    }
}

TEST_F(OpenURLTest, AnythingButAWebAddressIsRefusedAndNothingStarts)
{
    for (const char* stub : {"xdg-open", "links"})
        addStub(stub);
    const char* const refused[] = {
        "",
        "/etc/pass*",
        "~root/x",
        "--opt",
        "-http://x/",
        " http://x/",
        "http://",
        "https://",
        "http:/x",
        "file:///etc/passwd",
        "ftp://x/",
        "javascript:alert(1)",
        "mailto:a@b",
    };
    for (const char* address : refused) {
        SCOPED_TRACE(address);
        for (bool display : {true, false}) {
            const ChildResult r = open(address, display);
            ASSERT_TRUE(r.exited);
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_EQ(r.err, cantLaunch(address));
            EXPECT_FALSE(fileExists(dir.file("received")));
        }
    }
}

// The link ends the process with the code it is given: 0, or the code of
// a game that could not store what it held.
TEST_F(OpenURLTest, TheLinkEndsTheProcessWithTheCodeItIsGiven)
{
    addStub("xdg-open");
    for (int code : {0, HUnix::kExitNotStored}) {
        SCOPED_TRACE(code);
        std::remove(dir.file("received").c_str());
        const ChildResult r = open("http://x/", true, code);
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, code);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(received(1).size(), 1u) << "the launcher did not start";
    }
    const ChildResult none = open("http://x/", false, HUnix::kExitNotStored);
    EXPECT_EQ(none.exitCode, HUnix::kExitNotStored) << "a link that starts nothing";
}

TEST_F(OpenURLTest, NoBrowserSaysSoAndStillExits0)
{
    for (bool display : {true, false}) {
        SCOPED_TRACE(display);
        // No stub at all; without a display the desktop's launcher is no use.
        const ChildResult none = open("http://x/", display);
        ASSERT_TRUE(none.exited);
        EXPECT_EQ(none.exitCode, 0);
        EXPECT_EQ(none.err, cantLaunch("http://x/"));
    }
    addStub("xdg-open");
    const ChildResult r = open("http://x/", false);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, cantLaunch("http://x/"));
    EXPECT_FALSE(fileExists(dir.file("received")));
}

TEST_F(OpenURLTest, ABrowserThatCannotBeExecutedIsNoBrowser)
{
    // Found on the path (executable, a regular file) but not a program: a
    // shell would run it as a script; without one it does not start.
    dir.write("bin/links", "printf started > '" + dir.file("received") + "'\n");
    chmod(dir.file("bin/links").c_str(), 0755);
    const ChildResult r = open("http://x/", false);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, cantLaunch("http://x/"));
    EXPECT_FALSE(fileExists(dir.file("received")));

    // The terminal window of the text browser is missing: nothing starts.
    addStub("links");
    const ChildResult noTerminal = open("http://x/", true);
    EXPECT_EQ(noTerminal.err, cantLaunch("http://x/"));
    EXPECT_FALSE(fileExists(dir.file("received")));
}

TEST(HPlatform, UserNameAndClipboard)
{
    char buf[256];
    const passwd* pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    ASSERT_NE(HPlatform::s_getUserName(buf, sizeof(buf)), nullptr);
    EXPECT_STREQ(buf, pw->pw_name);
    char tiny[2];
    ASSERT_NE(HPlatform::s_getUserName(tiny, sizeof(tiny)), nullptr);
    EXPECT_EQ(tiny[1], '\0');

    char clip[4] = "abc";
    EXPECT_EQ(HPlatform::s_getClipboardText(clip, sizeof(clip)), 0);
    EXPECT_STREQ(clip, "abc");
}

// The wall clock's milliseconds since 1970.
uint64_t wallClockMs()
{
    timespec ts;
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

// The event clock: each run starts at the wall clock's milliseconds (so two
// runs started at different moments give different first times, and the
// deal they seed differs), and within a run it never goes back. Each start
// is a child process of its own, as a run is.
TEST(HPlatform, EachStartOfTheClockBeginsAtTheWallClockAndItNeverGoesBack)
{
    uint64_t firsts[2] = {0, 0};
    for (uint64_t& first : firsts) {
        // The second start comes in a later millisecond than the first run's
        // first time: at most a millisecond's wait.
        while (firsts[0] != 0 && wallClockMs() <= firsts[0]) {
        }
        const ChildResult r = runInChild([&] {
            ChildChecks check;
            const uint64_t before = wallClockMs();
            HPlatform::s_startClock();
            const uint64_t t = HPlatform::s_getAbsoluteTimeMilliseconds().getTime64();
            const uint64_t after = wallClockMs();
            check(t >= before && t <= after, "the first time is the wall clock's at the start");
            uint64_t last = t;
            for (int i = 0; i < 200000; ++i) {
                const uint64_t now = HPlatform::s_getAbsoluteTimeMilliseconds().getTime64();
                if (now < last) {
                    check(false, "the clock went back from " + std::to_string(last) + " to " + std::to_string(now));
                    break;
                }
                last = now;
            }
            std::printf("%llu", static_cast<unsigned long long>(t));
            std::fflush(stdout);
            _exit(check.failures());
        });
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0) << r.out;
        first = std::strtoull(r.out.c_str(), nullptr, 10);
        EXPECT_NE(first, 0u) << r.out;
    }
    EXPECT_NE(firsts[0], firsts[1]) << "two starts gave the same first time";
    EXPECT_GT(firsts[0] >> 32, 0u) << "the high word holds the wall clock's count";
}

} // namespace
