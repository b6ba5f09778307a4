// Start-up helpers and platform services, run in child processes where they
// end the process or change its environment.
#include "engine/core/HPlatform.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUnix.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <cstdlib>
#include <string>
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
    const ChildResult r = runInChild([] { commandLine({"-trace", "-demo"}); });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 42);
    EXPECT_EQ(r.out, "Failed to specify demo file, e.g. -demo demo.dem\n");
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

// The heap grows at once, the reserve is marked for huge pages where the
// kernel has them, and memory freed afterwards is used again without new
// page faults. In a child: it changes the process's allocator settings.
TEST(HUnix, ThePreparedHeapKeepsWhatTheStartUpFrees)
{
#ifdef QV_SANITIZED_HEAP
    GTEST_SKIP() << "the sanitizer's allocator owns the heap";
#else
    const ChildResult r = runInChild([] {
        constexpr size_t kReserve = 24u << 20;
        char* const before = static_cast<char*>(sbrk(0));
        HUnix::s_prepareHeap(kReserve);
        char* const after = static_cast<char*>(sbrk(0));
        if (after - before < static_cast<ptrdiff_t>(kReserve)) {
            std::printf("the heap grew by %td bytes\n", after - before);
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

class OpenURLTest : public testing::Test {
protected:
    // A fake text browser that writes the arguments it received.
    void SetUp() override
    {
        const std::string script =
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + dir.file("received") + "'\n";
        dir.write("bin/links", script);
        chmod(dir.file("bin/links").c_str(), 0755);
    }

    ChildResult open(const std::string& url)
    {
        return runInChild([&] {
            unsetenv("DISPLAY");
            setenv("PATH", (dir.file("bin") + ":/usr/bin:/bin").c_str(), 1);
            chdir(dir.path().c_str());
            HPlatform::s_openURL(url.c_str());
        });
    }

    TempDir dir;
};

TEST_F(OpenURLTest, TheBrowserReceivesTheAddress)
{
    const ChildResult r = open("http://www.example.org/a?b=c");
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readFileBytes(dir.file("received")), "http://www.example.org/a?b=c\n");
}

TEST_F(OpenURLTest, ShellTextInTheAddressNeverRuns)
{
    const struct {
        const char* url;
        const char* received;
    } cases[] = {
        {"http://x/$(touch made)", "http://x/%24%28touch%20made%29\n"},
        {"http://x/;touch made", "http://x/%3Btouch%20made\n"},
        {"http://x/`touch made`", "http://x/%60touch%20made%60\n"},
        {"http://x/'|touch made&", "http://x/%27%7Ctouch%20made%26\n"},
        {"http://x/\ntouch made", "http://x/%0Atouch%20made\n"},
    };
    for (const auto& c : cases) {
        const ChildResult r = open(c.url);
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_FALSE(fileExists(dir.file("made"))) << c.url;
        EXPECT_EQ(readFileBytes(dir.file("received")), c.received);
    }
}

TEST_F(OpenURLTest, NoBrowserSaysSoAndStillExits0)
{
    const ChildResult r = runInChild([&] {
        unsetenv("DISPLAY");
        setenv("PATH", dir.file("nothing-here").c_str(), 1);
        HPlatform::s_openURL("http://x/");
    });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "You should be looking at [http://x/],\n but we can't launch a browser.\n");
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

TEST(HPlatform, ClockStartsWithTheMediaLibrary)
{
    const MvTime a = HPlatform::s_getAbsoluteTimeMilliseconds();
    const MvTime b = HPlatform::s_getAbsoluteTimeMilliseconds();
    EXPECT_EQ(a.high, 0u);
    EXPECT_GE(b.getTime64(), a.getTime64());
}

} // namespace
