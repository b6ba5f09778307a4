// Plays the game with arbitrary input: the bytes become a short sequence of
// events as the input device makes them (clicks on and off the tiles, right
// clicks, the game's keys, the space bar held and let go, focus lost and
// regained, the panel's, the end screens' and the dialogs' buttons, a quit
// request, time going by), fed to the real game object through its main
// loop (and the loops of the dialogs it opens) on a dealt board. After every
// event the rules are checked: the board's (BoardInvariants), the clock's
// (never backwards; the play time without the pauses plus the penalties,
// which are the hints', undos' and shuffles') and the game states' (one of
// the five, moving only as the play flow allows). A broken rule aborts with
// the events that led to it.
//
// The game starts once, on SDL's dummy drivers with the recording display
// and the silent sound device, from the build's resource archive; each input
// then begins with the same clock, a fresh deal of the layout and seed the
// input names, and the play flow's state as at a new start.
//
// Input: layout (1 byte), automatic hints (1 byte, low bit), seed (4
// bytes), then up to kMaxOps operations of an opcode byte and its operands
// (see decode).
#include "engine/core/HEventManager.h"
#include "engine/core/HKeyCodes.h"
#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"
#include "tests/game/GameScreen.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardInvariants.h"
#include "tests/support/ImageDisplayDevice.h"
#include "tests/support/InputEvents.h"
#include "tests/support/OpenQinvar.h"
#include "tests/support/QinvarSession.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kStartMs = 5000000;
constexpr int kMaxOps = 96;
// Each event comes this long after the one before it.
constexpr uint64_t kEventGapMs = 5;

// The game on the recording display, its partner link kept in the process,
// and a way back to a fresh start for the next input.
class PlayFuzzGame : public OpenQinvar {
public:
    bool m_createDisplayDevice(const char* title, bool fullscreen, bool flag, int width, int height) override
    {
        return ImageDisplayDevice::s_install(this, &m_pDisplayDevice, width, height, title, fullscreen, flag);
    }
    // The partner link would end the process.
    void goToPartnerSite(const char*, const char*, const char*) override {}

    // What a new start of the program would have, then a board dealt on
    // `layout` from `seed` at the game clock `now`.
    void freshBoard(int32_t layout, bool autoHint, uint32_t seed, uint64_t now)
    {
        setGameClock(MvTime::s_fromTime64(now));
        // The last input may have ended the game; only the harness brings
        // it back.
        if (m_iGameState == GS_QUITTING)
            m_iGameState = GS_START;
        m_bDebugMode = false;
        m_iDebugSequence = 0;
        restartGame(false);
        for (QVTile*& hint : m_apHintTiles)
            hint = nullptr;
        m_hintTime = MvTime{0, 0};
        m_noMatchTime = MvTime{0, 0};
        m_bShowMovesKeyHeld = false;
        m_lastMouseMovePoint = HScreenPoint{0, 0};
        m_iLastClockSeconds = 0;
        m_board.hoverTile = nullptr;
        m_options.layout = layout;
        m_options.autoHint = autoHint ? 1 : 0;
        m_rng.seedRNG(seed);
        m_bRNGSeeded = true;
        startBoard();
        if (ImageDisplayDevice* screen = static_cast<ImageDisplayDevice*>(m_pDisplayDevice))
            screen->clearRecords();
    }
};

// What a click aims at when its place is chosen only as it is delivered.
enum Aim : uint8_t {
    AIM_NONE,
    AIM_FREE_TILE,    // the pick-th present free tile, in slot order
    AIM_PARTNER,      // the pick-th free partner of the selected tile
    AIM_LAST_PRESS,   // where the press before it was (its release)
};

// One scripted event and how it reads in a report.
struct Step {
    HEvent event;
    std::string text;
    Aim aim;
    uint8_t pick;
};

// The input's bytes, read front to back; zeros once used up.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size), m_at(0) {}
    bool more() const { return m_at < m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    uint32_t u32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return v;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at;
};

struct Button {
    const char* name;
    HScreenRect (*rect)();
};

HScreenRect confirmYes()
{
    return screen::confirmationButton(true);
}
HScreenRect confirmNo()
{
    return screen::confirmationButton(false);
}

