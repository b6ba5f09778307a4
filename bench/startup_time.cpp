// The whole game's start-up as a player sees it: from the exec of
// build/bin/qvgame to the moment its window on a virtual X server holds the
// settled start screen, read back pixel by pixel; the resident memory at
// that moment; and the processor time the game uses while it idles for 10
// seconds, on the start screen and with a board dealt (the start button
// clicked through the server's XTEST pointer, then no input). Run by hand
// (it needs Xvfb):
//
//   build/bin/startup_time
//
// The settled start screen is learnt first, from a run that waits until the
// window stops changing; every timed run then polls the window until it
// holds exactly that picture. Each run starts with a fresh HOME and working
// directory, so no registry file changes what is loaded. The game is ended
// with SIGTERM, which SDL turns into a quit request.
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// Longest a start-up may take before a run counts as failed.
constexpr double kStartLimitSeconds = 20.0;
// How long the window must stay unchanged to count as settled when the
// reference picture is learnt.
constexpr double kSettleSeconds = 2.0;
constexpr int kIdleSeconds = 10;

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void sleepMs(int ms)
{
    const timespec pause = {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

std::string binDir()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0)
        return ".";
    path[n] = '\0';
    const std::string s(path);
    return s.substr(0, s.rfind('/'));
}

// The X server shared by every run of the process.
XvfbServer* server()
{
    static std::unique_ptr<XvfbServer> s;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (XvfbServer::s_isInstalled()) {
            s.reset(new XvfbServer());
            if (!s->start("1024x768x24", 20))
                s.reset();
        }
    }
    return s.get();
}

// The game's top-level window (its title starts with "Qinvar"), 0 while
// there is none yet.
Window findGameWindow(Display* d)
{
    return static_cast<Window>(XvfbServer::s_findWindow(d, "Qinvar", kWidth, kHeight));
}

// The window's pixels as 0xRRGGBB; empty when it cannot be read.
std::vector<uint32_t> readWindow(Display* d, Window w)
{
    std::vector<uint32_t> out;
    XImage* image = XGetImage(d, w, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    if (!image)
        return out;
    out.resize(static_cast<size_t>(kWidth) * kHeight);
    // A 24-bit server: every pixel is 32 bits with red, green, blue masks
    // 0xff0000, 0xff00, 0xff.
    for (int y = 0; y < kHeight; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(image->data + y * image->bytes_per_line);
        for (int x = 0; x < kWidth; ++x)
            out[static_cast<size_t>(y) * kWidth + x] = row[x] & 0xffffffu;
    }
    XDestroyImage(image);
    return out;
}

struct ProcStatus {
    double rssMiB = 0;
    double hwmMiB = 0;
};

ProcStatus readStatus(pid_t pid)
{
    ProcStatus s;
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        double kib = 0;
        fields >> key >> kib;
        if (key == "VmRSS:")
            s.rssMiB = kib / 1024.0;
        else if (key == "VmHWM:")
            s.hwmMiB = kib / 1024.0;
    }
    return s;
}

// utime + stime in seconds.
double cpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold blanks: the fields start after its ')'.
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    for (int i = 3; i <= 13; ++i)
        fields >> field;
    fields >> utime >> stime;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// One run of the game on the server, from its exec.
class GameRun {
public:
    // silent: "-s" (the silent sound device) instead of SDL's dummy driver.
    GameRun(const std::string& display, bool silent) : m_pid(-1), m_started(now())
    {
        const std::string program = binDir() + "/qvgame";
        const std::string home = m_home.path();
        const std::string work = m_work.path();
        m_started = now();
        m_pid = fork();
        if (m_pid == 0) {
            if (chdir(work.c_str()) != 0)
                _exit(127);
            setenv("HOME", home.c_str(), 1);
            setenv("DISPLAY", display.c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            std::freopen("/dev/null", "w", stdout);
            if (silent)
                execl(program.c_str(), program.c_str(), "-s", static_cast<char*>(nullptr));
            else
                execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~GameRun() { stop(); }

    pid_t pid() const { return m_pid; }
    double started() const { return m_started; }

    // Ends the game: SIGTERM (a quit request), then SIGKILL after 5 s.
    void stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        const double deadline = now() + 5;
        while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
            if (now() > deadline) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, nullptr, 0);
                break;
            }
            sleepMs(5);
        }
        m_pid = -1;
    }

private:
    TempDir m_home;
    TempDir m_work;
    pid_t m_pid;
    double m_started;
};

