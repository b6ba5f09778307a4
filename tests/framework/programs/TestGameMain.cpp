// The test-game program of the whole-process tests: the framework's real
// start-up, main loop and shutdown around the recording TestGame, whose hook
// lines go to trace.txt beside the framework's own. The options of the real
// program come from the command line (-trace, -journal, -demo FILE, -s);
// what only this program needs comes from the environment:
//   QVTEST_RESOURCES   resource archive or directory opened at start-up
//   QVTEST_NO_DEVICES  1: no display, input or audio device is made
//   QVTEST_CONTROL     "left,top,right,bottom": a control that takes clicks
//   QVTEST_STAGES      "a.bin;b.bin": demo files played after the first
//   QVTEST_LIVE_QUIT   n: quit on the n-th live time stamp
//   QVTEST_PRODUCT     product name of the per-user registry to read
#include "engine/core/HUnix.h"
#include "tests/support/TestGame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Static like the real game object.
TestGame g_game;
char g_commandLine[2000];

const char* env(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    HUnix::s_buildCommandLine(g_commandLine, sizeof(g_commandLine), argc, argv, "QVTestGame");

    TestGame::Setup& setup = g_game.setup();
    setup.devices = env("QVTEST_NO_DEVICES") == nullptr;
    if (const char* resources = env("QVTEST_RESOURCES"))
        setup.resources = resources;
    if (const char* product = env("QVTEST_PRODUCT"))
        setup.productName = product;
    if (const char* control = env("QVTEST_CONTROL")) {
        int l = 0, t = 0, r = 0, b = 0;
        if (std::sscanf(control, "%d,%d,%d,%d", &l, &t, &r, &b) == 4) {
            setup.control = true;
            setup.controlRect = HScreenRect(l, t, r, b);
        }
    }
    if (const char* stages = env("QVTEST_STAGES")) {
        std::string list = stages;
        for (size_t at = 0; at <= list.size();) {
            const size_t end = list.find(';', at);
            const std::string name = list.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (!name.empty())
                setup.stages.push_back(name);
            if (end == std::string::npos)
                break;
            at = end + 1;
        }
    }
    if (const char* quit = env("QVTEST_LIVE_QUIT"))
        setup.liveQuitAfter = std::atoi(quit);

    g_game.setTraceHooks(true);
    const bool ran = g_game.go(g_commandLine, setup.resources.c_str());
    std::exit(ran ? HUnix::kExitNormal : HUnix::kExitStartupFailed);
}
