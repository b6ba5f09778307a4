// Playing a dealt board outside the game: clickable pairs and two searches.
#include "tests/support/BoardSolver.h"

#include "tests/support/ArchiveBoard.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

BoardSolver::BoardSolver(const QVBoard& board)
    : m_start(), m_group(), m_positions(), m_over(), m_left(), m_right(), m_under(), m_hits()
{
    constexpr int32_t n = QVBoard::kTileCount;
    takePosition(board);
    for (const QVTile& t : board.tiles)
        m_positions.push_back(TilePosition{t.x, t.y, t.z});
    for (int32_t i = 0; i < n; ++i) {
        const QVTile& t = board.tiles[i];
        const HScreenPoint middle = ArchiveBoard::s_faceCentre(t);
        for (int32_t j = 0; j < n; ++j) {
            const QVTile& u = board.tiles[j];
            HScreenRect rect;
            u.getTileRect(&rect);
            if (rect.containsPoint(middle)) {
                HScreenRect face;
                u.getFaceRect(&face);
                face.right -= 1;
                face.bottom -= 1;
                m_hits[static_cast<size_t>(i)].push_back(Hit{j, u.z, face.containsPoint(middle)});
            }
            if (j == i)
                continue;
            const int32_t dx = u.x - t.x;
            const int32_t dy = u.y - t.y;
            if (std::abs(dy) > 1)
                continue;
            if (u.z == t.z + 1 && std::abs(dx) <= 1)
                m_over[static_cast<size_t>(i)].push_back(j);
            else if (u.z == t.z && dx == -2)
                m_left[static_cast<size_t>(i)].push_back(j);
            else if (u.z == t.z && dx == 2)
                m_right[static_cast<size_t>(i)].push_back(j);
        }
    }
    // Lower layers first, so that what a tile lies on is known before the
    // tiles on it take it over.
    std::vector<int32_t> upwards(n);
    std::iota(upwards.begin(), upwards.end(), 0);
    std::stable_sort(upwards.begin(), upwards.end(), [this](int32_t a, int32_t b) {
        return m_positions[static_cast<size_t>(a)].z < m_positions[static_cast<size_t>(b)].z;
    });
    for (int32_t i : upwards) {
        for (int32_t j : m_over[static_cast<size_t>(i)]) {
            m_under[static_cast<size_t>(j)].set(static_cast<size_t>(i));
            m_under[static_cast<size_t>(j)] |= m_under[static_cast<size_t>(i)];
        }
    }
}

void BoardSolver::takePosition(const QVBoard& board)
{
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        m_start[static_cast<size_t>(i)] = board.tiles[i].present;
        m_group[static_cast<size_t>(i)] = board.tiles[i].matchGroup;
    }
}

bool BoardSolver::m_free(const Present& present, int32_t slot) const
{
    const size_t s = static_cast<size_t>(slot);
    if (!present[s])
        return false;
    auto any = [&](const std::vector<int32_t>& tiles) {
        return std::any_of(tiles.begin(), tiles.end(), [&](int32_t j) { return present[static_cast<size_t>(j)]; });
    };
    return !any(m_over[s]) && (!any(m_left[s]) || !any(m_right[s]));
}

bool BoardSolver::m_clickable(const Present& present, int32_t slot) const
{
    if (!present[static_cast<size_t>(slot)])
        return false;
    // m_findTileAtPoint's walk over the tiles under the point.
    const Hit* best = nullptr;
    for (const Hit& h : m_hits[static_cast<size_t>(slot)]) {
        if (!present[static_cast<size_t>(h.slot)])
            continue;
        if (!best || h.z > best->z || (!best->face && h.face))
            best = &h;
    }
    return best && best->slot == slot;
}

std::vector<BoardSolver::Move> BoardSolver::m_pairs(const Present& present) const
{
    std::vector<int32_t> open;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        if (m_free(present, i) && m_clickable(present, i))
            open.push_back(i);
    }
    std::vector<Move> pairs;
    for (size_t a = 0; a < open.size(); ++a) {
        for (size_t b = a + 1; b < open.size(); ++b) {
            if (m_group[static_cast<size_t>(open[a])] == m_group[static_cast<size_t>(open[b])])
                pairs.emplace_back(open[a], open[b]);
        }
    }
    return pairs;
}

int32_t BoardSolver::m_weight(const Present& present, const Move& m) const
{
    return PairSearch::s_weight(m_positions, present, m.first) + PairSearch::s_weight(m_positions, present, m.second);
}