// The settled start screen, learnt once per process.
const std::vector<uint32_t>& referenceScreen(const std::string& display)
{
    static std::vector<uint32_t> reference;
    if (!reference.empty())
        return reference;
    Display* d = XOpenDisplay(display.c_str());
    if (!d)
        return reference;
    GameRun run(display, true);
    std::vector<uint32_t> last;
    double stableSince = 0;
    const double deadline = now() + kStartLimitSeconds + kSettleSeconds;
    while (now() < deadline) {
        const Window w = findGameWindow(d);
        std::vector<uint32_t> pixels = w ? readWindow(d, w) : std::vector<uint32_t>();
        if (!pixels.empty() && pixels == last) {
            if (now() - stableSince >= kSettleSeconds) {
                reference = pixels;
                break;
            }
        } else {
            last = pixels;
            stableSince = now();
        }
        sleepMs(20);
    }
    XCloseDisplay(d);
    if (!reference.empty()) {
        // What the runs wait for, for a person to look at.
        Bytes rgb;
        for (uint32_t p : reference) {
            rgb.push_back(static_cast<uint8_t>(p >> 16));
            rgb.push_back(static_cast<uint8_t>(p >> 8));
            rgb.push_back(static_cast<uint8_t>(p));
        }
        const Bytes png = ImageFixtures::png(kWidth, kHeight, rgb, ImageFixtures::PngOptions());
        std::ofstream(binDir() + "/../startup_time_screen.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    }
    return reference;
}

// Polls the run's window until it holds the reference; the seconds since
// the exec, or a negative value when it never did.
double waitForStartScreen(Display* d, const GameRun& run, const std::vector<uint32_t>& reference)
{
    const double deadline = run.started() + kStartLimitSeconds;
    while (now() < deadline) {
        const Window w = findGameWindow(d);
        if (w && readWindow(d, w) == reference)
            return now() - run.started();
        if (waitpid(run.pid(), nullptr, WNOHANG) != 0)
            return -1;
    }
    return -1;
}

bool prepare(benchmark::State& state, std::string* display, Display** d)
{
    XvfbServer* s = server();
    if (!s) {
        state.SkipWithError("Xvfb is not installed or did not start");
        return false;
    }
    *display = s->display();
    if (referenceScreen(*display).empty()) {
        state.SkipWithError("the game's window never settled");
        return false;
    }
    *d = XOpenDisplay(display->c_str());
    if (!*d) {
        state.SkipWithError("cannot open the X display");
        return false;
    }
    return true;
}

// Exec to the settled start screen, and the resident memory there.
void StartupToStartScreen(benchmark::State& state)
{
    const bool silent = state.range(0) != 0;
    std::string display;
    Display* d = nullptr;
    if (!prepare(state, &display, &d))
        return;
    ProcStatus status;
    for (auto _ : state) {
        GameRun run(display, silent);
        const double seconds = waitForStartScreen(d, run, referenceScreen(display));
        if (seconds < 0) {
            state.SkipWithError("the start screen never showed");
            break;
        }
        status = readStatus(run.pid());
        state.SetIterationTime(seconds);
        run.stop();
    }
    state.counters["VmRSS_MiB"] = status.rssMiB;
    state.counters["VmHWM_MiB"] = status.hwmMiB;
    XCloseDisplay(d);
}

// Processor time used while idling on the start screen.
void IdleOnStartScreen(benchmark::State& state)
{
    const bool silent = state.range(0) != 0;
    std::string display;
    Display* d = nullptr;
    if (!prepare(state, &display, &d))
        return;
    double cpu = 0;
    for (auto _ : state) {
        GameRun run(display, silent);
        if (waitForStartScreen(d, run, referenceScreen(display)) < 0) {
            state.SkipWithError("the start screen never showed");
            break;
        }
        const double before = cpuSeconds(run.pid());
        sleepMs(kIdleSeconds * 1000);
        cpu = cpuSeconds(run.pid()) - before;
        state.SetIterationTime(cpu);
        run.stop();
    }
    state.counters["cpu_ms_in_10s"] = cpu * 1000.0;
    state.counters["cpu_percent"] = cpu * 100.0 / kIdleSeconds;
    XCloseDisplay(d);
}

// Processor time used while a dealt board waits for the player: the clock
// ticks every second, nothing else moves.
void IdleInGame(benchmark::State& state)
{
    const bool silent = state.range(0) != 0;
    std::string display;
    Display* d = nullptr;
    if (!prepare(state, &display, &d))
        return;
    XTestPointer pointer;
    if (!pointer.open(display)) {
        state.SkipWithError("the X server has no XTEST extension");
        XCloseDisplay(d);
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        GameRun run(display, silent);
        const std::vector<uint32_t>& start = referenceScreen(display);
        if (waitForStartScreen(d, run, start) < 0) {
            state.SkipWithError("the start screen never showed");
            break;
        }
        // The start button's middle: (324, 429) and 120 x 40.
        const Window w = findGameWindow(d);
        pointer.click(w, 384, 449);
        const double deadline = now() + kStartLimitSeconds;
        while (now() < deadline && readWindow(d, w) == start)
            sleepMs(10);
        if (readWindow(d, w) == start) {
            state.SkipWithError("the board never showed");
            break;
        }
        // Past the deal's first frames and the start button's sound.
        sleepMs(1000);
        const double before = cpuSeconds(run.pid());
        sleepMs(kIdleSeconds * 1000);
        cpu = cpuSeconds(run.pid()) - before;
        state.SetIterationTime(cpu);
        run.stop();
    }
    state.counters["cpu_ms_in_10s"] = cpu * 1000.0;
    state.counters["cpu_percent"] = cpu * 100.0 / kIdleSeconds;
    XCloseDisplay(d);
}

double minimum(const std::vector<double>& v)
{
    double m = v.empty() ? 0 : v[0];
    for (double x : v)
        m = x < m ? x : m;
    return m;
}

double maximum(const std::vector<double>& v)
{
    double m = v.empty() ? 0 : v[0];
    for (double x : v)
        m = x > m ? x : m;
    return m;
}

} // namespace

// Argument 1: the silent sound device (-s); 0: sound through SDL's dummy
// audio driver, mixed on its thread as on a player's machine.
BENCHMARK(StartupToStartScreen)
    ->ArgName("silent")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(12)
    ->ComputeStatistics("min", minimum)
    ->ComputeStatistics("max", maximum)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(IdleOnStartScreen)->ArgName("silent")->Arg(1)->Arg(0)->UseManualTime()->Iterations(1)->Unit(
    benchmark::kMillisecond);
BENCHMARK(IdleInGame)->ArgName("silent")->Arg(1)->Arg(0)->UseManualTime()->Iterations(1)->Unit(
    benchmark::kMillisecond);
