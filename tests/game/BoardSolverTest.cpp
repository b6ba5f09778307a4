// The test support's player of dealt boards, checked against the board's
// own rules: its freedom and its hit test are the board's, the moves it
// finds are legal one after the other and end where it says (a cleared
// board, or no free pair with tiles left), every pair it offers can be
// clicked, it leaves the board it played on as it was, and it tells a board
// that can still be cleared from one that cannot.
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardInvariants.h"
#include "tests/support/BoardSolver.h"

#include "engine/core/HMersenneTwisterRNG.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
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

// Positions a game reaches (free tiles taken two by two, their faces aside)
// on every layout: the solver's freedom and clicks are the board's own.
TEST_F(BoardSolverTest, FreedomAndClicksAreTheBoardsAtEveryPositionOfPlay)
{
    for (int32_t layout = 0; layout < QVBoard::kLayoutCount; ++layout) {
        SCOPED_TRACE(QVBoard::s_akpLayouts[layout]);
        ASSERT_TRUE(mirror.deal(500 + static_cast<uint32_t>(layout), layout));
        QVBoard& board = mirror.board;
        BoardSolver solver(board);
        HMersenneTwisterRNG choice;
        choice.seedRNG(static_cast<uint32_t>(layout));
        for (int step = 0; step < QVBoard::kUndoDepth; ++step) {
            solver.takePosition(board);
            std::vector<int32_t> open;
            for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
                QVTile* t = &board.tiles[i];
                const bool free = t->present && board.tileIsFree(t);
                ASSERT_EQ(solver.isFree(i), free) << "slot " << i << " after " << step << " pairs";
                const bool hit = t->present && board.m_findTileAtPoint(ArchiveBoard::s_faceCentre(*t), true) == t;
                ASSERT_EQ(solver.isClickable(i), hit) << "slot " << i << " after " << step << " pairs";
                if (free)
                    open.push_back(i);
            }
            if (open.size() < 2)
                break;
            const uint32_t a = choice.getUnsigned(static_cast<uint32_t>(open.size() - 1));
            uint32_t b = choice.getUnsigned(static_cast<uint32_t>(open.size() - 2));
            b += b >= a ? 1 : 0;
            board.tiles[open[a]].present = false;
            board.tiles[open[b]].present = false;
        }
    }
}

// Four tiles left: one lying on another, and two free ones elsewhere. When
// the two stacked are the last of their group, nothing clears the board and
// no pair keeps it clearable; when each goes with one of the free tiles,
// both searches find the way.
TEST_F(BoardSolverTest, ATileOnItsOnlyPartnerIsADeadEndEvenForTheShufflesOfTheFaces)
{
    ASSERT_TRUE(mirror.deal(700));
    QVBoard& board = mirror.board;
    int32_t top = -1;
    int32_t under = -1;
    for (int32_t i = 0; i < QVBoard::kTileCount && under < 0; ++i) {
        for (int32_t j = 0; j < QVBoard::kTileCount; ++j) {
            const QVTile& t = board.tiles[i];
            const QVTile& u = board.tiles[j];
            if (t.z == 1 && u.z == 0 && u.x == t.x && u.y == t.y) {
                top = i;
                under = j;
                break;
            }
        }
    }
    ASSERT_GE(under, 0) << "the layout has no tile lying on another";
    // Two layer-0 tiles far from the stack and from each other, nothing
    // beside them once the rest is gone.
    std::vector<int32_t> far;
    for (int32_t i = 0; i < QVBoard::kTileCount && far.size() < 2; ++i) {
        const QVTile& t = board.tiles[i];
        const bool apart = std::abs(t.x - board.tiles[top].x) > 4 || std::abs(t.y - board.tiles[top].y) > 4;
        if (t.z == 0 && apart && (far.empty() || std::abs(t.x - board.tiles[far[0]].x) > 4 ||
                                  std::abs(t.y - board.tiles[far[0]].y) > 4))
            far.push_back(i);
    }
    ASSERT_EQ(far.size(), 2u);
    for (QVTile& t : board.tiles)
        t.present = false;
    for (int32_t slot : {top, under, far[0], far[1]})
        board.tiles[slot].present = true;

    std::vector<Move> moves;
    Move keeping{-1, -1};
    board.tiles[top].matchGroup = board.tiles[under].matchGroup = 0;
    board.tiles[far[0]].matchGroup = board.tiles[far[1]].matchGroup = 1;
    {
        BoardSolver solver(board);
        EXPECT_FALSE(solver.findClearingMoves(400, &moves));
        EXPECT_FALSE(solver.findPairThatKeepsItClearable(&keeping))
            << "only the free pair can go, and it leaves a tile on its own partner";
    }
    board.tiles[top].matchGroup = board.tiles[far[0]].matchGroup = 0;
    board.tiles[under].matchGroup = board.tiles[far[1]].matchGroup = 1;
    BoardSolver solver(board);
    ASSERT_TRUE(solver.findClearingMoves(400, &moves));
    EXPECT_EQ(moves, std::vector<Move>({Move(std::min(top, far[0]), std::max(top, far[0])),
                                        Move(std::min(under, far[1]), std::max(under, far[1]))}));
    ASSERT_TRUE(solver.findPairThatKeepsItClearable(&keeping));
    EXPECT_EQ(keeping, moves[0]);
}

