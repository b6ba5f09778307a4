// Plays the game with arbitrary input: the bytes become a short sequence of
// events as the input device makes them (clicks on and off the tiles, right
// clicks, the game's keys, typed text, the space bar held and let go, focus
// lost and regained, the panel's, the end screens' and the dialogs' buttons,
// a quit request, time going by, and whole pairs played as a player who
// means to win or to get stuck would play them), fed to the real game
// object through its main loop (and the loops of the dialogs it opens) on a
// dealt board. After every event the rules are checked: the board's
// (BoardInvariants), the end of a game both ways (won exactly when no tile
// is left; a board in play with tiles and no free pair only under the
// no-more-moves dialog), the clock's (never backwards; the play time without
// the pauses plus the penalties, which are the hints', undos' and shuffles';
// the pauses taken from what the harness sees and sent: a dialog up, the
// pause screen, the focus taken away) and the game states' (one of the
// five, moving only as the play flow allows). A broken rule aborts with the
// events that led to it.
//
// The game starts on SDL's dummy drivers with the recording display and the
// silent sound device, from the build's resource archive; each input then
// begins as New game leaves a game (m_startFreshGame), with the same clock,
// a fresh deal of the layout and seed the input names, the space bar up and
// the pointer parked. When the input before left what only a new start of
// the program clears (the game quit, debug mode touched, best times or a
// name stored), the game is started again first.
//
// Input: layout (1 byte), automatic hints (1 byte, low bit), seed (4
// bytes), then up to kMaxOps operations of an opcode byte and its operands
// (see decode), and at most kMaxSteps events. With QV_PLAY_REPORT set in the
// environment, each input ends with a line of what it reached; set to 2, the
// events are listed as well, as a broken rule lists them.
#include "engine/core/HEventManager.h"
#include "engine/core/HKeyCodes.h"
#include "engine/core/HObjectStack.h"
#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"
#include "tests/game/GameScreen.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardInvariants.h"
#include "tests/support/BoardSolver.h"
#include "tests/support/ImageDisplayDevice.h"
#include "tests/support/InputEvents.h"
#include "tests/support/OpenQinvar.h"
#include "tests/support/QinvarSession.h"
#include "ui/MVDialog.h"
#include "ui/MVSprite.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kStartMs = 5000000;
constexpr int kMaxOps = 96;
// However the operations expand (a run of pairs is four events a pair).
constexpr size_t kMaxSteps = 1200;
// Each event comes this long after the one before it.
constexpr uint64_t kEventGapMs = 5;
// Where a click lands that has nothing to aim at: the left panel, above
// its buttons and outside the board area (a click there does not resume).
constexpr HScreenPoint kNowhere{2, 2};
// The positions the solver may visit looking for a way to clear the board.
constexpr int32_t kPlanBudget = 3000;

// The game on the recording display, its partner link kept in the process.
class PlayFuzzGame : public OpenQinvar {
public:
    bool m_createDisplayDevice(const char* title, bool fullscreen, bool flag, int width, int height) override
    {
        return ImageDisplayDevice::s_install(this, &m_pDisplayDevice, width, height, title, fullscreen, flag);
    }
    // The partner link would end the process.
    void goToPartnerSite(const char*, const char*, const char*) override {}

    // What the game has just after its start-up, to tell later whether an
    // input left what only a new start clears.
    void noteStart()
    {
        std::memcpy(m_aStartHighScores, m_aHighScores, sizeof(m_aHighScores));
        std::memcpy(m_szStartName, m_options.lastHighScoreName, sizeof(m_szStartName));
    }
    bool asAtStart() const
    {
        return m_iGameState != GS_QUITTING && !m_bDebugMode && m_iDebugSequence == 0 &&
               std::memcmp(m_aStartHighScores, m_aHighScores, sizeof(m_aHighScores)) == 0 &&
               std::memcmp(m_szStartName, m_options.lastHighScoreName, sizeof(m_szStartName)) == 0;
    }

    // A fresh game as New game leaves one, then a board dealt on `layout`
    // from `seed` at the game clock `now`, as the start button deals it.
    void freshBoard(int32_t layout, bool autoHint, uint32_t seed, uint64_t now)
    {
        setGameClock(MvTime::s_fromTime64(now));
        m_startFreshGame();
        // The start screen's picks, and the deal's seed (the first event's
        // time in the program).
        m_options.setLayout(layout);
        m_options.setAutoHint(autoHint ? 1 : 0);
        m_rng.seedRNG(seed);
        m_bRNGSeeded = true;
        startBoard();
        if (ImageDisplayDevice* screen = static_cast<ImageDisplayDevice*>(m_pDisplayDevice))
            screen->clearRecords();
    }

private:
    QVHighScore m_aStartHighScores[kLayoutCount][kHighScorePlaces] = {};
    char m_szStartName[sizeof(QVOptions::lastHighScoreName)] = {};
};