// Every button a player of a board reaches, on the panel, the screens and
// in the dialogs play opens (the options are left out: their full-screen
// switch rebuilds the devices and their link leaves the game).
const Button kButtons[] = {
    {"new game", screen::newGameButton},
    {"rules", screen::rulesButton},
    {"hint", screen::hintButton},
    {"show moves", screen::showMovesButton},
    {"pause", screen::pauseButton},
    {"undo", screen::undoPanelButton},
    {"shuffle", screen::shufflePanelButton},
    {"exit", screen::exitButton},
    {"start", screen::startButton},
    {"continue", screen::continueButton},
    {"confirm yes", confirmYes},
    {"confirm no", confirmNo},
    {"dialog shuffle", screen::shuffleButton},
    {"dialog undo", screen::undoButton},
    {"dialog end game", screen::endGameButton},
    {"name OK", screen::nameEntryOkButton},
    {"rules done", screen::rulesDoneButton},
    {"rules next", screen::rulesNextButton},
};
constexpr int kButtonCount = static_cast<int>(sizeof(kButtons) / sizeof(kButtons[0]));

// The game's keys, the debug sequence and its keys, Return (closes the
// message boxes and the name entry) and a key the game does not use.
const char kKeys[] = {'h', 'f', 'u', 's', 'q', 'v', 'd', 'm', 'n', '\r', 'x'};
constexpr int kKeyCount = static_cast<int>(sizeof(kKeys));

std::string pointText(const char* what, HScreenPoint p)
{
    char text[96];
    std::snprintf(text, sizeof(text), "%s (%d, %d)", what, p.x, p.y);
    return text;
}

// The events of the input, on the tiles of `board` (their places are the
// layout's, the same for every deal of it).
std::vector<Step> decode(Reader& in, const QVBoard& board, uint64_t start)
{
    std::vector<Step> steps;
    uint64_t t = start;
    auto add = [&](const HEvent& e, const std::string& text, Aim aim = AIM_NONE, uint8_t pick = 0) {
        steps.push_back(Step{e, text, aim, pick});
    };
    auto faceOf = [&](uint8_t slotByte, uint8_t jitter) {
        const HScreenPoint middle = ArchiveBoard::s_faceCentre(board.tiles[slotByte % QVBoard::kTileCount]);
        return HScreenPoint{middle.x + (jitter & 15) - 8, middle.y + (jitter >> 4) * 2 - 16};
    };
    auto click = [&](HScreenPoint p, uint32_t button, const char* what) {
        t += kEventGapMs;
        add(InputEvents::s_buttonDown(t, p, button), pointText(what, p));
        t += kEventGapMs;
        add(InputEvents::s_buttonUp(t, p, button), "  and released");
    };
    for (int op = 0; op < kMaxOps && in.more(); ++op) {
        const uint8_t code = in.byte() % 20;
        switch (code) {
        case 19: {
            // A key held down: the device repeats its press, then the release.
            const char c = kKeys[in.byte() % kKeyCount];
            const int presses = 1 + in.byte() % 64;
            char text[48];
            std::snprintf(text, sizeof(text), c == '\r' ? "key Return held" : "key %c held", c);
            for (int i = 0; i < presses; ++i) {
                t += kEventGapMs;
                add(InputEvents::s_typed(t, c), i == 0 ? text : "  repeated");
            }
            t += kEventGapMs;
            add(InputEvents::s_typedUp(t, c), "  and released");
            break;
        }
        case 17:
        case 18: {
            // Aimed when delivered: a free tile, or a partner of the selection.
            const Aim aim = code == 17 ? AIM_FREE_TILE : AIM_PARTNER;
            const uint8_t pick = in.byte();
            t += kEventGapMs;
            add(InputEvents::s_buttonDown(t, HScreenPoint{0, 0}), "", aim, pick);
            t += kEventGapMs;
            add(InputEvents::s_buttonUp(t, HScreenPoint{0, 0}), "  and released", AIM_LAST_PRESS);
            break;
        }
        case 0:
        case 1:
        case 2:
        case 3: {
            const uint8_t slot = in.byte();
            click(faceOf(slot, in.byte()), KC_LBUTTON, "click on a tile at");
            break;
        }
        case 4: {
            const uint8_t slot = in.byte();
            click(faceOf(slot, in.byte()), KC_RBUTTON, "right click at");
            break;
        }
        case 5: {
            const int32_t x = in.byte() * geo::kScreenW / 256;
            const int32_t y = in.byte() * geo::kScreenH / 256;
            click(HScreenPoint{x, y}, (in.byte() & 1) ? KC_RBUTTON : KC_LBUTTON, "click at");
            break;
        }
        case 6:
        case 7: {
            const Button& b = kButtons[in.byte() % kButtonCount];
            click(screen::middle(b.rect()), KC_LBUTTON, (std::string("button ") + b.name + " at").c_str());
            break;
        }
        case 8:
        case 9: {
            const char c = kKeys[in.byte() % kKeyCount];
            char text[32];
            std::snprintf(text, sizeof(text), c == '\r' ? "key Return" : "key %c", c);
            t += kEventGapMs;
            add(InputEvents::s_typed(t, c), text);
            t += kEventGapMs;
            add(InputEvents::s_typedUp(t, c), "  and released");
            break;
        }
        case 10:
            t += kEventGapMs;
            add(InputEvents::s_typed(t, ' '), "space pressed");
            break;
        case 11:
            t += kEventGapMs;
            add(InputEvents::s_typedUp(t, ' '), "space released");
            break;
        case 12:
        case 13: {
            const uint64_t unit = code == 12 ? 10 : 500;
            t += (in.byte() + 1u) * unit;
            char text[48];
            std::snprintf(text, sizeof(text), "time stamp at %llu", static_cast<unsigned long long>(t));
            add(InputEvents::s_timestamp(t), text);
            break;
        }
        case 14: {
            const bool gained = in.byte() & 1;
            t += kEventGapMs;
            add(InputEvents::s_activate(t, gained), gained ? "focus gained" : "focus lost");
            break;
        }
        case 15: {
            const uint8_t slot = in.byte();
            const HScreenPoint p = faceOf(slot, in.byte());
            t += kEventGapMs;
            add(InputEvents::s_mouseMove(t, p), pointText("pointer to", p));
            break;
        }
        default:
            t += kEventGapMs;
            add(InputEvents::s_quit(t), "quit request");
            break;
        }
    }
    return steps;
}

