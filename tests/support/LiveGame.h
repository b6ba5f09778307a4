// The game program running on a virtual X server with SDL's X11 driver and
// played through the server's XTEST pointer, as a player's mouse plays it:
// the server, the program (HOME and working directory in temporary folders,
// its journal recorded), its window, the pointer, and what the game wrote
// and showed. Used by the live-session test and the screenshot tool.
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HScreenPoint.h"
#include "game/ScreenGeometry.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"

#include <cstdint>
#include <string>
#include <vector>

class LiveGame {
public:
    // The game's screen: the window and the server are that size.
    static constexpr int kWidth = geo::kScreenW;
    static constexpr int kHeight = geo::kScreenH;

    using Pixels = std::vector<uint32_t>;

    // With a server, the game runs on that one (started here when it is
    // not running yet), so that several games, one after another, share
    // it; without, on a server of its own.
    explicit LiveGame(XvfbServer* server = nullptr);

    LiveGame(const LiveGame&) = delete;
    LiveGame& operator=(const LiveGame&) = delete;

    // Starts a 640 x 480 server (the pointer never leaves the window) and
    // the build's program build/bin/<program>, with "-journal"
    // and `args`; waits up to timeoutSeconds until its window is up and its
    // main loop has journaled an event. False with the reason in error().
    bool start(const std::string& program, const std::vector<std::string>& args, double timeoutSeconds);
    // When the window was first seen mapped (monotonicSeconds()).
    double mappedAt() const { return m_mappedAt; }
    const std::string& error() const { return m_error; }
    // Whether start failed only because Xvfb or XTEST is missing.
    bool unavailable() const { return m_bUnavailable; }

    // The time of the first event the game handled: the deal's seed time.
    uint64_t firstEventTime() const;
    // The records of journal.bin as the game has written them so far.
    std::vector<HEvent> journal() const;
    // Whether the journal holds a left-button press at p.
    bool pressed(HScreenPoint p) const;

    // Clicks p of the window and waits until the game has queued the press.
    bool click(HScreenPoint p, double timeoutSeconds);
    bool moveTo(HScreenPoint p);

    // The window's pixels as 0xRRGGBB, row by row.
    Pixels picture() const;
    // The window once two pictures 100 ms apart are the same.
    Pixels settled(double timeoutSeconds) const;

    RunningProgram& program() { return m_program; }
    const ProgramSandbox& sandbox() const { return m_sandbox; }
    const std::string& display() const { return m_pServer->display(); }

private:
    // Leak-checker suppressions for the program (sanitizer builds only read them).
    TempDir m_suppressions;
    XvfbServer m_ownServer;
    XvfbServer* m_pServer; // the own one or the shared one
    XTestPointer m_pointer;
    ProgramSandbox m_sandbox;
    RunningProgram m_program;
    unsigned long m_window;
    double m_mappedAt;
    std::string m_error;
    bool m_bUnavailable;
};
