// The board's rules as checks.
#include "tests/support/BoardInvariants.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

std::string said(const char* format, int32_t a, int32_t b = 0, int32_t c = 0)
{
    char text[200];
    std::snprintf(text, sizeof(text), format, a, b, c);
    return text;
}

using GroupFace = std::pair<int32_t, int32_t>;

std::map<GroupFace, int32_t> groupsAndFaces(const BoardInvariants::Snapshot& s, bool presentOnly)
{
    std::map<GroupFace, int32_t> out;
    for (const BoardInvariants::Snapshot::Tile& t : s.tiles) {
        if (t.present || !presentOnly)
            ++out[GroupFace(t.matchGroup, t.face)];
    }
    return out;
}

} // namespace

BoardInvariants::Snapshot BoardInvariants::Snapshot::s_take(const QVBoard& board, const Snapshot* earlier)
{
    Snapshot s;
    bool same = earlier != nullptr;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        const QVTile& t = board.tiles[i];
        s.tiles[static_cast<size_t>(i)] = Tile{t.present, t.selected, false, t.matchGroup, t.face, t.x, t.y, t.z};
        if (same) {
            const Tile& e = earlier->tiles[static_cast<size_t>(i)];
            same = e.present == t.present && e.x == t.x && e.y == t.y && e.z == t.z;
        }
    }
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        Tile& t = s.tiles[static_cast<size_t>(i)];
        t.free = same ? earlier->tiles[static_cast<size_t>(i)].free : t.present && board.tileIsFree(&board.tiles[i]);
    }
    s.undoTop = board.undoTop;
    for (int32_t i = 0; i <= board.undoTop && i < QVBoard::kUndoDepth; ++i)
        s.undo.emplace_back(s_slotOf(board, board.undoStack[i].first), s_slotOf(board, board.undoStack[i].second));
    s.selected = board.selectedTile ? s_slotOf(board, board.selectedTile) : -1;
    if (board.selectedTile && s.selected < 0)
        s.selected = -2;
    s.tilesLeft = board.tilesLeft;
    s.availableMatches = board.availableMatches;
    return s;
}

std::vector<int32_t> BoardInvariants::Snapshot::freeSlots(int32_t group) const
{
    std::vector<int32_t> out;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        const Tile& t = tiles[static_cast<size_t>(i)];
        if (t.free && (group < 0 || t.matchGroup == group))
            out.push_back(i);
    }
    return out;
}

int32_t BoardInvariants::s_slotOf(const QVBoard& board, const QVTile* tile)
{
    if (!tile || tile < &board.tiles[0] || tile >= &board.tiles[QVBoard::kTileCount])
        return -1;
    return static_cast<int32_t>(tile - &board.tiles[0]);
}

int32_t BoardInvariants::s_recountMoves(const Snapshot& board)
{
    int32_t freeInGroup[QVBoard::kMatchGroups] = {};
    for (const Snapshot::Tile& t : board.tiles) {
        if (t.free && t.matchGroup >= 0 && t.matchGroup < QVBoard::kMatchGroups)
            ++freeInGroup[t.matchGroup];
    }
    int32_t moves = 0;
    for (int32_t n : freeInGroup)
        moves += n / 2;
    return moves;
}

std::vector<std::pair<int32_t, int32_t>> BoardInvariants::s_freePairs(const QVBoard& board)
{
    std::vector<int32_t> open;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        if (board.tiles[i].present && board.tileIsFree(&board.tiles[i]))
            open.push_back(i);
    }
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (size_t a = 0; a < open.size(); ++a) {
        for (size_t b = a + 1; b < open.size(); ++b) {
            if (board.tiles[open[a]].matchGroup == board.tiles[open[b]].matchGroup)
                pairs.emplace_back(open[a], open[b]);
        }
    }
    return pairs;
}