// What the checks remember of the moment before.
struct Moment {
    BoardInvariants::Snapshot board;
    int32_t state;
    uint64_t now;
    int32_t clockSeconds;
    QVGameStats stats;
    int32_t penalty;
    bool paused;
};

bool ended(int32_t state)
{
    return state == GS_WON || state == GS_NO_MORE_MOVES;
}

bool transitionAllowed(int32_t from, int32_t to)
{
    if (from == to || to == GS_QUITTING)
        return true;
    switch (from) {
    case GS_START:
        return to == GS_PLAYING;
    case GS_PLAYING:
        return to == GS_WON || to == GS_NO_MORE_MOVES || to == GS_START;
    case GS_WON:
    case GS_NO_MORE_MOVES:
        return to == GS_START;
    default:
        return false;
    }
}

class Harness {
public:
    Harness() : m_session(1000), m_bStarted(false)
    {
        m_bStarted = m_session.start();
        // Each input ends with a termination request instead (below).
        m_session.script().setQuitWhenDone(false);
    }

    void play(const uint8_t* data, size_t size)
    {
        if (!m_bStarted) {
            std::fprintf(stderr, "the game did not start (is the resource archive built?)\n");
            std::abort();
        }
        Reader in(data, size);
        const int32_t layout = in.byte() % QVBoard::kLayoutCount;
        const bool autoHint = in.byte() & 1;
        const uint32_t seed = in.u32();

        // The script's clock back at the start, the last input's termination
        // request forgotten; what it left queued (its dialogs' closing mouse
        // moves) belongs to it.
        ScriptedEventSource& script = m_session.script();
        script.clear();
        script.install(kStartMs);
        HEventManager* events = m_session.game().getEventManager();
        HEvent stale;
        while (events->peekEvent(&stale))
            events->getEvent(&stale, false);
        PlayFuzzGame& game = m_session.game();
        game.freshBoard(layout, autoHint, seed, kStartMs);
        if (game.getState() != GS_PLAYING || game.isPaused() || game.isSuspended()) {
            std::fprintf(stderr, "the harness did not bring the game back to a board in play\n");
            std::abort();
        }

        m_steps = decode(in, *game.getBoard(), kStartMs);
        char text[96];
        std::snprintf(text, sizeof(text), "layout %d, automatic hints %s, seed %u", layout, autoHint ? "on" : "off",
                      seed);
        m_header = text;
        m_bFirst = true;
        for (size_t i = 0; i <= m_steps.size(); ++i) {
            std::vector<HEvent> batch;
            if (i < m_steps.size())
                batch.push_back(m_steps[i].event);
            script.batch(batch, [this, i] {
                m_check(i);
                // After the last check every loop ends at once, the dialogs'
                // (the rules keep a quit request for later) and the main loop.
                if (i == m_steps.size())
                    HEventManager::s_requestTermination();
            });
        }
        game.m_runGame();
        // A confirmed quit ends the main loop before the rest of the input.
        if (!script.everyCheckRan() && game.getState() != GS_QUITTING) {
            std::fprintf(stderr, "the main loop ended before every event was played (%d of %d checks)\n",
                         script.checksRun(), script.checksScripted());
            m_fail(m_steps.size(), "the game stopped taking events");
        }
    }

private:
    Moment m_observe()
    {
        PlayFuzzGame& game = m_session.game();
        return Moment{BoardInvariants::Snapshot::s_take(*game.getBoard(), m_bFirst ? nullptr : &m_last.board),
                      game.getState(),
                      game.getGameClock().getTime64(),
                      game.m_getClockSeconds(),
                      game.getGameStats(),
                      game.getPenaltySeconds(),
                      game.isPaused()};
    }

