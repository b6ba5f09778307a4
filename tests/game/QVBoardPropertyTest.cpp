// The board's rules over many random games: seeded games on several of the
// archive's layouts, played through the board's own operations (select,
// match, hint, undo, shuffle, the free-tile highlight's count) in a random
// order, with the rules of BoardInvariants checked after every step. A
// failure names the layout, the seed and the step.
#include "engine/core/HMersenneTwisterRNG.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardInvariants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using Snapshot = BoardInvariants::Snapshot;

constexpr int kGamesPerLayout = 60;
constexpr int kStepsPerGame = 160;

enum Op { OP_SELECT, OP_MATCH, OP_HINT, OP_UNDO, OP_SHUFFLE, OP_HIGHLIGHT, OP_COUNT };

const char* const kOpNames[OP_COUNT] = {"select", "match", "hint", "undo", "shuffle", "highlight"};

// One game: the steps' own rules on top of BoardInvariants'. Returns false
// (with a failure recorded) at the first broken rule.
class Game {
public:
    Game(ArchiveBoard& mirror, uint32_t seed) : m_board(mirror.board), m_choices(), m_step(0)
    {
        m_choices.seedRNG(seed ^ 0x9e3779b9u);
    }

    bool play()
    {
        Snapshot before = Snapshot::s_take(m_board);
        if (!m_ok(BoardInvariants::s_checkDeal(before), "the deal"))
            return false;
        for (m_step = 0; m_step < kStepsPerGame && m_board.tilesLeft > 0; ++m_step) {
            // Matching and selecting most often, so that games go deep.
            const uint32_t r = m_choices.getUnsigned(99);
            const Op op = r < 30 ? OP_MATCH
                                 : r < 50 ? OP_SELECT
                                          : r < 65 ? OP_HINT : r < 80 ? OP_UNDO : r < 88 ? OP_SHUFFLE : OP_HIGHLIGHT;
            BoardInvariants::Allowed allowed;
            allowed.shuffle = op == OP_SHUFFLE;
            if (!m_do(op, before))
                return false;
            const Snapshot after = Snapshot::s_take(m_board, &before);
            if (!m_ok(BoardInvariants::s_check(after), kOpNames[op]) ||
                !m_ok(BoardInvariants::s_checkStep(before, after, allowed), kOpNames[op]) ||
                !m_ok(m_opRules(op, before, after), kOpNames[op]))
                return false;
            before = after;
        }
        return true;
    }

private:
    bool m_ok(const std::string& broken, const char* what)
    {
        if (broken.empty())
            return true;
        ADD_FAILURE() << "step " << m_step << " (" << what << "): " << broken;
        return false;
    }

    int32_t m_pick(const std::vector<int32_t>& from) { return from[m_choices.getUnsigned(from.size() - 1)]; }

    // A hint's pair at a random place of the rotation, into m_seen.
    bool m_hintPair()
    {
        QVTile* a = nullptr;
        QVTile* b = nullptr;
        m_seen.found = m_board.matchExists(&a, &b, static_cast<int>(m_choices.getUnsigned(7)));
        m_seen.pair = {slotOf(a), slotOf(b)};
        return m_seen.found;
    }

    // The step itself. What it saw on the way goes into m_seen for
    // m_opRules.
    bool m_do(Op op, const Snapshot& before)
    {
        m_seen = Seen();
        switch (op) {
        case OP_SELECT: {
            // As the play flow selects: only a free tile; a second free tile
            // of the selected one's group takes the pair.
            const std::vector<int32_t> open = before.freeSlots();
            if (open.empty())
                return true;
            QVTile* t = &m_board.tiles[m_pick(open)];
            QVTile* s = m_board.selectedTile;
            if (!s) {
                m_board.selectedTile = t;
                t->selected = true;
            } else if (t == s || t->matchGroup != s->matchGroup) {
                m_board.deselect();
            } else {
                m_board.removeTiles(t, s, MvTime::s_fromTime64(1000 + m_step));
            }
            return true;
        }
        case OP_MATCH:
            // The pair a hint shows, taken.
            if (m_hintPair())
                m_board.removeTiles(&m_board.tiles[m_seen.pair.first], &m_board.tiles[m_seen.pair.second],
                                    MvTime::s_fromTime64(1000 + m_step));
            return true;
        case OP_HINT: {
            m_hintPair();
            const std::vector<int32_t> open = before.freeSlots();
            if (!open.empty()) {
                const QVTile* t = &m_board.tiles[m_pick(open)];
                QVTile* partners[3] = {nullptr, nullptr, nullptr};
                const int n = m_board.findAllMatchingTiles(t, partners);
                m_seen.subject = slotOf(t);
                for (int i = 0; i < n && i < 3; ++i)
                    m_seen.partners.push_back(slotOf(partners[i]));
                int index = -2;
                m_seen.freePartner = slotOf(m_board.findMatchingFreeTile(t, &index, m_seen.subject));
                m_seen.freePartnerIndex = index;
            }
            return true;
        }
        case OP_UNDO: {
            QVTile* a = nullptr;
            QVTile* b = nullptr;
            m_board.undoLastMatch(&a, &b);
            m_seen.pair = {slotOf(a), slotOf(b)};
            // The board leaves the selection alone; a tile put back may
            // cover it, so the play flow drops it, as here.
            if (m_board.selectedTile)
                m_board.deselect();
            return true;
        }
        case OP_SHUFFLE:
            m_board.shuffleTiles();
            return true;
        case OP_HIGHLIGHT:
            m_seen.open = m_board.countOpenTiles();
            return true;
        default:
            return true;
        }
    }

