// The test support's player of dealt boards, checked against the board's
// own rules: the moves it finds are legal one after the other and end where
// it says (a cleared board, or no free pair with tiles left), every pair it
// offers can be clicked, and it leaves the board it played on as it was.
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardInvariants.h"
#include "tests/support/BoardSolver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Move = BoardSolver::Move;

// Plays the moves on the board through its rules; false at the first pair
// that is not two free, present tiles of one group.
bool playable(QVBoard& board, const std::vector<Move>& moves)
{
    for (const Move& m : moves) {
        const std::vector<Move> legal = BoardInvariants::s_freePairs(board);
        if (std::find(legal.begin(), legal.end(), m) == legal.end())
            return false;
        board.removeTiles(&board.tiles[m.first], &board.tiles[m.second], MvTime{0, 0});
    }
    return true;
}

class BoardSolverTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath(); }
    ArchiveBoard mirror;
};

TEST_F(BoardSolverTest, ClearingMovesAreLegalAndClearTheBoardLeftAsItWas)
{
    bool found = false;
    for (uint32_t seed = 10026; seed < 10066 && !found; ++seed) {
        ASSERT_TRUE(mirror.deal(seed));
        std::vector<Move> moves;
        BoardSolver solver(mirror.board);
        if (!solver.findClearingMoves(400, &moves))
            continue;
        found = true;
        // The search left the deal untouched.
        ArchiveBoard fresh;
        ASSERT_TRUE(fresh.deal(seed));
        EXPECT_TRUE(fresh.sameDeal(mirror.board));
        EXPECT_EQ(mirror.board.tilesLeft, 144);
        EXPECT_EQ(mirror.board.undoTop, -1);
        ASSERT_EQ(moves.size(), 72u);
        EXPECT_TRUE(playable(mirror.board, moves));
        EXPECT_EQ(mirror.board.tilesLeft, 0);
    }
    EXPECT_TRUE(found) << "no deal of 40 cleared within the budget";
}

TEST_F(BoardSolverTest, ADeadEndLeavesTilesAndNoFreePair)
{
    bool found = false;
    for (uint32_t seed = 10025; seed < 10065 && !found; ++seed) {
        ASSERT_TRUE(mirror.deal(seed));
        std::vector<Move> moves;
        if (!BoardSolver(mirror.board).findDeadEnd(&moves))
            continue;
        found = true;
        EXPECT_EQ(mirror.board.tilesLeft, 144) << "the board is left as it was";
        EXPECT_TRUE(playable(mirror.board, moves));
        EXPECT_GT(mirror.board.tilesLeft, 0);
        EXPECT_FALSE(mirror.board.matchExists(nullptr, nullptr, 0));
    }
    EXPECT_TRUE(found);
}

TEST_F(BoardSolverTest, EveryOfferedPairIsFreeAndHitWhereItIsClicked)
{
    ASSERT_TRUE(mirror.deal(20000));
    BoardSolver solver(mirror.board);
    const std::vector<Move> pairs = solver.clickablePairs();
    ASSERT_FALSE(pairs.empty());
    for (const Move& m : pairs) {
        for (int32_t slot : {m.first, m.second}) {
            QVTile* t = &mirror.board.tiles[slot];
            EXPECT_TRUE(mirror.board.tileIsFree(t));
            EXPECT_EQ(mirror.board.m_findTileAtPoint(ArchiveBoard::s_faceCentre(*t), true), t);
        }
        EXPECT_EQ(mirror.board.tiles[m.first].matchGroup, mirror.board.tiles[m.second].matchGroup);
    }
}

} // namespace
