// Playing a dealt board outside the game: clickable pairs and two searches.
#include "tests/support/BoardSolver.h"

#include "tests/support/ArchiveBoard.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

BoardSolver::BoardSolver(const QVBoard& board)
    : m_start(), m_group(), m_positions(), m_over(), m_left(), m_right(), m_under(), m_above(), m_hits()
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
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t j = 0; j < n; ++j) {
            if (m_under[static_cast<size_t>(j)][static_cast<size_t>(i)])
                m_above[static_cast<size_t>(i)].set(static_cast<size_t>(j));
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

int32_t BoardSolver::m_jitter(uint32_t salt, const Move& m)
{
    if (salt == 0)
        return 0;
    // A hash of the try and the pair (splitmix's finaliser).
    uint64_t h = (uint64_t(salt) << 32) ^ (uint64_t(uint32_t(m.first)) << 16) ^ uint64_t(uint32_t(m.second));
    h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ull;
    h = (h ^ (h >> 27)) * 0x94d049bb133111ebull;
    h ^= h >> 31;
    return static_cast<int32_t>(h % uint64_t(kJitter));
}

std::vector<BoardSolver::Move> BoardSolver::m_clearingPairs(const Present& present, uint32_t salt) const
{
    Groups left{};
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        const int32_t g = m_group[static_cast<size_t>(i)];
        if (present[static_cast<size_t>(i)] && g >= 0 && g < QVBoard::kMatchGroups) {
            GroupTiles& group = left[static_cast<size_t>(g)];
            if (group.count < kGroupSize)
                group.tiles[static_cast<size_t>(group.count)] = i;
            ++group.count;
        }
    }
    for (const GroupTiles& group : left) {
        if (m_deadGroup(group))
            return {};
    }
    if (m_lockedPairs(present, left))
        return {};
    const std::vector<Move> pairs = m_pairs(present);
    for (const Move& m : pairs) {
        // Taking it loses nothing: the group's last two tiles go together
        // whenever they go, and of a group wholly free any pairing will do.
        const int32_t count = left[static_cast<size_t>(m_group[static_cast<size_t>(m.first)])].count;
        size_t freeInGroup = 0;
        for (const Move& o : pairs)
            freeInGroup += m_group[static_cast<size_t>(o.first)] == m_group[static_cast<size_t>(m.first)] ? 1 : 0;
        // Four tiles all free and clickable make six pairs.
        if (count == 2 || (count == 4 && freeInGroup == 6))
            return {m};
    }
    // The pairs that release most first: a tile counts twice each present
    // tile it lies on, through the layers, and once each tile along its row
    // on the side it closes.
    std::vector<std::pair<int32_t, Move>> weighed;
    for (const Move& m : pairs) {
        int32_t w = 0;
        for (int32_t t : {m.first, m.second}) {
            const size_t ts = static_cast<size_t>(t);
            const size_t beside = std::max(m_row(present, t, true).count(), m_row(present, t, false).count());
            w += 2 * static_cast<int32_t>((m_under[ts] & present).count()) + static_cast<int32_t>(beside);
        }
        weighed.emplace_back(2 * w + m_jitter(salt, m), m);
    }
    std::stable_sort(weighed.begin(), weighed.end(), [](const auto& l, const auto& r) { return l.first > r.first; });
    std::vector<Move> ranked;
    for (const auto& w : weighed)
        ranked.push_back(w.second);
    return ranked;
}

bool BoardSolver::m_pairings(const GroupTiles& group, Move* only, Move* other, int32_t* ways) const
{
    *ways = 0;
    if (group.count == 2) {
        *ways = m_stacked(group.tiles[0], group.tiles[1]) ? 0 : 1;
        *only = Move(group.tiles[0], group.tiles[1]);
        *other = Move(-1, -1);
        return true;
    }
    if (group.count != 4)
        return false;
    // Four: the first tile goes with one of the others, the two left with
    // each other.
    for (size_t partner = 1; partner < 4; ++partner) {
        int32_t rest[2];
        size_t n = 0;
        for (size_t i = 1; i < 4; ++i) {
            if (i != partner)
                rest[n++] = group.tiles[i];
        }
        if (!m_stacked(group.tiles[0], group.tiles[partner]) && !m_stacked(rest[0], rest[1])) {
            ++*ways;
            *only = Move(group.tiles[0], group.tiles[partner]);
            *other = Move(rest[0], rest[1]);
        }
    }
    return true;
}

bool BoardSolver::m_deadGroup(const GroupTiles& group) const
{
    // The last two of a group, one lying on the other: the upper one can
    // only go with a partner, and its only partner lies under it.
    Move only, other;
    int32_t ways = 0;
    return m_pairings(group, &only, &other, &ways) && ways == 0;
}