    [[noreturn]] void m_fail(size_t played, const std::string& rule)
    {
        std::fprintf(stderr, "\nA rule of play was broken: %s\n%s\nafter these events:\n", rule.c_str(),
                     m_header.c_str());
        for (size_t i = 0; i < played && i < m_steps.size(); ++i)
            std::fprintf(stderr, "  #%zu t=%llu %s\n", i,
                         static_cast<unsigned long long>(m_steps[i].event.time.getTime64()), m_steps[i].text.c_str());
        std::abort();
    }

    // The point of an aimed click, from the board as it is now: the middle
    // of the face of the tile aimed at, or an empty corner of the board
    // area when there is none.
    void m_aim(size_t i, const BoardInvariants::Snapshot& shown)
    {
        Step& step = m_steps[i];
        if (step.aim == AIM_NONE)
            return;
        HScreenPoint p{630, 5};
        const QVBoard& board = *m_session.game().getBoard();
        if (step.aim == AIM_LAST_PRESS) {
            if (i > 0)
                p = m_steps[i - 1].event.point;
        } else {
            // A partner: a free tile of the selected one's group, not itself.
            const int32_t selected = shown.selected;
            const int32_t group = selected >= 0 ? shown.tiles[static_cast<size_t>(selected)].matchGroup : -1;
            std::vector<int32_t> candidates;
            if (step.aim == AIM_FREE_TILE) {
                candidates = shown.freeSlots();
            } else if (group >= 0) {
                candidates = shown.freeSlots(group);
                candidates.erase(std::remove(candidates.begin(), candidates.end(), selected), candidates.end());
            }
            char text[96];
            if (!candidates.empty()) {
                const int32_t slot = candidates[step.pick % candidates.size()];
                p = ArchiveBoard::s_faceCentre(board.tiles[slot]);
                std::snprintf(text, sizeof(text), "click on free %s slot %d at (%d, %d)",
                              step.aim == AIM_PARTNER ? "partner" : "tile", slot, p.x, p.y);
            } else {
                std::snprintf(text, sizeof(text), "click with no free %s, at (%d, %d)",
                              step.aim == AIM_PARTNER ? "partner" : "tile", p.x, p.y);
            }
            step.text = text;
        }
        step.event.point = p;
        m_session.script().upcoming().front().point = p;
    }

