// Shared set-up of the play-flow and timer tests: the game in the test's
// process (PlayTestGame in a QinvarSession) driven by batches of events with
// chosen times, and beside it the same deal rebuilt from the archive, so the
// tests know where the tiles are and click real ones.
#pragma once

#include "engine/core/HKeyCodes.h"
#include "tests/game/GameScreen.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardInvariants.h"
#include "tests/support/InputEvents.h"
#include "tests/support/PlayTestGame.h"
#include "tests/support/QinvarSession.h"
#include "tools/mkarchive/Manifest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace play {

// --- Events with chosen times (InputEvents) -----------------------------------

inline HEvent tick(uint64_t t)
{
    return InputEvents::s_timestamp(t);
}

// The press of the key that types c; the game reads the character.
inline HEvent key(uint64_t t, char c)
{
    return InputEvents::s_typed(t, c);
}

inline HEvent space(uint64_t t)
{
    return InputEvents::s_typed(t, ' ');
}

// The space bar's release: its key code, no character.
inline HEvent spaceUp(uint64_t t)
{
    return InputEvents::s_typedUp(t, ' ');
}

inline HEvent enter(uint64_t t)
{
    return InputEvents::s_typed(t, '\r');
}

// A mouse button pressed at p (buttons reach the game as key-downs).
inline HEvent press(uint64_t t, HScreenPoint p, bool right = false)
{
    return InputEvents::s_buttonDown(t, p, right ? KC_RBUTTON : KC_LBUTTON);
}

inline HEvent move(uint64_t t, HScreenPoint p)
{
    return InputEvents::s_mouseMove(t, p);
}

inline HEvent focus(uint64_t t, bool gained)
{
    return InputEvents::s_activate(t, gained);
}

inline HEvent quitRequest(uint64_t t)
{
    return InputEvents::s_quit(t);
}

// --- The archive's art sizes, for clicking dialog buttons --------------------

inline const mkarchive::ManifestEntry* art(const char* name)
{
    for (const mkarchive::ManifestEntry& e : mkarchive::kManifest) {
        if (std::strcmp(e.name, name) == 0)
            return &e;
    }
    return nullptr;
}

// The middle of the yes and no buttons of the quit / new-game confirmation.
inline HScreenPoint confirmationButton(bool yes)
{
    return screen::middle(screen::confirmationButton(yes));
}

// --- The deal ----------------------------------------------------------------

// Pairs in the hint's rotation order, worked out here on their own: in slot
// order of the first tile, each free tile with the next free tile of its
// group later in slot order (the first free pair of each first tile).
inline std::vector<std::pair<int, int>> pairsInRotation(const QVBoard& board)
{
    std::vector<std::pair<int, int>> out;
    for (const std::pair<int32_t, int32_t>& p : BoardInvariants::s_freePairs(board)) {
        if (out.empty() || out.back().first != p.first)
            out.push_back(p);
    }
    return out;
}

// The tiles a test clicks: a free pair (a, b), a free tile of another group
// (other), a blocked tile (blocked), and a point of the board area with no
// tile; each tile is hit by a click on its face's middle.
struct Picks {
    int a = -1;
    int b = -1;
    int other = -1;
    int blocked = -1;
    HScreenPoint empty{-1, -1};
};

inline bool pick(QVBoard& board, Picks* out)
{
    Picks p;
    for (const std::pair<int, int>& pair : pairsInRotation(board)) {
        if (ArchiveBoard::s_clickable(board, pair.first) && ArchiveBoard::s_clickable(board, pair.second)) {
            p.a = pair.first;
            p.b = pair.second;
            break;
        }
    }
    if (p.a < 0)
        return false;
    for (int i = 0; i < QVBoard::kTileCount; ++i) {
        const QVTile& t = board.tiles[i];
        if (!ArchiveBoard::s_clickable(board, i))
            continue;
        const bool free = board.tileIsFree(&t);
        if (p.other < 0 && free && t.matchGroup != board.tiles[p.a].matchGroup)
            p.other = i;
        if (p.blocked < 0 && !free)
            p.blocked = i;
    }
    const HScreenPoint candidates[] = {{130, 470}, {630, 470}, {630, 5}, {130, 5}, {400, 470}};
    for (const HScreenPoint& c : candidates) {
        if (!board.m_findTileAtPoint(c, false)) {
            p.empty = c;
            break;
        }
    }
    if (p.other < 0 || p.blocked < 0 || p.empty.x < 0)
        return false;
    *out = p;
    return true;
}

// What a deal put where, to compare with the game's board later.
struct DealRecord {
    std::vector<int32_t> groups;
    std::vector<int32_t> faces;