BoardSolver::Present BoardSolver::m_row(const Present& present, int32_t slot, bool leftwards) const
{
    // While the tile is there, a tile beside it can only go by its far
    // side, and so on along the row: all of them go before it can go that
    // way.
    Present row;
    std::array<int32_t, QVBoard::kTileCount> todo;
    size_t n = 0;
    todo[n++] = slot;
    while (n > 0) {
        const int32_t t = todo[--n];
        for (int32_t j : leftwards ? m_left[static_cast<size_t>(t)] : m_right[static_cast<size_t>(t)]) {
            if (present[static_cast<size_t>(j)] && !row[static_cast<size_t>(j)]) {
                row.set(static_cast<size_t>(j));
                todo[n++] = j;
            }
        }
    }
    return row;
}

bool BoardSolver::m_lockedPairs(const Present& present, const Groups& left) const
{
    // The pairs that must go as they are: the last two of a group, and the
    // two pairs of a group of four that can be paired only one way.
    constexpr size_t kMaxPairs = QVBoard::kTileCount / 2;
    std::array<Move, kMaxPairs> fixed;
    size_t n = 0;
    for (const GroupTiles& group : left) {
        Move only, other;
        int32_t ways = 0;
        if (!m_pairings(group, &only, &other, &ways) || ways != 1)
            continue;
        fixed[n++] = only;
        if (other.first >= 0)
            fixed[n++] = other;
    }
    std::array<int32_t, QVBoard::kTileCount> pairOf;
    pairOf.fill(-1);
    for (size_t i = 0; i < n; ++i) {
        pairOf[static_cast<size_t>(fixed[i].first)] = static_cast<int32_t>(i);
        pairOf[static_cast<size_t>(fixed[i].second)] = static_cast<int32_t>(i);
    }
    auto partnerOf = [&](size_t tile) {
        const Move& m = fixed[static_cast<size_t>(pairOf[tile])];
        return static_cast<size_t>(m.first == static_cast<int32_t>(tile) ? m.second : m.first);
    };
    // What must be gone before each pair can go: the tiles lying on either
    // tile; along a row, when its partner lies on one side, every tile on
    // the other; and a pair with tiles on both sides of one of its tiles.
    std::array<std::bitset<kMaxPairs>, kMaxPairs> after{};
    for (size_t q = 0; q < n; ++q) {
        for (const int32_t t : {fixed[q].first, fixed[q].second}) {
            const size_t partner = partnerOf(static_cast<size_t>(t));
            const Present l = m_row(present, t, true);
            const Present r = m_row(present, t, false);
            if (l[partner] && r[partner])
                return true;
            Present first = m_above[static_cast<size_t>(t)] & present;
            if (l[partner])
                first |= r;
            else if (r[partner])
                first |= l;
            for (size_t u = first._Find_first(); u < first.size(); u = first._Find_next(u)) {
                if (pairOf[u] >= 0 && static_cast<size_t>(pairOf[u]) != q)
                    after[static_cast<size_t>(pairOf[u])].set(q);
            }
            for (size_t u = l._Find_first(); u < l.size(); u = l._Find_next(u)) {
                if (pairOf[u] >= 0 && static_cast<size_t>(pairOf[u]) != q && r[partnerOf(u)])
                    after[static_cast<size_t>(pairOf[u])].set(q);
            }
        }
    }
    // Pairs that must each go before the other, through any chain, never
    // go: take off the pairs that nothing must precede until none is left.
    std::array<int32_t, kMaxPairs> before{};
    for (size_t p = 0; p < n; ++p) {
        for (size_t q = after[p]._Find_first(); q < kMaxPairs; q = after[p]._Find_next(q))
            ++before[q];
    }
    std::array<size_t, kMaxPairs> ready;
    size_t waiting = 0;
    for (size_t q = 0; q < n; ++q) {
        if (before[q] == 0)
            ready[waiting++] = q;
    }
    size_t gone = 0;
    while (waiting > 0) {
        const size_t p = ready[--waiting];
        ++gone;
        for (size_t q = after[p]._Find_first(); q < kMaxPairs; q = after[p]._Find_next(q)) {
            if (--before[q] == 0)
                ready[waiting++] = q;
        }
    }
    return gone < n;
}

BoardSolver::Verdict BoardSolver::solve(int32_t budget, std::vector<Move>* moves) const
{
    // A search that goes wrong early spends its whole budget below that
    // move. Short tries, the first in the plain order and the others with
    // the ranking shaken, find most clearing orders much sooner; half the
    // budget goes to them, the other half to one long try in the plain
    // order. Every try is complete: one that ends within its budget
    // without a way has proven there is none.
    PairSearch search;
    const int32_t shortTries = budget / 2 / kTryBudget;
    for (int32_t salt = 0; salt <= shortTries; ++salt) {
        const bool last = salt == shortTries;
        const int32_t allowed = last ? budget - shortTries * kTryBudget : kTryBudget;
        const uint32_t jitter = last ? 0 : static_cast<uint32_t>(salt);
        if (search.clear(m_start, allowed, [this, jitter](const Present& p) { return m_clearingPairs(p, jitter); },
                         moves))
            return Verdict::Cleared;
        if (!search.ranOut())
            return Verdict::Unwinnable;
    }
    return Verdict::Undecided;
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