    // The rules after the first `played` events.
    void m_check(size_t played)
    {
        const Moment now = m_observe();
        if (played < m_steps.size())
            m_aim(played, now.board);
        const std::string board = BoardInvariants::s_check(now.board);
        if (!board.empty())
            m_fail(played, board);
        if (now.state < GS_START || now.state > GS_QUITTING)
            m_fail(played, "the game state is " + std::to_string(now.state));
        if (m_bFirst) {
            m_bFirst = false;
            m_newBoard(now, played);
            m_last = now;
            return;
        }
        const Moment& before = m_last;
        if (now.now < before.now)
            m_fail(played, "the game clock went back");
        if (before.paused)
            m_uPausedMs += now.now - before.now;
        if (!transitionAllowed(before.state, now.state))
            m_fail(played, "the game state went from " + std::to_string(before.state) + " to " +
                               std::to_string(now.state));

        if (before.state != GS_PLAYING && now.state == GS_PLAYING) {
            m_newBoard(now, played);
        } else {
            BoardInvariants::Allowed allowed;
            allowed.shuffle = now.stats.shuffles > before.stats.shuffles;
            allowed.undoCleared =
                allowed.shuffle || (now.state != before.state && ended(now.state));
            const std::string step = BoardInvariants::s_checkStep(before.board, now.board, allowed);
            if (!step.empty())
                m_fail(played, step);
            if (now.stats.hints < before.stats.hints || now.stats.undos < before.stats.undos ||
                now.stats.shuffles < before.stats.shuffles)
                m_fail(played, "a count of hints, undos or shuffles went down");
            const bool running = before.state == GS_PLAYING || before.state == GS_WON || before.state == GS_NO_MORE_MOVES;
            if (running && (now.state == GS_PLAYING || ended(now.state)) && now.clockSeconds < before.clockSeconds)
                m_fail(played, "the clock went back from " + std::to_string(before.clockSeconds) + " to " +
                                   std::to_string(now.clockSeconds) + " seconds");
        }

        if (now.state == GS_WON && before.state != GS_WON && now.board.tilesLeft != 0)
            m_fail(played, "the game was won with tiles left");
        if (now.state == GS_NO_MORE_MOVES && before.state != GS_NO_MORE_MOVES &&
            BoardInvariants::s_recountMoves(now.board) != 0)
            m_fail(played, "the game ended for want of moves while a free pair was left");

        const int32_t penalty = 30 * now.stats.hints + 60 * now.stats.undos + 120 * now.stats.shuffles;
        if (now.penalty != penalty)
            m_fail(played, "the penalty is " + std::to_string(now.penalty) + " seconds, the hints, undos and shuffles make " +
                               std::to_string(penalty));
        const uint64_t elapsed = now.now - m_uBoardStart;
        const int64_t expected = static_cast<int64_t>((elapsed - m_uPausedMs) / 1000) + penalty;
        if (now.state == GS_PLAYING && now.clockSeconds != expected)
            m_fail(played, "the clock shows " + std::to_string(now.clockSeconds) +
                               " seconds; play time without pauses and the penalties make " + std::to_string(expected));
        if (ended(now.state)) {
            if (now.clockSeconds != now.stats.gameSeconds)
                m_fail(played, "the clock of an ended game is not its final time");
            if (now.state != before.state && now.stats.gameSeconds != expected)
                m_fail(played, "the final time is " + std::to_string(now.stats.gameSeconds) +
                                   " seconds; play time without pauses and the penalties make " +
                                   std::to_string(expected));
        }
        m_last = now;
    }

    void m_newBoard(const Moment& now, size_t played)
    {
        const std::string deal = BoardInvariants::s_checkDeal(now.board);
        if (!deal.empty())
            m_fail(played, deal);
        if (now.stats.hints != 0 || now.stats.undos != 0 || now.stats.shuffles != 0 || now.penalty != 0)
            m_fail(played, "a new board starts with counts or penalties of the last");
        m_uBoardStart = now.now;
        m_uPausedMs = 0;
    }

    GameSession<PlayFuzzGame> m_session;
    bool m_bStarted;
    std::vector<Step> m_steps;
    std::string m_header;
    bool m_bFirst = true;
    Moment m_last{};
    uint64_t m_uBoardStart = 0;
    uint64_t m_uPausedMs = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Started once: the game's start-up reads the whole archive.
    static Harness harness;
    harness.play(data, size);
    return 0;
}
