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
#include "game/ScreenGeometry.h"
#include "tests/game/GameScreen.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <signal.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = geo::kScreenW;
constexpr int kHeight = geo::kScreenH;
// Longest a start-up may take before a run counts as failed.
constexpr double kStartLimitSeconds = 20.0;
// How long the window must stay unchanged to count as settled when the
// reference picture is learnt.
constexpr double kSettleSeconds = 2.0;
constexpr int kIdleSeconds = 10;

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
    return XvfbServer::s_readWindow(d, w, kWidth, kHeight);
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

// One run of the game on the server, from its exec, in a sandbox of its own
// (fresh HOME and working directory) with SDL's X11 driver.
class GameRun {
public:
    // silent: "-s" (the silent sound device) instead of SDL's dummy driver.
    GameRun(const std::string& display, bool silent) : m_started(0)
    {
        const std::vector<std::string> args = silent ? std::vector<std::string>{"-s"} : std::vector<std::string>{};
        m_started = monotonicSeconds();
        m_sandbox.start(&m_program, buildProgram("qvgame"), args,
                        {{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}, {"SDL_AUDIODRIVER", "dummy"}});
    }
    ~GameRun() { stop(); }

    pid_t pid() const { return m_program.pid(); }
    double started() const { return m_started; }
    bool running() { return m_program.running(); }

    // Ends the game: SIGTERM (a quit request), then SIGKILL after 5 s.
    void stop()
    {
        if (!m_program.running())
            return;
        kill(m_program.pid(), SIGTERM);
        m_program.wait(5);
    }

private:
    ProgramSandbox m_sandbox;
    RunningProgram m_program;
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
    const double deadline = monotonicSeconds() + kStartLimitSeconds + kSettleSeconds;
    while (monotonicSeconds() < deadline) {
        const Window w = findGameWindow(d);
        std::vector<uint32_t> pixels = w ? readWindow(d, w) : std::vector<uint32_t>();
        if (!pixels.empty() && pixels == last) {
            if (monotonicSeconds() - stableSince >= kSettleSeconds) {
                reference = pixels;
                break;
            }
        } else {
            last = pixels;
            stableSince = monotonicSeconds();
        }
        sleepMilliseconds(20);
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
        std::ofstream(testBinDir() + "/../startup_time_screen.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    }
    return reference;
}

// Polls the run's window until it holds the reference; the seconds since
// the exec, or a negative value when it never did.
double waitForStartScreen(Display* d, GameRun& run, const std::vector<uint32_t>& reference)
{
    const double deadline = run.started() + kStartLimitSeconds;
    while (monotonicSeconds() < deadline) {
        const Window w = findGameWindow(d);
        if (w && readWindow(d, w) == reference)
            return monotonicSeconds() - run.started();
        if (!run.running())
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
        sleepMilliseconds(kIdleSeconds * 1000);
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
        const Window w = findGameWindow(d);
        const HScreenPoint startButton = screen::middle(screen::startButton());
        pointer.click(w, startButton.x, startButton.y);
        const double deadline = monotonicSeconds() + kStartLimitSeconds;
        while (monotonicSeconds() < deadline && readWindow(d, w) == start)
            sleepMilliseconds(10);
        if (readWindow(d, w) == start) {
            state.SkipWithError("the board never showed");
            break;
        }
        // Past the deal's first frames and the start button's sound.
        sleepMilliseconds(1000);
        const double before = cpuSeconds(run.pid());
        sleepMilliseconds(kIdleSeconds * 1000);
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
