// Playing a dealt board outside the game: clickable pairs and two searches.
#include "tests/support/BoardSolver.h"

#include "tests/support/ArchiveBoard.h"

#include <algorithm>
#include <cstdlib>

BoardSolver::BoardSolver(QVBoard& board) : m_board(board), m_iVisits(0), m_seen() {}

bool BoardSolver::clickable(int32_t slot)
{
    QVTile* t = &m_board.tiles[slot];
    return t->present && m_board.m_findTileAtPoint(ArchiveBoard::s_faceCentre(*t), true) == t;
}

std::vector<BoardSolver::Move> BoardSolver::clickablePairs()
{
    std::vector<int32_t> open;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        if (m_board.tiles[i].present && m_board.tileIsFree(&m_board.tiles[i]) && clickable(i))
            open.push_back(i);
    }
    std::vector<Move> pairs;
    for (size_t a = 0; a < open.size(); ++a) {
        for (size_t b = a + 1; b < open.size(); ++b) {
            if (m_board.tiles[open[a]].matchGroup == m_board.tiles[open[b]].matchGroup)
                pairs.emplace_back(open[a], open[b]);
        }
    }
    return pairs;
}

int32_t BoardSolver::m_weight(int32_t slot) const
{
    const QVTile& t = m_board.tiles[slot];
    int32_t w = 8 * t.z;
    for (const QVTile& u : m_board.tiles) {
        if (!u.present || &u == &t || std::abs(u.y - t.y) > 1)
            continue;
        if (u.z == t.z - 1 && std::abs(u.x - t.x) <= 1)
            w += 3;
        else if (u.z == t.z && std::abs(u.x - t.x) == 2)
            w += 1;
    }
    return w;
}

std::bitset<QVBoard::kTileCount> BoardSolver::m_present() const
{
    std::bitset<QVBoard::kTileCount> p;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i)
        p[static_cast<size_t>(i)] = m_board.tiles[i].present;
    return p;
}

void BoardSolver::m_remove(const Move& m)
{
    m_board.removeTiles(&m_board.tiles[m.first], &m_board.tiles[m.second], MvTime{0, 0});
}

void BoardSolver::m_undo()
{
    m_board.undoLastMatch(nullptr, nullptr);
}

bool BoardSolver::findClearingMoves(int32_t budget, std::vector<Move>* moves)
{
    m_iVisits = 0;
    m_seen.clear();
    moves->clear();
    const int32_t undoTop = m_board.undoTop;
    const bool found = m_search(budget, moves);
    // A failed search undid every removal it made; a successful one left
    // the board cleared.
    if (found) {
        for (size_t i = 0; i < moves->size(); ++i)
            m_undo();
    }
    m_board.undoTop = undoTop;
    return found;
}

bool BoardSolver::m_search(int32_t budget, std::vector<Move>* moves)
{
    if (m_board.tilesLeft == 0)
        return true;
    if (++m_iVisits > budget || !m_seen.insert(m_present()).second)
        return false;
    std::vector<Move> pairs = clickablePairs();
    std::vector<std::pair<int32_t, Move>> ranked;
    for (const Move& m : pairs)
        ranked.emplace_back(m_weight(m.first) + m_weight(m.second), m);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& l, const auto& r) { return l.first > r.first; });
    for (const auto& r : ranked) {
        m_remove(r.second);
        moves->push_back(r.second);
        if (m_search(budget, moves))
            return true;
        moves->pop_back();
        m_undo();
        if (m_iVisits > budget)
            return false;
    }
    return false;
}

bool BoardSolver::findDeadEnd(std::vector<Move>* moves)
{
    moves->clear();
    const int32_t undoTop = m_board.undoTop;
    bool stuck = false;
    for (;;) {
        std::vector<Move> pairs = clickablePairs();
        if (pairs.empty()) {
            stuck = m_board.tilesLeft > 0 && !m_board.matchExists(nullptr, nullptr, 0);
            break;
        }
        const auto least = std::min_element(pairs.begin(), pairs.end(), [this](const Move& l, const Move& r) {
            return m_weight(l.first) + m_weight(l.second) < m_weight(r.first) + m_weight(r.second);
        });
        m_remove(*least);
        moves->push_back(*least);
    }
    for (size_t i = 0; i < moves->size(); ++i)
        m_undo();
    m_board.undoTop = undoTop;
    return stuck;
}