// The solver's verdicts on a few tiles of the classic board, the rest taken
// off: a lock that no order of play undoes (pairs crossed along a row or
// between two stacks, three of a group in one stack) is proven at the first
// position, though a free pair could still be taken, and the same tiles
// grouped otherwise clear.
struct VerdictCase {
    const char* what;
    // Tiles by their place (x, y, z) and the group of each.
    std::vector<TilePosition> places;
    std::vector<int32_t> groups;
    BoardSolver::Verdict verdict;
};

class SolverVerdict : public BoardSolverTest, public testing::WithParamInterface<VerdictCase> {};

TEST_P(SolverVerdict, OnAFewTilesLeft)
{
    const VerdictCase& c = GetParam();
    ASSERT_TRUE(mirror.deal(700));
    QVBoard& board = mirror.board;
    for (QVTile& t : board.tiles)
        t.present = false;
    for (size_t k = 0; k < c.places.size(); ++k) {
        QVTile* found = nullptr;
        for (QVTile& t : board.tiles) {
            if (t.x == c.places[k].x && t.y == c.places[k].y && t.z == c.places[k].z)
                found = &t;
        }
        ASSERT_NE(found, nullptr) << c.places[k].x << "," << c.places[k].y << "," << c.places[k].z;
        found->present = true;
        found->matchGroup = c.groups[k];
    }
    std::vector<Move> moves;
    EXPECT_EQ(BoardSolver(board).solve(1, &moves) == BoardSolver::Verdict::Unwinnable,
              c.verdict == BoardSolver::Verdict::Unwinnable)
        << "a lock is seen at the first position";
    ASSERT_EQ(BoardSolver(board).solve(400, &moves), c.verdict);
    if (c.verdict == BoardSolver::Verdict::Cleared) {
        EXPECT_EQ(moves.size(), c.places.size() / 2);
        EXPECT_TRUE(playable(board, moves));
    }
}

using V = BoardSolver::Verdict;
// The classic board: its bottom row (y 14, x 2-24) has nothing above it;
// at 10,4 three tiles stand one on another, at 16,10 three more.
INSTANTIATE_TEST_SUITE_P(
    Classic, SolverVerdict,
    testing::Values(
        // With a free pair of another group beside, so that there is a move.
        VerdictCase{"row_crossed",
                    {{2, 14, 0}, {4, 14, 0}, {6, 14, 0}, {8, 14, 0}, {16, 14, 0}, {20, 14, 0}},
                    {0, 1, 0, 1, 2, 2},
                    V::Unwinnable},
        VerdictCase{"row_nested",
                    {{2, 14, 0}, {4, 14, 0}, {6, 14, 0}, {8, 14, 0}, {16, 14, 0}, {20, 14, 0}},
                    {0, 1, 1, 0, 2, 2},
                    V::Cleared},
        VerdictCase{"stacks_crossed",
                    {{10, 4, 0}, {10, 4, 1}, {16, 10, 0}, {16, 10, 1}, {2, 14, 0}, {24, 14, 0}},
                    {0, 1, 1, 0, 2, 2},
                    V::Unwinnable},
        VerdictCase{"stacks_level",
                    {{10, 4, 0}, {10, 4, 1}, {16, 10, 0}, {16, 10, 1}, {2, 14, 0}, {24, 14, 0}},
                    {0, 1, 0, 1, 2, 2},
                    V::Cleared},
        VerdictCase{"three_of_four_stacked",
                    {{10, 4, 0}, {10, 4, 1}, {10, 4, 2}, {2, 14, 0}, {8, 14, 0}, {24, 14, 0}},
                    {0, 0, 0, 0, 2, 2},
                    V::Unwinnable},
        VerdictCase{"two_of_four_stacked",
                    {{10, 4, 0}, {10, 4, 1}, {2, 14, 0}, {24, 14, 0}},
                    {0, 0, 0, 0},
                    V::Cleared}),
    [](const testing::TestParamInfo<VerdictCase>& info) { return std::string(info.param.what); });

TEST_F(BoardSolverTest, AWholeBoardIsUndecidedWithinATinyBudget)
{
    ASSERT_TRUE(mirror.deal(10026));
    std::vector<Move> moves;
    BoardSolver solver(mirror.board);
    ASSERT_EQ(solver.solve(20000, &moves), BoardSolver::Verdict::Cleared);
    EXPECT_EQ(solver.solve(50, &moves), BoardSolver::Verdict::Undecided) << "72 pairs need more than 50 positions";
    EXPECT_TRUE(moves.empty());
}

} // namespace
