// Demo files written as a player's session, for the whole-program tests: a
// clock that only moves forward, clicks with the pointer moved there first,
// keys as the input device sends them and idle time; and the pairs of a
// deal clicked one after another.
#pragma once

#include "tests/game/GameScreen.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardSolver.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/InputEvents.h"

#include <cstdint>
#include <string>
#include <vector>

// The first seed time from `from` on (of 40) whose deal of layout 0 runs out
// of moves within 30 pairs, played as `moves`; the mirror keeps that deal.
// 0 when none does.
inline uint64_t findEarlyDeadEnd(ArchiveBoard& mirror, std::vector<BoardSolver::Move>* moves, uint64_t from = 10025)
{
    return mirror.findSeedTime(from, 40, [&](ArchiveBoard& m) {
        return BoardSolver(m.board).findDeadEnd(moves) && moves->size() <= 30;
    });
}

class PlayerSession {
public:
    // The first record seeds the deal.
    explicit PlayerSession(uint64_t seedTime) : demo(), t(seedTime) { demo.timestamp(t); }

    // Moves the pointer to p and clicks there `after` ms after the last
    // event; the press time (the game clock of the click).
    uint64_t click(HScreenPoint p, uint64_t after = 400)
    {
        t += after;
        demo.mouseMove(t, p.x, p.y).click(t, p.x, p.y, false, 60);
        const uint64_t pressed = t;
        t += 60;
        return pressed;
    }
    uint64_t click(const HScreenRect& r, uint64_t after = 400) { return click(screen::middle(r), after); }
    // A drag from `from` to `to` with the left button held.
    void drag(HScreenPoint from, HScreenPoint to)
    {
        t += 300;
        demo.mouseMove(t, from.x, from.y).press(t + 10, from.x, from.y);
        demo.mouseMove(t + 100, (from.x + to.x) / 2, to.y).mouseMove(t + 200, to.x, to.y);
        demo.release(t + 300, to.x, to.y);
        t += 300;
    }
    // The key that types c pressed, and released 30 ms later, as the input
    // device sends them (InputEvents): '\b' is Backspace, '\r' Return.
    void key(char c)
    {
        t += 100;
        demo.typed(t, c).event(InputEvents::s_typedUp(t + 30, c));
        t += 30;
    }
    void type(const std::string& text)
    {
        for (char c : text)
            key(c);
    }
    // The name entry's offered text erased and `name` typed, without Return.
    void typeName(const std::string& name)
    {
        for (int i = 0; i < 12; ++i)
            key('\b');
        type(name);
    }
    // Clicks both tiles of each pair, on the board `board` dealt; the press
    // time of the last click.
    uint64_t playPairs(const ArchiveBoard& board, const std::vector<BoardSolver::Move>& moves)
    {
        uint64_t last = t;
        for (const BoardSolver::Move& m : moves) {
            click(ArchiveBoard::s_faceCentre(board.board.tiles[m.first]), 350);
            last = click(ArchiveBoard::s_faceCentre(board.board.tiles[m.second]), 250);
            idle(200);
        }
        return last;
    }
    // Time passing with no input: the idle ticks the game advances on.
    void idle(uint64_t ms)
    {
        t += ms;
        demo.timestamp(t);
    }
    void quit()
    {
        t += 500;
        demo.quit(t);
    }

    DemoWriter demo;
    uint64_t t;
};