std::string BoardInvariants::s_check(const Snapshot& board)
{
    int32_t present = 0;
    int32_t inGroup[QVBoard::kMatchGroups] = {};
    int32_t presentInGroup[QVBoard::kMatchGroups] = {};
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        const Snapshot::Tile& t = board.tiles[static_cast<size_t>(i)];
        if (t.matchGroup < 0 || t.matchGroup >= QVBoard::kMatchGroups)
            return said("slot %d holds match group %d", i, t.matchGroup);
        ++inGroup[t.matchGroup];
        if (t.present) {
            ++present;
            ++presentInGroup[t.matchGroup];
        }
        if (t.selected && i != board.selected)
            return said("slot %d is flagged selected but is not the selected tile", i);
    }
    if (board.tilesLeft != present)
        return said("tiles left %d, but %d tiles are present", board.tilesLeft, present);
    for (int32_t g = 0; g < QVBoard::kMatchGroups; ++g) {
        if (inGroup[g] != 4)
            return said("match group %d holds %d tiles", g, inGroup[g]);
        if (presentInGroup[g] % 2 != 0)
            return said("match group %d has %d tiles present, not a whole number of pairs", g, presentInGroup[g]);
    }
    const int32_t moves = s_recountMoves(board);
    if (board.availableMatches != moves)
        return said("available moves %d, but the free tiles make %d", board.availableMatches, moves);

    if (board.selected == -2)
        return "the selected tile is not a tile of the board";
    if (board.selected >= 0) {
        const Snapshot::Tile& s = board.tiles[static_cast<size_t>(board.selected)];
        if (!s.present || !s.selected || !s.free)
            return said("the selected tile (slot %d) is not present, flagged and free (present %d, free %d)",
                        board.selected, s.present, s.free);
    }

    if (board.undoTop < -1 || board.undoTop >= QVBoard::kUndoDepth)
        return said("undo top %d is outside the stack", board.undoTop);
    bool onStack[QVBoard::kTileCount] = {};
    for (size_t i = 0; i < board.undo.size(); ++i) {
        const int32_t entry = static_cast<int32_t>(i);
        const int32_t a = board.undo[i].first;
        const int32_t b = board.undo[i].second;
        if (a < 0 || b < 0 || a == b)
            return said("undo entry %d is not two tiles of the board (%d, %d)", entry, a, b);
        for (int32_t s : {a, b}) {
            if (board.tiles[static_cast<size_t>(s)].present)
                return said("undo entry %d holds slot %d, which is on the board", entry, s);
            if (onStack[s])
                return said("slot %d is on the undo stack twice (entry %d)", s, entry);
            onStack[s] = true;
        }
        if (board.tiles[static_cast<size_t>(a)].matchGroup != board.tiles[static_cast<size_t>(b)].matchGroup)
            return said("undo entry %d pairs groups %d and %d", entry, board.tiles[static_cast<size_t>(a)].matchGroup,
                        board.tiles[static_cast<size_t>(b)].matchGroup);
    }
    return "";
}

std::string BoardInvariants::s_checkDeal(const Snapshot& board)
{
    const std::string rules = s_check(board);
    if (!rules.empty())
        return rules;
    if (board.tilesLeft != QVBoard::kTileCount)
        return said("a new deal has %d tiles, not 144", board.tilesLeft);
    if (!board.undo.empty() || board.selected != -1)
        return "a new deal has an undo entry or a selection";
    std::map<GroupFace, int32_t> table;
    for (const QVBoard::DealRow& row : QVBoard::s_akDealTable)
        table[GroupFace(row.matchGroup, row.face)] += row.count;
    if (groupsAndFaces(board, false) != table)
        return "the deal's groups and faces are not the deal table's";
    return "";
}

