// The program's entry: mends closed standard streams, turns the process's
// arguments into the resource directory and the command line of "+set"
// tokens, installs the signal handlers, and runs the one game object.
// Everything else the program does happens inside HPuzzleGame::go; a
// start-up that failed there ends the process with its own exit code.
#include "engine/core/HUnix.h"
#include "game/Qinvar.h"

#include <cstdlib>

namespace {

// The product key of the per-user registry that the full-screen options
// write.
const char* const kProductName = "Qinvar";

// What the start-up puts on the heap (archive, sprites, decoders' buffers,
// sounds) with room for the first board's tile set and table top.
constexpr size_t kStartupHeapBytes = 24u << 20;

char s_szResourceDir[4096];
char s_szCommandLine[2000];

} // namespace

// The game object: built by static initialisation before main runs, destroyed
// by the exit functions after it (after the per-user registry, built later,
// has written its file).
Qinvar g_qv;

int main(int argc, char** argv)
{
    // Before anything is opened: the command line's -f and -w already write
    // the registry.
    HUnix::s_openClosedStandardStreams();
    HUnix::s_ignoreWriteSignals();
    HUnix::s_prepareHeap(kStartupHeapBytes);
    HUnix::s_calcResourceDir(s_szResourceDir, 4095, argc > 0 ? argv[0] : "");
    HUnix::s_buildCommandLine(s_szCommandLine, sizeof(s_szCommandLine), argc, argv, kProductName);
    HUnix::s_initBacktraceSignals();
    // Before the media library starts, which would otherwise take SIGINT and
    // SIGTERM for window-close requests (asking for a confirmation).
    HUnix::s_initTerminationSignals();
    const bool ran = g_qv.go(s_szCommandLine, s_szResourceDir);
    // A run that could not store what it held says so in its exit code.
    std::exit(ran ? g_qv.m_getExitCode() : HUnix::kExitStartupFailed);
}
