// Start-up helpers the program entry calls once, before any engine object
// starts: the heap made ready for the start-up, the resource directory from
// the executable's location, the command line turned into "+set" tokens, the
// usage text, the full-screen choice written to the per-user registry, the
// standard streams and the signals of the process, the fatal-signal handlers
// and the termination-signal handlers.
#pragma once

#include <cstddef>

class HUnix {
public:
    HUnix() = delete;

    // The process's exit codes: a run that ended as the player or the
    // system asked (a quit, the window closed, a termination signal, the
    // partner link), the usage text and a demo file name that cannot be
    // used, a start-up that failed (no archive, no display, assets that did
    // not load), and a run that ended without storing something it held (a
    // result, a name, a choice, a Clear) because its last saves failed. A
    // fatal signal exits with its number plus 127.
    static constexpr int kExitNormal = 0;
    static constexpr int kExitUsage = 42;
    static constexpr int kExitStartupFailed = 1;
    static constexpr int kExitNotStored = 3;

    // Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed,
    // so that no file the program opens later takes one of them and
    // receives what is written to standard output or error. Called first
    // of all, before anything is opened.
    static void s_openClosedStandardStreams();
    // A write past the file-size limit (SIGXFSZ) or into a pipe that nobody
    // reads (SIGPIPE) fails with an error instead of ending the process: a
    // save then fails as on a full disk, a message is lost, and the game
    // goes on.
    static void s_ignoreWriteSignals();

    // Scans argv[1..] and writes the "+set" token string into buf. May end
    // the process: the usage text (-h) and a missing or unusable demo file
    // name exit 42.
    static bool s_buildCommandLine(char* buf, int size, int argc, char** argv, const char* product);
    [[noreturn]] static void s_doUsage();
    // Ends the process with exit code 42 when the demo file name cannot be
    // passed on in the "+set" tokens whole: an empty name, or one holding a
    // blank or a ';' (the tokens' separators).
    static void s_checkDemoFileName(const char* name);
    // Stores "Fullscreen" in the per-user registry of the company "Moravel".
    static void s_setFullscreenValue(const char* product, int value);
    // The executable's absolute path as a new[] array the caller deletes;
    // never null: when it cannot be found, the current directory joined with
    // argv0 stands in.
    static char* s_getExePath(const char* argv0);
    // The executable's directory's parent plus "/Resources/".
    static void s_calcResourceDir(char* dst, int len, const char* argv0);
    static void s_initBacktraceSignals();
    // SIGTERM, SIGINT, SIGHUP and SIGXCPU (a processor-time limit) end the
    // game as a confirmed quit does, also during a demo and inside a
    // dialog: their handler only stores the request
    // (HEventManager::s_requestTermination) that the event loops look at.
    // SIGINT or SIGHUP that the process was started with ignored (a
    // background job, nohup) stays ignored.
    static void s_initTerminationSignals();
    // Makes the heap hold `bytes` at once that the start-up will fill (the
    // archive, every sprite's pixels, the decoders' buffers), growing it by
    // what it lacks of them, asks the kernel to back them with huge pages,
    // and keeps freed memory in
    // the heap, so that a decoder's buffer is reused rather than faulted in
    // afresh. Where every 4 KiB page fault is dear (a virtual machine), this
    // takes most of the faults out of the start-up. Does nothing where the
    // C library or the kernel lacks the means (or a sanitizer owns the heap).
    static void s_prepareHeap(size_t bytes);

    // The usage text names the game; the framework installs the function
    // that tells its name (the core cannot reach the game object itself).
    using GameNameFunction = const char* (*)();
    static void s_setGameNameFunction(GameNameFunction fn);
    // The installed function's answer; null without one.
    static const char* s_getGameName();

private:
    static GameNameFunction sm_pGameName;
};