std::vector<BoardSolver::Move> BoardSolver::m_ranked(const Present& present) const
{
    std::vector<std::pair<int32_t, Move>> weighed;
    for (const Move& m : m_pairs(present))
        weighed.emplace_back(m_weight(present, m), m);
    std::stable_sort(weighed.begin(), weighed.end(), [](const auto& l, const auto& r) { return l.first > r.first; });
    std::vector<Move> ranked;
    for (const auto& w : weighed)
        ranked.push_back(w.second);
    return ranked;
}

std::vector<BoardSolver::Move> BoardSolver::m_clearingPairs(const Present& present) const
{
    std::array<std::vector<int32_t>, QVBoard::kMatchGroups> left;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        const int32_t g = m_group[static_cast<size_t>(i)];
        if (present[static_cast<size_t>(i)] && g >= 0 && g < QVBoard::kMatchGroups)
            left[static_cast<size_t>(g)].push_back(i);
    }
    const std::vector<Move> pairs = m_pairs(present);
    for (const std::vector<int32_t>& tiles : left) {
        // The last two of a group, one lying on the other: the upper one
        // can only go with a partner, and its only partner lies under it.
        if (tiles.size() == 2 && (m_under[static_cast<size_t>(tiles[0])][static_cast<size_t>(tiles[1])] ||
                                  m_under[static_cast<size_t>(tiles[1])][static_cast<size_t>(tiles[0])]))
            return {};
    }
    for (const Move& m : pairs) {
        // Taking it loses nothing: the group's last two tiles go together
        // whenever they go, and of a group wholly free any pairing will do.
        const size_t count = left[static_cast<size_t>(m_group[static_cast<size_t>(m.first)])].size();
        size_t freeInGroup = 0;
        for (const Move& o : pairs)
            freeInGroup += m_group[static_cast<size_t>(o.first)] == m_group[static_cast<size_t>(m.first)] ? 1 : 0;
        // Four tiles all free and clickable make six pairs.
        if (count == 2 || (count == 4 && freeInGroup == 6))
            return {m};
    }
    return m_ranked(present);
}

bool BoardSolver::findClearingMoves(int32_t budget, std::vector<Move>* moves) const
{
    PairSearch search;
    return search.clear(m_start, budget, [this](const Present& p) { return m_clearingPairs(p); }, moves);
}

bool BoardSolver::findDeadEnd(std::vector<Move>* moves, int32_t budget) const
{
    PairSearch search;
    auto stuck = [this](const Present& p) {
        if (p.none())
            return false;
        // No free pair at all, not only none that can be clicked.
        std::array<int32_t, QVBoard::kMatchGroups> freeInGroup{};
        for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
            const int32_t g = m_group[static_cast<size_t>(i)];
            if (m_free(p, i) && g >= 0 && g < QVBoard::kMatchGroups && ++freeInGroup[static_cast<size_t>(g)] == 2)
                return false;
        }
        return true;
    };
    return search.reach(m_start, budget,
                        [this](const Present& p) {
                            std::vector<Move> ranked = m_ranked(p);
                            std::reverse(ranked.begin(), ranked.end());
                            return ranked;
                        },
                        stuck, moves);
}

std::vector<BoardSolver::Move> BoardSolver::m_anyPairs(const Present& present) const
{
    std::vector<int32_t> open;
    std::array<int32_t, QVBoard::kTileCount> weight{};
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        if (m_free(present, i)) {
            open.push_back(i);
            weight[static_cast<size_t>(i)] = PairSearch::s_weight(m_positions, present, i);
        }
    }
    std::stable_sort(open.begin(), open.end(), [&](int32_t a, int32_t b) {
        return weight[static_cast<size_t>(a)] > weight[static_cast<size_t>(b)];
    });
    // The best eight are enough for the search, and keep it quick.
    const size_t n = std::min<size_t>(open.size(), 8);
    std::vector<std::pair<size_t, size_t>> ranks;
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = a + 1; b < n; ++b)
            ranks.emplace_back(a, b);
    }
    std::stable_sort(ranks.begin(), ranks.end(),
                     [](const auto& l, const auto& r) { return l.first + l.second < r.first + r.second; });
    std::vector<Move> pairs;
    for (const auto& r : ranks)
        pairs.emplace_back(open[r.first], open[r.second]);
    return pairs;
}

bool BoardSolver::findPairThatKeepsItClearable(Move* move, int32_t budget) const
{
    std::vector<Move> moves;
    for (const Move& m : m_ranked(m_start)) {
        Present after = m_start;
        after.reset(static_cast<size_t>(m.first));
        after.reset(static_cast<size_t>(m.second));
        PairSearch search;
        if (search.clear(after, budget, [this](const Present& p) { return m_anyPairs(p); }, &moves)) {
            *move = m;
            return true;
        }
    }
    return false;
}
