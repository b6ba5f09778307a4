// The game, run in the test's own process as the program runs it: the real
// start-up with the build's resource archive on SDL's dummy video driver and
// the silent sound device, HOME in a temporary folder (the registry lives
// there), and the real main loop fed by a script of event batches with
// chosen times (one batch per pass of the loop, each followed by a drawing
// pass). A test can look at the game and at the screen between batches.
//
// Only one session may run at a time: the game is the running game of the
// process while it lives.
#pragma once

#include "game/Qinvar.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScriptedEventSource.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QinvarSession {
public:
    // The script's clock starts at startMs: the first batch's time seeds the
    // deal (see firstTime()).
    // `make` builds the game object (a test's subclass of Qinvar that opens
    // up what it needs to look at); a plain Qinvar without it.
    explicit QinvarSession(uint64_t startMs = 1000, std::function<Qinvar*()> make = nullptr);
    // Shuts the game down when it still runs, restores HOME.
    ~QinvarSession();

    QinvarSession(const QinvarSession&) = delete;
    QinvarSession& operator=(const QinvarSession&) = delete;

    // Writes a registry file under the session's HOME before start(), e.g.
    // to start with stored options or best times.
    const TempDir& home() const { return m_home; }
    std::string registryPath() const;

    // Starts the game as the program's entry does ("+set" tokens of
    // `commandLine` are applied after the session's own: silent sound, system
    // cursor). False when start-up failed (the game is shut down again).
    bool start(const std::string& commandLine = "");
    // Runs the main loop over the script; once the script is used up the
    // source keeps asking to quit, so the loop ends (after a confirmation
    // the quit request answers). Then both halves of shutdown.
    void run();
    // Both halves of shutdown, when not done yet.
    void shutdown();

    Qinvar& game() { return *m_game; }
    ScriptedEventSource& script() { return m_script; }

    // The screen, read from SDL's video surface: 8-bit red, green, blue.
    void rgbAt(int32_t x, int32_t y, uint8_t* r, uint8_t* g, uint8_t* b) const;
    uint32_t rgbAt(int32_t x, int32_t y) const; // 0xRRGGBB
    // Writes the screen as an RGB PNG.
    bool savePng(const std::string& path) const;

private:
    TempDir m_home;
    ScopedEnv m_homeVariable;
    std::unique_ptr<Qinvar> m_game;
    ScriptedEventSource m_script;
    bool m_bStarted;
    bool m_bShutDown;
};

// A session of a test's own game class (a subclass of Qinvar with a default
// constructor), which game() returns as that class.
template <class Game>
class GameSession : public QinvarSession {
public:
    explicit GameSession(uint64_t startMs = 1000) : QinvarSession(startMs, [] { return new Game(); }) {}

    Game& game() { return static_cast<Game&>(QinvarSession::game()); }
};