    void take(const QVBoard& board)
    {
        groups.clear();
        faces.clear();
        for (const QVTile& t : board.tiles) {
            groups.push_back(t.present ? t.matchGroup : -1);
            faces.push_back(t.face);
        }
    }
    bool matches(const QVBoard& board) const
    {
        for (int i = 0; i < QVBoard::kTileCount; ++i) {
            const QVTile& t = board.tiles[i];
            if (groups[i] != (t.present ? t.matchGroup : -1) || faces[i] != t.face)
                return false;
        }
        return true;
    }
};

// --- The fixture ---------------------------------------------------------------

// Game is PlayTestGame or a test's own subclass of it.
template <class Game>
class GameFixture : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath() << " (build the archive)"; }

    // The first seed time from `from` on whose deal (of layout 0) `wanted`
    // holds; the mirror is left dealt with it. 0 when none of 400 does.
    uint64_t findSeedTime(uint64_t from, const std::function<bool(ArchiveBoard&)>& wanted)
    {
        return mirror.findSeedTime(from, 400, wanted);
    }

    // A seed time whose deal has the usual picks; the mirror holds that deal.
    uint64_t usualSeedTime(uint64_t from = 20000)
    {
        return findSeedTime(from, [this](ArchiveBoard& m) { return pick(m.board, &picks); });
    }

    // The game, its first event (which seeds the deal) at seedTime; the
    // mirror must hold the deal of that seed.
    void startSession(uint64_t seedTime)
    {
        seed = ArchiveBoard::s_seedForTime(seedTime);
        deal.take(mirror.board);
        session.reset(new GameSession<Game>(seedTime));
        ASSERT_TRUE(session->start());
        at({tick(seedTime)});
    }

    // A board started at `t` (the start key), and a check that it is the
    // mirror's deal.
    void startBoard(uint64_t t)
    {
        at({key(t, PlayTestGame::kStartKey)});
        check([this, t] {
            EXPECT_EQ(game().getState(), GS_PLAYING);
            EXPECT_EQ(game().getRNG()->getSeed(), seed);
            EXPECT_TRUE(deal.matches(*game().getBoard())) << "the game dealt another board than the mirror";
            EXPECT_EQ(game().gameStartTime().getTime64(), t);
            game().takeEffects();
        });
    }

    // The start of a game that most play tests share: the session's first
    // event at seedTime (the mirror must hold that seed's deal) and its
    // board started kBoardDelay later, checked to be the mirror's deal.
    static constexpr uint64_t kBoardDelay = 100;
    void startGame(uint64_t seedTime)
    {
        startSession(seedTime);
        startBoard(seedTime + kBoardDelay);
    }
    // The same on the first deal from 20000 on with the usual picks; its
    // seed time, or 0 (and no session) when none of them has the picks.
    uint64_t startUsualGame()
    {
        const uint64_t seedTime = usualSeedTime();
        if (seedTime != 0)
            startGame(seedTime);
        return seedTime;
    }

    // A batch of events; `before` runs just before it is delivered (after
    // the drawing pass of the batch before it).
    void at(const std::vector<HEvent>& events, std::function<void()> before = nullptr)
    {
        session->script().batch(events, std::move(before));
    }
    // Runs after everything scripted so far (and its drawing pass).
    void check(std::function<void()> fn) { at({}, std::move(fn)); }
    // Runs the main loop over the script; every check must have run, or a
    // test would pass on checks that never happened.
    void run()
    {
        session->run();
        EXPECT_TRUE(session->script().everyCheckRan()) << "the main loop ended before every check ran: "
                                                       << session->script().checksRun() << " of "
                                                       << session->script().checksScripted();
    }

    Game& game() { return session->game(); }
    QVTile* tile(int slot) { return &game().getBoard()->tiles[slot]; }
    HScreenPoint centre(int slot) { return ArchiveBoard::s_faceCentre(mirror.board.tiles[slot]); }
    int selectedSlot()
    {
        const QVTile* s = game().getBoard()->selectedTile;
        return s ? static_cast<int>(s - &game().getBoard()->tiles[0]) : -1;
    }
    int hintSlot(int i)
    {
        const QVTile* h = game().getHintTile(i);
        return h ? static_cast<int>(h - &game().getBoard()->tiles[0]) : -1;
    }

    ArchiveBoard mirror;
    Picks picks;
    DealRecord deal;
    uint32_t seed = 0;
    std::unique_ptr<GameSession<Game>> session;
};

using PlayFixture = GameFixture<PlayTestGame>;

} // namespace play