using Session = GameSession<PlayFuzzGame>;

// What a click aims at when its place is chosen only as it is delivered.
enum Aim : uint8_t {
    AIM_NONE,
    AIM_FREE_TILE,       // the pick-th present free tile, in slot order
    AIM_PARTNER,         // the pick-th free partner of the selected tile
    AIM_LAST_PRESS,      // where the press before it was (its release)
    AIM_PLAY,            // the next click of a pair the strategy chooses
    AIM_BLOCKED_PARTNER, // a blocked tile of the selected tile's group
    AIM_BLOCKED_TILE,    // any blocked tile
    AIM_OTHER_GROUP,     // a free tile of another group than the selected one
    AIM_HAS_BLOCKED,     // a free tile with a blocked tile of its group in view
};

// How the pairs of a run are chosen (AIM_PLAY).
enum Strategy : uint8_t {
    // To clear the board whatever the deal: the solver's way when there is
    // one, else a pair that keeps the board clearable by shuffles, else the
    // panel's shuffle; at a dead end the dialog's shuffle (its undo when a
    // shuffle cannot help).
    PLAY_WIN,
    PLAY_HINT,     // the pair a hint shows first; a dead end is left to the input
    PLAY_DEAD_END, // the solver's way into a dead end, else the pair that uncovers least
    PLAY_PLAN,     // the solver's way, else the pair that uncovers most; no shuffles
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
HScreenRect clearYes()
{
    return screen::clearConfirmationButton(true);
}
HScreenRect clearNo()
{
    return screen::clearConfirmationButton(false);
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

// The best-times dialog's, which a game that ranks reaches (a table of
// their own, so that the first one's indices keep their buttons).
const Button kBestTimesButtons[] = {
    {"best times OK", screen::bestTimesOkButton},
    {"best times clear", screen::bestTimesClearButton},
    {"best times next", screen::bestTimesNextButton},
    {"best times previous", screen::bestTimesPreviousButton},
    {"best times title", screen::bestTimesTitle},
    {"clear yes", clearYes},
    {"clear no", clearNo},
};
constexpr int kBestTimesButtonCount = static_cast<int>(sizeof(kBestTimesButtons) / sizeof(kBestTimesButtons[0]));

// The game's keys, the debug sequence and its keys, Return (closes the
// message boxes and the name entry) and a key the game does not use.
const char kKeys[] = {'h', 'f', 'u', 's', 'q', 'v', 'd', 'm', 'n', '\r', 'x'};
constexpr int kKeyCount = static_cast<int>(sizeof(kKeys));

// What typed text is made of: a name, and the keys that edit and end it.
const char kText[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-\b\r";
constexpr int kTextCount = static_cast<int>(sizeof(kText) - 1);

const char* const kStrategyNames[] = {"to win", "of the hint", "into a dead end", "of the solver"};
const char* const kAimNames[] = {"", "", "", "", "", "blocked partner", "blocked tile", "tile of another group",
                                 "tile with a blocked partner"};

std::string pointText(const char* what, HScreenPoint p)
{
    char text[96];
    std::snprintf(text, sizeof(text), "%s (%d, %d)", what, p.x, p.y);
    return text;
}

std::string keyText(const char* format, char c)
{
    char text[48];
    if (c == '\r')
        std::snprintf(text, sizeof(text), format, "Return");
    else if (c == '\b')
        std::snprintf(text, sizeof(text), format, "Backspace");
    else
        std::snprintf(text, sizeof(text), format, std::string(1, c).c_str());
    return text;
}

// The events of the input, on the tiles of `board` (their places are the
// layout's, the same for every deal of it). The first events put the
// player's hands where a new start has them: the space bar up, the pointer
// where it starts, the window in front.
std::vector<Step> decode(Reader& in, const QVBoard& board, uint64_t start)
{
    std::vector<Step> steps;
    uint64_t t = start;
    auto add = [&](const HEvent& e, const std::string& text, Aim aim = AIM_NONE, uint8_t pick = 0) {
        steps.push_back(Step{e, text, aim, pick});
    };
    add(InputEvents::s_typedUp(t, ' '), "space up");
    add(InputEvents::s_mouseMove(t, HScreenPoint{0, 0}), "pointer to (0, 0)");
    add(InputEvents::s_activate(t, true), "focus gained");

    auto faceOf = [&](uint8_t slotByte, uint8_t jitter) {
        const HScreenPoint middle = ArchiveBoard::s_faceCentre(board.tiles[slotByte % QVBoard::kTileCount]);
        return HScreenPoint{middle.x + (jitter & 15) - 8, middle.y + (jitter >> 4) * 2 - 16};
    };
    auto click = [&](HScreenPoint p, uint32_t button, const std::string& what) {
        t += kEventGapMs;
        add(InputEvents::s_buttonDown(t, p, button), pointText(what.c_str(), p));
        t += kEventGapMs;
        add(InputEvents::s_buttonUp(t, p, button), "  and released");
    };
    auto aimed = [&](Aim aim, uint8_t pick) {
        t += kEventGapMs;
        add(InputEvents::s_buttonDown(t, HScreenPoint{0, 0}), "", aim, pick);
        t += kEventGapMs;
        add(InputEvents::s_buttonUp(t, HScreenPoint{0, 0}), "  and released", AIM_LAST_PRESS);
    };
    auto typed = [&](char c, const std::string& text) {
        t += kEventGapMs;
        add(InputEvents::s_typed(t, c), text);
        t += kEventGapMs;
        add(InputEvents::s_typedUp(t, c), "  and released");
    };
    for (int op = 0; op < kMaxOps && in.more() && steps.size() < kMaxSteps; ++op) {
        const uint8_t raw = in.byte();
        if (raw >= 240) {
            switch ((raw - 240) % 4) {
            case 0: {
                // A run of pairs: two aimed clicks a pair, each chosen as it
                // is delivered.
                const uint8_t how = in.byte();
                const int pairs = 1 + (how >> 2);
                for (int i = 0; i < 2 * pairs; ++i)
                    aimed(AIM_PLAY, how & 3);
                break;
            }
            case 1: {
                const uint8_t what = in.byte();
                aimed(static_cast<Aim>(AIM_BLOCKED_PARTNER + what % 4), what >> 2);
                break;
            }
            case 2: {
                const int count = 1 + in.byte() % 16;
                for (int i = 0; i < count; ++i) {
                    const char c = kText[in.byte() % kTextCount];
                    typed(c, keyText("typed %s", c));
                }
                break;
            }
            default: {
                const Button& b = kBestTimesButtons[in.byte() % kBestTimesButtonCount];
                click(screen::middle(b.rect()), KC_LBUTTON, std::string("button ") + b.name + " at");
                break;
            }
            }
            continue;
        }
        const uint8_t code = raw % 20;
        switch (code) {
        case 19: {
            // A key held down: the device repeats its press, then the release.
            const char c = kKeys[in.byte() % kKeyCount];
            const int presses = 1 + in.byte() % 64;
            const std::string text = keyText("key %s held", c);
            for (int i = 0; i < presses; ++i) {
                t += kEventGapMs;
                add(InputEvents::s_typed(t, c), i == 0 ? text : "  repeated");
            }
            t += kEventGapMs;
            add(InputEvents::s_typedUp(t, c), "  and released");
            break;
        }
        case 17:
        case 18:
            // Aimed when delivered: a free tile, or a partner of the selection.
            aimed(code == 17 ? AIM_FREE_TILE : AIM_PARTNER, in.byte());
            break;
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
            click(screen::middle(b.rect()), KC_LBUTTON, std::string("button ") + b.name + " at");
            break;
        }
        case 8:
        case 9: {
            const char c = kKeys[in.byte() % kKeyCount];
            typed(c, keyText("key %s", c));
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
    int32_t dialogs;  // open dialogs
    std::string top;  // the art of the innermost one's background; empty for none
    bool suspended;   // the pause screen covers the board
    bool debug;
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

int32_t openDialogs()
{
    return MVDialog::sm_modalStack.getNumItems();
}

// The art of the innermost dialog's background, which tells the dialogs
// apart; empty when none is up.
std::string topDialog()
{
    const int32_t n = openDialogs();
    const MVDialog* top = n > 0 ? static_cast<MVDialog*>(MVDialog::sm_modalStack.getObjectAt(n - 1)) : nullptr;
    const MVSprite* background = top ? top->getBackgroundSprite() : nullptr;
    return background && background->getSpriteName() ? background->getSpriteName() : "";
}

bool shows(const std::string& top, const char* art)
{
    return top.find(art) != std::string::npos;
}

const char* const kNoMoreMoves = "no_more_moves";
const char* const kNameEntry = "entername";
const char* const kBestTimes = "besttimes_qz";

// A way through the board the solver found, and the position it starts
// from: it holds while the board is that position less the plan's first
// pairs, with the groups where they were.
struct Plan {
    std::vector<BoardSolver::Move> moves;
    BoardSolver::Present start;
    std::vector<int32_t> groups;
    // The last search found nothing from a position of these groups with
    // this many tiles: the next waits for a shuffle or sixteen tiles fewer.
    std::vector<int32_t> failedGroups;
    int32_t failedTiles = 0;

    void forget()
    {
        moves.clear();
        groups.clear();
        failedGroups.clear();
    }
};

class Harness {
public:
    // The first start inside the constructor: what the start-up makes
    // static then outlives the harness, which shuts the game down at exit.
    Harness() : m_session(), m_iReport(0)
    {
        if (const char* report = std::getenv("QV_PLAY_REPORT"))
            m_iReport = std::atoi(report) == 2 ? 2 : 1;
        m_startProgram();
    }

    void play(const uint8_t* data, size_t size)
    {
        if (!m_session->game().asAtStart())
            m_startProgram();
        Reader in(data, size);
        const int32_t layout = in.byte() % QVBoard::kLayoutCount;
        const bool autoHint = in.byte() & 1;
        const uint32_t seed = in.u32();

        // The script's clock back at the start, the last input's termination
        // request forgotten; what it left queued (its dialogs' closing mouse
        // moves) belongs to it.
        ScriptedEventSource& script = m_session->script();
        script.clear();
        script.install(kStartMs);
        HEventManager* events = m_session->game().getEventManager();
        HEvent stale;
        while (events->peekEvent(&stale))
            events->getEvent(&stale, false);
        PlayFuzzGame& game = m_session->game();
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
        m_reached = Reached();
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
        if (m_iReport == 2)
            m_list(stdout, static_cast<size_t>(script.checksRun()));
        if (m_iReport > 0)
            std::printf("%s: %zu events, %d boards won, %d dead ends (%d ended), %d shuffles in the dialog, "
                        "%d undos in it, %d names asked, %d best-times tables shown%s\n",
                        m_header.c_str(), m_steps.size(), m_reached.won, m_reached.deadEnds, m_reached.ended,
                        m_reached.dialogShuffles, m_reached.dialogUndos, m_reached.names, m_reached.tables,
                        game.getState() == GS_QUITTING ? ", quit" : "");
    }

private:
    // What an input reached, for the report.
    struct Reached {
        int won = 0;
        int deadEnds = 0;
        int ended = 0;
        int dialogShuffles = 0;
        int dialogUndos = 0;
        int names = 0;
        int tables = 0;
    };

    // The program started again: a new game object, a new home (no saved
    // data), its start-up from the archive.
    void m_startProgram()
    {
        m_session.reset();
        m_session.reset(new Session(1000));
        if (!m_session->start()) {
            std::fprintf(stderr, "the game did not start (is the resource archive built?)\n");
            std::abort();
        }
        // Each input ends with a termination request instead (below).
        m_session->script().setQuitWhenDone(false);
        m_session->game().noteStart();
    }

    Moment m_observe()
    {
        PlayFuzzGame& game = m_session->game();
        return Moment{BoardInvariants::Snapshot::s_take(*game.getBoard(), m_bFirst ? nullptr : &m_last.board),
                      game.getState(),
                      game.getGameClock().getTime64(),
                      game.m_getClockSeconds(),
                      game.getGameStats(),
                      game.getPenaltySeconds(),
                      openDialogs(),
                      topDialog(),
                      game.isSuspended(),
                      game.isDebugMode()};
    }

    void m_list(FILE* out, size_t played) const
    {
        for (size_t i = 0; i < played && i < m_steps.size(); ++i)
            std::fprintf(out, "  #%zu t=%llu %s\n", i, static_cast<unsigned long long>(m_steps[i].event.time.getTime64()),
                         m_steps[i].text.c_str());
    }

    [[noreturn]] void m_fail(size_t played, const std::string& rule)
    {
        std::fprintf(stderr, "\nA rule of play was broken: %s\n%s\nafter these events:\n", rule.c_str(),
                     m_header.c_str());
        m_list(stderr, played);
        std::abort();
    }

    // --- Aimed clicks -------------------------------------------------------

    // Where a click reaches the tile of `slot`: the middle of its face, or
    // another point of its face when a higher tile hides the middle.
    bool m_pointOn(int32_t slot, HScreenPoint* p)
    {
        QVBoard& board = *m_session->game().getBoard();
        QVTile* tile = &board.tiles[slot];
        if (!tile->present)
            return false;
        const HScreenPoint middle = ArchiveBoard::s_faceCentre(*tile);
        if (board.m_findTileAtPoint(middle, true) == tile) {
            *p = middle;
            return true;
        }
        HScreenRect face;
        tile->getFaceRect(&face);
        for (int32_t y = face.top + 2; y < face.bottom - 1; y += 6) {
            for (int32_t x = face.left + 2; x < face.right - 1; x += 5) {
                if (board.m_findTileAtPoint(HScreenPoint{x, y}, true) == tile) {
                    *p = HScreenPoint{x, y};
                    return true;
                }
            }
        }
        return false;
    }

    // The groups of the board now, slot by slot.
    std::vector<int32_t> m_groups() const
    {
        std::vector<int32_t> groups;
        for (const QVTile& t : m_session->game().getBoard()->tiles)
            groups.push_back(t.matchGroup);
        return groups;
    }

    // The next pair of the plan, when the board is where the plan expects
    // it; else a new search (`find`) unless the last one from these groups
    // failed with not many more tiles.
    template <class Find>
    bool m_planned(Plan& plan, const Find& find, BoardSolver::Move* move)
    {
        const QVBoard& board = *m_session->game().getBoard();
        BoardSolver::Present now;
        for (int32_t i = 0; i < QVBoard::kTileCount; ++i)
            now[static_cast<size_t>(i)] = board.tiles[i].present;
        const std::vector<int32_t> groups = m_groups();
        if (!plan.moves.empty() && groups == plan.groups) {
            BoardSolver::Present expected = plan.start;
            for (const BoardSolver::Move& m : plan.moves) {
                if (expected == now) {
                    *move = m;
                    return true;
                }
                expected.reset(static_cast<size_t>(m.first));
                expected.reset(static_cast<size_t>(m.second));
            }
        }
        if (groups == plan.failedGroups && board.tilesLeft > plan.failedTiles - 16)
            return false;
        plan.moves.clear();
        if (!find(&plan.moves)) {
            plan.failedGroups = groups;
            plan.failedTiles = board.tilesLeft;
            return false;
        }
        plan.start = now;
        plan.groups = groups;
        *move = plan.moves.front();
        return true;
    }

    // The pair the strategy plays next, else any free pair a click reaches
    // (a higher tile may hide the middles of the solver's); false when there
    // is none. A run to win would rather shuffle than take just any pair.
    bool m_choosePair(Strategy how, BoardSolver::Move* move)
    {
        if (m_strategysPair(how, move))
            return true;
        if (how == PLAY_WIN && m_session->game().getBoard()->tilesLeft > 2)
            return false;
        HScreenPoint p;
        std::vector<BoardSolver::Move> pairs = BoardInvariants::s_freePairs(*m_session->game().getBoard());
        if (how == PLAY_DEAD_END)
            std::reverse(pairs.begin(), pairs.end());
        for (const BoardSolver::Move& m : pairs) {
            if (m_pointOn(m.first, &p) && m_pointOn(m.second, &p)) {
                *move = m;
                return true;
            }
        }
        return false;
    }

    bool m_strategysPair(Strategy how, BoardSolver::Move* move)
    {
        QVBoard& board = *m_session->game().getBoard();
        m_solver->takePosition(board);
        const BoardSolver& solver = *m_solver;
        const std::vector<BoardSolver::Move> ranked = solver.rankedPairs();
        switch (how) {
        case PLAY_HINT: {
            QVTile* a = nullptr;
            QVTile* b = nullptr;
            if (board.matchExists(&a, &b, 0) && a && b) {
                *move = BoardSolver::Move(BoardInvariants::s_slotOf(board, a), BoardInvariants::s_slotOf(board, b));
                return true;
            }
            return false;
        }
        case PLAY_DEAD_END:
            if (m_planned(m_deadEndPlan, [&](std::vector<BoardSolver::Move>* m) { return solver.findDeadEnd(m); },
                          move))
                return true;
            if (ranked.empty())
                return false;
            *move = ranked.back();
            return true;
        case PLAY_WIN:
        case PLAY_PLAN:
        default:
            if (m_planned(m_clearingPlan,
                          [&](std::vector<BoardSolver::Move>* m) { return solver.findClearingMoves(kPlanBudget, m); },
                          move))
                return true;
            if (how == PLAY_WIN)
                return solver.findPairThatKeepsItClearable(move);
            if (ranked.empty())
                return false;
            *move = ranked.front();
            return true;
        }
    }

    // The next click of a run of pairs: on the dialog or the panel when the
    // strategy wants a shuffle or an undo, on the selected tile's partner (or
    // on the selected tile, to drop it, when it has none), or on the first
    // tile of the next pair.
    HScreenPoint m_playClick(Strategy how, std::string* text)
    {
        PlayFuzzGame& game = m_session->game();
        const QVBoard& board = *game.getBoard();
        const BoardInvariants::Snapshot& shown = m_last.board;
        char said[128];
        if (openDialogs() > 0) {
            if (how == PLAY_WIN && shows(m_last.top, kNoMoreMoves)) {
                const bool shuffle = board.countOpenTiles() != 1;
                *text = shuffle ? "play to win: the dialog's shuffle" : "play to win: the dialog's undo";
                return screen::middle(shuffle ? screen::shuffleButton() : screen::undoButton());
            }
            *text = "play: a dialog is up, a click on nothing";
            return kNowhere;
        }
        if (game.getState() != GS_PLAYING || game.isSuspended()) {
            *text = "play: no board in play, a click on nothing";
            return kNowhere;
        }
        HScreenPoint p = kNowhere;
        const int32_t selected = shown.selected;
        if (selected >= 0) {
            // The partner chosen with it, else any free partner in view.
            int32_t partner = -1;
            if (m_chosen.first == selected || m_chosen.second == selected) {
                const int32_t other = m_chosen.first == selected ? m_chosen.second : m_chosen.first;
                if (shown.tiles[static_cast<size_t>(other)].free &&
                    shown.tiles[static_cast<size_t>(other)].matchGroup ==
                        shown.tiles[static_cast<size_t>(selected)].matchGroup)
                    partner = other;
            }
            for (int32_t slot : shown.freeSlots(shown.tiles[static_cast<size_t>(selected)].matchGroup)) {
                if (partner < 0 && slot != selected && m_pointOn(slot, &p))
                    partner = slot;
            }
            if (partner >= 0 && m_pointOn(partner, &p)) {
                std::snprintf(said, sizeof(said), "play %s: the partner, slot %d, at (%d, %d)",
                              kStrategyNames[how], partner, p.x, p.y);
            } else {
                m_pointOn(selected, &p);
                std::snprintf(said, sizeof(said), "play %s: the selected slot %d again, at (%d, %d)",
                              kStrategyNames[how], selected, p.x, p.y);
            }
            *text = said;
            return p;
        }
        BoardSolver::Move move;
        if (m_choosePair(how, &move) && m_pointOn(move.first, &p)) {
            m_chosen = move;
            std::snprintf(said, sizeof(said), "play %s: slot %d of the pair (%d, %d), at (%d, %d)",
                          kStrategyNames[how], move.first, move.first, move.second, p.x, p.y);
            *text = said;
            return p;
        }
        if (how == PLAY_WIN && board.tilesLeft > 2) {
            *text = "play to win: no pair keeps the board clearable, the panel's shuffle";
            return screen::middle(screen::shufflePanelButton());
        }
        *text = std::string("play ") + kStrategyNames[how] + ": no pair, a click on nothing";
        return kNowhere;
    }

    // The candidates of the other aims, in slot order.
    std::vector<int32_t> m_aimCandidates(Aim aim, const BoardInvariants::Snapshot& shown)
    {
        const int32_t selected = shown.selected;
        const int32_t group = selected >= 0 ? shown.tiles[static_cast<size_t>(selected)].matchGroup : -1;
        std::vector<int32_t> out;
        // The blocked tiles a click can reach, worked out once.
        std::vector<bool> blockedInView(QVBoard::kTileCount, false);
        if (aim == AIM_BLOCKED_PARTNER || aim == AIM_BLOCKED_TILE || aim == AIM_HAS_BLOCKED) {
            HScreenPoint p;
            for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
                const BoardInvariants::Snapshot::Tile& t = shown.tiles[static_cast<size_t>(i)];
                blockedInView[static_cast<size_t>(i)] = t.present && !t.free && m_pointOn(i, &p);
            }
        }
        for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
            const BoardInvariants::Snapshot::Tile& t = shown.tiles[static_cast<size_t>(i)];
            switch (aim) {
            case AIM_FREE_TILE:
                if (t.free)
                    out.push_back(i);
                break;
            case AIM_PARTNER:
                if (t.free && group >= 0 && t.matchGroup == group && i != selected)
                    out.push_back(i);
                break;
            case AIM_BLOCKED_PARTNER:
                if (group >= 0 && t.matchGroup == group && blockedInView[static_cast<size_t>(i)])
                    out.push_back(i);
                break;
            case AIM_BLOCKED_TILE:
                if (blockedInView[static_cast<size_t>(i)])
                    out.push_back(i);
                break;
            case AIM_OTHER_GROUP:
                if (t.free && group >= 0 && t.matchGroup != group)
                    out.push_back(i);
                break;
            case AIM_HAS_BLOCKED:
                if (t.free) {
                    for (int32_t j = 0; j < QVBoard::kTileCount; ++j) {
                        if (j != i && shown.tiles[static_cast<size_t>(j)].matchGroup == t.matchGroup &&
                            blockedInView[static_cast<size_t>(j)]) {
                            out.push_back(i);
                            break;
                        }
                    }
                }
                break;
            default:
                break;
            }
        }
        return out;
    }

    // The point of an aimed click, from the board as it is now.
    void m_aim(size_t i, const BoardInvariants::Snapshot& shown)
    {
        Step& step = m_steps[i];
        if (step.aim == AIM_NONE)
            return;
        HScreenPoint p{630, 5};
        if (step.aim == AIM_LAST_PRESS) {
            if (i > 0)
                p = m_steps[i - 1].event.point;
        } else if (step.aim == AIM_PLAY) {
            p = m_playClick(static_cast<Strategy>(step.pick & 3), &step.text);
        } else {
            const QVBoard& board = *m_session->game().getBoard();
            const std::vector<int32_t> candidates = m_aimCandidates(static_cast<Aim>(step.aim), shown);
            const bool tileAim = step.aim == AIM_FREE_TILE || step.aim == AIM_PARTNER;
            const char* what = tileAim ? (step.aim == AIM_PARTNER ? "partner" : "tile") : kAimNames[step.aim];
            char text[128];
            if (!candidates.empty()) {
                const int32_t slot = candidates[step.pick % candidates.size()];
                if (tileAim)
                    p = ArchiveBoard::s_faceCentre(board.tiles[slot]);
                else
                    m_pointOn(slot, &p);
                std::snprintf(text, sizeof(text), "click on %s%s slot %d at (%d, %d)", tileAim ? "free " : "", what,
                              slot, p.x, p.y);
            } else {
                std::snprintf(text, sizeof(text), "click with no %s%s, at (%d, %d)", tileAim ? "free " : "", what,
                              p.x, p.y);
            }
            step.text = text;
        }
        step.event.point = p;
        m_session->script().upcoming().front().point = p;
    }

    // --- The rules ------------------------------------------------------------

    // The rules after the first `played` events.
    void m_check(size_t played)
    {
        const Moment now = m_observe();
        const std::string board = BoardInvariants::s_check(now.board);
        if (!board.empty())
            m_fail(played, board);
        if (now.state < GS_START || now.state > GS_QUITTING)
            m_fail(played, "the game state is " + std::to_string(now.state));
        if (m_bFirst) {
            m_bFirst = false;
            m_newBoard(now, played);
            m_last = now;
            if (played < m_steps.size())
                m_aim(played, now.board);
            return;
        }
        const Moment& before = m_last;
        if (now.now < before.now)
            m_fail(played, "the game clock went back");
        // The pauses as the harness sees them: a dialog up, or the pause
        // screen over the board, all through the step before.
        if (before.dialogs > 0 || before.suspended)
            m_uPausedMs += now.now - before.now;
        if (!transitionAllowed(before.state, now.state))
            m_fail(played, "the game state went from " + std::to_string(before.state) + " to " +
                               std::to_string(now.state));
        const HEvent& sent = m_steps[played - 1].event;
        if (sent.type == ET_ACTIVATE && sent.state == 0 && before.dialogs == 0 && now.dialogs == 0 &&
            now.state != GS_QUITTING && !before.debug && !now.suspended)
            m_fail(played, "the focus was taken away and the game is not paused");

        if (before.state != GS_PLAYING && now.state == GS_PLAYING) {
            m_newBoard(now, played);
        } else {
            BoardInvariants::Allowed allowed;
            allowed.shuffle = now.stats.shuffles > before.stats.shuffles;
            allowed.undoCleared = allowed.shuffle || (now.state != before.state && ended(now.state));
            const std::string step = BoardInvariants::s_checkStep(before.board, now.board, allowed);
            if (!step.empty())
                m_fail(played, step);
            if (now.stats.hints < before.stats.hints || now.stats.undos < before.stats.undos ||
                now.stats.shuffles < before.stats.shuffles)
                m_fail(played, "a count of hints, undos or shuffles went down");
            const bool running = before.state == GS_PLAYING || ended(before.state);
            if (running && (now.state == GS_PLAYING || ended(now.state)) && now.clockSeconds < before.clockSeconds)
                m_fail(played, "the clock went back from " + std::to_string(before.clockSeconds) + " to " +
                                   std::to_string(now.clockSeconds) + " seconds");
            if (now.state == GS_PLAYING) {
                m_reached.dialogShuffles += now.stats.shuffles > before.stats.shuffles && before.dialogs > 0;
                m_reached.dialogUndos += now.stats.undos > before.stats.undos && before.dialogs > 0;
            }
        }

        // The end of a game, both ways.
        const int32_t moves = BoardInvariants::s_recountMoves(now.board);
        if (now.state == GS_WON && before.state != GS_WON && now.board.tilesLeft != 0)
            m_fail(played, "the game was won with tiles left");
        if (now.state == GS_PLAYING && now.board.tilesLeft == 0)
            m_fail(played, "the board is cleared and the game is still in play");
        if (now.state == GS_NO_MORE_MOVES && before.state != GS_NO_MORE_MOVES && moves != 0)
            m_fail(played, "the game ended for want of moves while a free pair was left");
        // The dialog opens in the same event as the match that left no pair.
        if (now.state == GS_PLAYING && now.board.tilesLeft > 0 && moves == 0 && !shows(now.top, kNoMoreMoves))
            m_fail(played, "a board is in play with no free pair and no no-more-moves dialog up");

        const int32_t penalty = 30 * now.stats.hints + 60 * now.stats.undos + 120 * now.stats.shuffles;
        if (now.penalty != penalty)
            m_fail(played, "the penalty is " + std::to_string(now.penalty) + " seconds, the hints, undos and shuffles make " +
                               std::to_string(penalty));
        const uint64_t elapsed = now.now - m_uBoardStart;
        const int64_t expected = static_cast<int64_t>((elapsed - std::min(elapsed, m_uPausedMs)) / 1000) + penalty;
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
        if (now.state != before.state) {
            m_reached.won += now.state == GS_WON;
            m_reached.ended += now.state == GS_NO_MORE_MOVES;
        }
        m_reached.deadEnds += shows(now.top, kNoMoreMoves) && !shows(before.top, kNoMoreMoves);
        if (now.top != before.top) {
            m_reached.names += shows(now.top, kNameEntry);
            m_reached.tables += shows(now.top, kBestTimes);
        }
        m_last = now;
        if (played < m_steps.size())
            m_aim(played, now.board);
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
        m_solver.reset(new BoardSolver(*m_session->game().getBoard()));
        m_clearingPlan.forget();
        m_deadEndPlan.forget();
        m_chosen = BoardSolver::Move(-1, -1);
    }

    std::unique_ptr<Session> m_session;
    int m_iReport; // QV_PLAY_REPORT: 1 a line per input, 2 its events too
    std::vector<Step> m_steps;
    std::string m_header;
    bool m_bFirst = true;
    Moment m_last{};
    uint64_t m_uBoardStart = 0;
    uint64_t m_uPausedMs = 0;
    Reached m_reached;
    // The play of the pairs: the solver of the board in play, its plans, the
    // last pair chosen.
    std::unique_ptr<BoardSolver> m_solver;
    Plan m_clearingPlan;
    Plan m_deadEndPlan;
    BoardSolver::Move m_chosen{-1, -1};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Started once, and again only when an input left what only a new start
    // clears: the game's start-up reads the whole archive.
    static Harness harness;
    harness.play(data, size);
    return 0;
}