std::string BoardInvariants::s_checkStep(const Snapshot& before, const Snapshot& after, const Allowed& allowed)
{
    std::vector<int32_t> gone;
    std::vector<int32_t> back;
    bool regrouped = false;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i) {
        const Snapshot::Tile& b = before.tiles[static_cast<size_t>(i)];
        const Snapshot::Tile& a = after.tiles[static_cast<size_t>(i)];
        if (a.x != b.x || a.y != b.y || a.z != b.z)
            return said("slot %d moved on the board", i);
        if (b.present && !a.present)
            gone.push_back(i);
        if (!b.present && a.present)
            back.push_back(i);
        if (a.matchGroup != b.matchGroup || a.face != b.face) {
            if (!a.present || !b.present)
                return said("slot %d changed its group or face while off the board", i);
            regrouped = true;
        }
    }
    if (groupsAndFaces(before, false) != groupsAndFaces(after, false))
        return "the groups and faces of the deal changed";

    if (regrouped || (allowed.shuffle && gone.empty() && back.empty())) {
        if (!allowed.shuffle)
            return "groups or faces moved between tiles without a shuffle";
        if (!gone.empty() || !back.empty())
            return said("a shuffle changed which tiles are present (%d gone, %d back)",
                        static_cast<int32_t>(gone.size()), static_cast<int32_t>(back.size()));
        if (groupsAndFaces(before, true) != groupsAndFaces(after, true))
            return "a shuffle changed the multiset of groups and faces";
        if (!after.undo.empty())
            return said("a shuffle left %d undo entries", static_cast<int32_t>(after.undo.size()));
        return "";
    }

    const bool cleared = allowed.undoCleared && after.undo.empty();
    if (!gone.empty()) {
        if (!back.empty())
            return "tiles were taken off and put back in one step";
        if (gone.size() != 2)
            return said("%d tiles left the board in one step, not a pair", static_cast<int32_t>(gone.size()));
        const Snapshot::Tile& x = before.tiles[static_cast<size_t>(gone[0])];
        const Snapshot::Tile& y = before.tiles[static_cast<size_t>(gone[1])];
        if (x.matchGroup != y.matchGroup)
            return said("the pair taken off (slots %d, %d) is of two groups", gone[0], gone[1]);
        if (!x.free || !y.free)
            return said("the pair taken off (slots %d, %d) was not free (a blocked tile)", gone[0], gone[1]);
        if (cleared)
            return "";
        if (after.undo.size() != before.undo.size() + 1)
            return said("taking a pair off made the undo stack %d deep from %d",
                        static_cast<int32_t>(after.undo.size()), static_cast<int32_t>(before.undo.size()));
        const std::pair<int32_t, int32_t> top = after.undo.back();
        if (!((top.first == gone[0] && top.second == gone[1]) || (top.first == gone[1] && top.second == gone[0])))
            return said("the newest undo entry (%d, %d) is not the pair taken off", top.first, top.second);
        if (!std::equal(before.undo.begin(), before.undo.end(), after.undo.begin()))
            return "taking a pair off changed older undo entries";
        return "";
    }
    if (!back.empty()) {
        if (before.undo.empty())
            return "tiles came back with nothing on the undo stack";
        const std::pair<int32_t, int32_t> top = before.undo.back();
        const bool exactlyTop = back.size() == 2 && ((back[0] == top.first && back[1] == top.second) ||
                                                     (back[0] == top.second && back[1] == top.first));
        if (!exactlyTop)
            return said("an undo put back %d tiles, not exactly the last pair (%d, %d)",
                        static_cast<int32_t>(back.size()), top.first, top.second);
        if (after.undo.size() + 1 != before.undo.size() ||
            !std::equal(after.undo.begin(), after.undo.end(), before.undo.begin()))
            return "an undo did not pop exactly its pair off the undo stack";
        return "";
    }
    if (after.undo != before.undo && !cleared)
        return said("the undo stack changed from %d to %d entries with no tile taken or put back",
                    static_cast<int32_t>(before.undo.size()), static_cast<int32_t>(after.undo.size()));
    return "";
}