    // What each operation promises beyond the board's rules.
    std::string m_opRules(Op op, const Snapshot& before, const Snapshot& after) const
    {
        switch (op) {
        case OP_HINT: {
            const std::vector<std::pair<int32_t, int32_t>> pairs = BoardInvariants::s_freePairs(m_board);
            if (m_seen.found != (before.availableMatches > 0))
                return "a hint found a pair exactly when moves were left: not so";
            if (m_seen.found && std::find(pairs.begin(), pairs.end(), m_seen.pair) == pairs.end())
                return "the hint's pair is not a free pair of one group";
            if (m_seen.subject >= 0) {
                const Snapshot::Tile& t = after.tiles[static_cast<size_t>(m_seen.subject)];
                int32_t others = 0;
                for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
                    const Snapshot::Tile& u = after.tiles[static_cast<size_t>(i)];
                    if (i != m_seen.subject && u.present && u.matchGroup == t.matchGroup)
                        ++others;
                }
                if (static_cast<int32_t>(m_seen.partners.size()) != others)
                    return "the partners found are not the other present tiles of the group";
                for (int32_t p : m_seen.partners) {
                    if (p < 0 || p == m_seen.subject || !after.tiles[static_cast<size_t>(p)].present ||
                        after.tiles[static_cast<size_t>(p)].matchGroup != t.matchGroup)
                        return "a partner found is not a present tile of the group";
                }
                const bool anyFree = std::any_of(m_seen.partners.begin(), m_seen.partners.end(),
                                                 [&](int32_t p) { return after.tiles[static_cast<size_t>(p)].free; });
                if ((m_seen.freePartner >= 0) != anyFree || m_seen.freePartner != m_seen.freePartnerIndex ||
                    (m_seen.freePartner >= 0 && !after.tiles[static_cast<size_t>(m_seen.freePartner)].free))
                    return "the free partner found is not a free partner, or one was missed";
            }
            return "";
        }
        case OP_UNDO:
            if (before.undo.empty())
                return m_seen.pair == std::make_pair(-1, -1) ? "" : "an undo on an empty stack reported tiles";
            if (m_seen.pair != before.undo.back())
                return "an undo reported another pair than the last one taken off";
            return "";
        case OP_SHUFFLE: {
            const bool pairLeft = BoardInvariants::s_recountMoves(after) > 0;
            if (!pairLeft && m_freeSlotsCount(after) > 1)
                return "a shuffle stopped with two or more open tiles and no free pair";
            if (after.selected != before.selected)
                return "a shuffle changed the selection";
            return "";
        }
        case OP_HIGHLIGHT:
            return m_seen.open == m_freeSlotsCount(after) ? "" : "the highlight's count is not the free tiles";
        default:
            return "";
        }
    }

    int32_t m_freeSlotsCount(const Snapshot& s) const { return static_cast<int32_t>(s.freeSlots().size()); }
    int32_t slotOf(const QVTile* t) const { return BoardInvariants::s_slotOf(m_board, t); }

    struct Seen {
        bool found = false;
        std::pair<int32_t, int32_t> pair{-1, -1};
        int32_t subject = -1;
        std::vector<int32_t> partners;
        int32_t freePartner = -1;
        int freePartnerIndex = -1;
        int32_t open = 0;
    };

    QVBoard& m_board;
    HMersenneTwisterRNG m_choices;
    int m_step;
    Seen m_seen;
};

class QVBoardProperty : public testing::TestWithParam<int32_t> {};

TEST_P(QVBoardProperty, RandomGamesKeepTheRules)
{
    const int32_t layout = GetParam();
    ArchiveBoard mirror;
    ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath() << " (build the archive)";
    for (int game = 0; game < kGamesPerLayout; ++game) {
        const uint32_t seed = 7919u * static_cast<uint32_t>(layout + 1) + static_cast<uint32_t>(game);
        SCOPED_TRACE("layout " + std::to_string(layout) + " (" + QVBoard::s_akpLayouts[layout] + "), seed " +
                     std::to_string(seed));
        ASSERT_TRUE(mirror.deal(seed, layout));
        if (!Game(mirror, seed).play())
            return;
    }
}

// Five of the archive's eighteen layouts, the classic one first.
INSTANTIATE_TEST_SUITE_P(Layouts, QVBoardProperty, testing::Values(0, 2, 5, 9, 17));

} // namespace
