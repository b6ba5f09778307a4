// The board: layouts and the deal, the drawing order, and the rules of play.
#include "game/QVBoard.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"
#include "engine/core/HRNG.h"
#include "game/QVTilePainter.h"

#include <cstdint>

const char* const QVBoard::s_akpLayouts[kLayoutCount] = {
    "layouts/classic.qvl",   "layouts/coliseum.qvl",  "layouts/pyramid.qvl",   "layouts/quin.qvl",
    "layouts/temple.qvl",    "layouts/hurricane.qvl", "layouts/mora.qvl",      "layouts/moravel0.qvl",
    "layouts/moravel1.qvl",  "layouts/moravel2.qvl",  "layouts/moravel3.qvl",  "layouts/moravel4.qvl",
    "layouts/moravel5.qvl",  "layouts/moravel6.qvl",  "layouts/moravel7.qvl",  "layouts/moravel8.qvl",
    "layouts/moravel9.qvl",  "layouts/moravel10.qvl",
};

namespace {

constexpr int32_t dealTableTotal()
{
    int32_t total = 0;
    for (const QVBoard::DealRow& row : QVBoard::s_akDealTable)
        total += row.count;
    return total;
}
static_assert(dealTableTotal() == QVBoard::kTileCount, "the deal fills every slot exactly once");

// Draws that miss (hit a slot that will not do) are budgeted per operation.
// A sound generator misses about 660 times in a whole deal and far fewer in a
// shuffle, and exceeds these budgets with odds below e^-100; only a broken or
// zero-seeded generator (which yields 0 forever) runs out, and from then on
// each pick takes the next acceptable slot, so the operation still ends.
constexpr int kDealMissBudget = 16384;
constexpr int kShuffleMissBudget = 262144;

// With two open tiles among 144 a pass makes a pair with odds of about 3 in
// 143, so 2000 passes fail with odds near e^-42; the bound only stops a
// degenerate generator from cycling forever.
constexpr int kMaxShufflePasses = 2000;

// Negative when a is to be drawn before b. Not transitive (the |dx| <= 1 rule
// compares across columns), so only the sign is used, by adjacent swaps.
int compareDrawOrder(const QVTile* a, const QVTile* b)
{
    if (a->z != b->z)
        return a->z < b->z ? -1 : 1;
    const int64_t d = static_cast<int64_t>(a->x) - b->x;
    if (d > 1 || d < -1)
        return d > 0 ? -1 : 1; // the tile further right comes first
    if (a->y != b->y)
        return a->y < b->y ? -1 : 1; // the tile further back comes first
    return 0;
}

bool isNumberBlank(char c)
{
    // What a decimal conversion skips, but never the line feed: a number is
    // never taken from the next line.
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// One signed decimal number at *p, after blanks; saturates at the 32-bit
// range. False, with *p unchanged, when no digit follows.
bool parseNumber(const char** p, int32_t* value)
{
    const char* q = *p;
    while (isNumberBlank(*q))
        ++q;
    bool negative = false;
    if (*q == '+' || *q == '-') {
        negative = *q == '-';
        ++q;
    }
    if (*q < '0' || *q > '9')
        return false;
    int64_t v = 0;
    while (*q >= '0' && *q <= '9') {
        if (v <= INT32_MAX)
            v = v * 10 + (*q - '0');
        ++q;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX)
        v = INT32_MAX;
    if (v < INT32_MIN)
        v = INT32_MIN;
    *value = static_cast<int32_t>(v);
    *p = q;
    return true;
}

// The line reader behind readLayoutFromBuffer, also telling how many of the
// three fields the line gave.
char* readLayoutLine(char* text, TilePosition* out, int* fieldsRead)
{
    *fieldsRead = 0;
    char* p = text;
    while (*p == ' ')
        ++p;
    // A carriage return before the line feed does no harm: "\r\n" is an
    // empty line like "\n".
    if (*p == '\0' || *p == '\n' || (*p == '\r' && (p[1] == '\n' || p[1] == '\0')))
        return p;

    int32_t* const fields[3] = {&out->x, &out->y, &out->z};
    const char* q = p;
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (*q != ',')
                break;
            ++q;
        }
        int32_t v = 0;
        if (!parseNumber(&q, &v))
            break;
        *fields[k] = v;
        ++*fieldsRead;
    }

    while (*p != '\0' && *p != '\n')
        ++p;
    if (*p == '\n')
        ++p;
    return p;
}

bool coordinateInRange(int32_t v)
{
    return v >= -QVBoard::kMaxLayoutCoordinate && v <= QVBoard::kMaxLayoutCoordinate;
}

// Reads count lines of text into one work record, copying it to out[i] after
// each line (out may be null to only check the text). False when the first
// line holds no full triple or a coordinate is out of range.
bool parseLayout(char* text, TilePosition* out, int count)
{
    TilePosition work = {0, 0, 0};
    char* p = text;
    for (int i = 0; i < count; ++i) {
        int fields = 0;
        p = readLayoutLine(p, &work, &fields);
        if (i == 0 && fields != 3)
            return false;
        if (!coordinateInRange(work.x) || !coordinateInRange(work.y) || !coordinateInRange(work.z))
            return false;
        if (out)
            out[i] = work;
    }
    return true;
}

// What a shuffle moves between two tiles; their places stay.
void exchangeGroupAndFace(QVTile* a, QVTile* b)
{
    const int32_t group = a->matchGroup;
    const int32_t face = a->face;
    a->matchGroup = b->matchGroup;
    a->face = b->face;
    b->matchGroup = group;
    b->face = face;
}

void clearTile(QVTile* t)
{
    t->present = false;
    t->selected = false;
    t->matchGroup = 0;
    t->x = 0;
    t->y = 0;
    t->z = 0;
    t->face = 0;
    t->removedAt = MvTime{0, 0};
}

} // namespace

QVBoard::QVBoard()
    : undoStack{}, undoTop(-1), drawOrder{}, tiles{}, hoverTile(nullptr), selectedTile(nullptr), tilesLeft(0),
      availableMatches(0), m_pRNG(nullptr), m_pFileSystem(nullptr)
{
    clearUndoBuffer();
    for (QVTile*& p : drawOrder)
        p = nullptr;
}

// ---------------------------------------------------------------------------
// Layouts and the deal

char* QVBoard::readLayoutFromBuffer(char* text, TilePosition* out)
{
    if (!text || !out)
        return text;
    int fields = 0;
    return readLayoutLine(text, out, &fields);
}

bool QVBoard::loadBoard(const char* layoutName, TilePosition* out, int bytes)
{
    if (!layoutName || !out || !m_pFileSystem)
        return false;
    HFile* file = m_pFileSystem->openFileForRead(layoutName);
    if (!file)
        return false;
    const int length = file->length();
    if (length < 0 || length > kMaxLayoutBytes) {
        file->close();
        return false;
    }
    char text[kMaxLayoutBytes + 1];
    const int got = length > 0 ? file->read(text, length) : 0;
    file->close();
    if (got != length)
        return false;
    text[length] = '\0';

    const int count = bytes > 0 ? bytes / static_cast<int>(sizeof(TilePosition)) : 0;
    // Checked whole before out is written, so a refused layout leaves out as it was.
    if (!parseLayout(text, nullptr, count))
        return false;
    parseLayout(text, out, count);
    return true;
}

bool QVBoard::newBoard(const char* layoutName)
{
    // A layout that cannot be read deals nothing: 144 tiles on made-up
    // places would be a board nobody can play, and its time would rank.
    TilePosition positions[kTileCount];
    if (!loadBoard(layoutName, positions, static_cast<int>(sizeof(positions))))
        return false;

    deselect();
    for (int i = 0; i < kTileCount; ++i) {
        drawOrder[i] = nullptr;
        clearTile(&tiles[i]);
    }
    clearUndoBuffer();
    tilesLeft = 0;
    availableMatches = 0;
    if (!m_pRNG)
        return false;

    // Which slots are free depends on the positions alone, never on the
    // faces: it is read off the first deal and holds for every redeal.
    m_dealTable(positions);
    int open[kTileCount];
    int openCount = 0;
    for (int i = 0; i < kTileCount; ++i) {
        if (tileIsFree(&tiles[i]))
            open[openCount++] = i;
    }
    if (openCount >= 2) {
        for (int redeal = 0; redeal < kMaxRedeals && !m_openSlotsMatch(open, openCount); ++redeal)
            m_dealTable(positions);
        if (!m_openSlotsMatch(open, openCount)) {
            // The first free slot's group takes the second free slot: that
            // slot's tile changes places (group and face) with a partner of
            // the first, so the table's tiles stay the table's.
            QVTile& keep = tiles[open[0]];
            QVTile& other = tiles[open[1]];
            for (QVTile& partner : tiles) {
                if (&partner != &keep && partner.matchGroup == keep.matchGroup) {
                    exchangeGroupAndFace(&partner, &other);
                    break;
                }
            }
        }
    }
    sortTiles();
    availableMatches = countFreeTiles();
    clearUndoBuffer();
    return true;
}

void QVBoard::m_dealTable(const TilePosition* positions)
{
    for (QVTile& t : tiles)
        t.present = false;
    tilesLeft = 0;
    // One draw per try, in table order, so one generator state always deals
    // the same board.
    int missBudget = kDealMissBudget;
    for (const DealRow& row : s_akDealTable) {
        for (int n = 0; n < row.count; ++n) {
            const int r = m_drawSlot(false, -1, &missBudget);
            if (r < 0)
                break; // cannot happen: the table fills the slots exactly
            QVTile& t = tiles[r];
            t.present = true;
            t.matchGroup = row.matchGroup;
            t.face = row.face;
            t.x = positions[r].x;
            t.y = positions[r].y;
            t.z = positions[r].z;
            drawOrder[r] = &t;
            ++tilesLeft;
        }
    }
}

bool QVBoard::m_openSlotsMatch(const int* open, int count) const
{
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            if (tiles[open[i]].matchGroup == tiles[open[j]].matchGroup)
                return true;
        }
    }
    return false;
}

void QVBoard::sortTiles()
{
    // Adjacent swaps until a pass swaps nothing. The comparison is not a
    // strict weak ordering, so a library sort could misbehave; each swap here
    // puts one out-of-order pair in order and changes the relative order of no
    // other pair, so the passes always end.
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int i = 0; i + 1 < kTileCount; ++i) {
            QVTile* a = drawOrder[i];
            QVTile* b = drawOrder[i + 1];
            if (a && b && compareDrawOrder(a, b) > 0) {
                drawOrder[i] = b;
                drawOrder[i + 1] = a;
                swapped = true;
            }
        }
    }
}

QVTile* QVBoard::m_findTileAtBoardXYZ(int32_t x, int32_t y, int32_t z, bool presentOnly)
{
    for (QVTile& t : tiles) {
        if (t.x == x && t.y == y && t.z == z && (!presentOnly || t.present))
            return &t;
    }
    return nullptr;
}

const QVTile* QVBoard::m_findTileAtBoardXYZ(int32_t x, int32_t y, int32_t z, bool presentOnly) const
{
    for (const QVTile& t : tiles) {
        if (t.x == x && t.y == y && t.z == z && (!presentOnly || t.present))
            return &t;
    }
    return nullptr;
}

void QVBoard::deselect()
{
    if (selectedTile)
        selectedTile->selected = false;
    selectedTile = nullptr;
}

void QVBoard::clearUndoBuffer()
{
    for (UndoEntry& e : undoStack) {
        e.first = nullptr;
        e.second = nullptr;
    }
    undoTop = -1;
}

bool QVBoard::m_slotAcceptable(int slot, bool wantPresent, int exclude) const
{
    return slot != exclude && tiles[slot].present == wantPresent;
}

int QVBoard::m_drawSlot(bool wantPresent, int exclude, int* missBudget)
{
    uint32_t r = 0;
    while (*missBudget >= 0) {
        r = m_pRNG->getUnsigned(kTileCount - 1) % kTileCount;
        if (m_slotAcceptable(static_cast<int>(r), wantPresent, exclude))
            return static_cast<int>(r);
        --*missBudget;
    }
    for (int i = 1; i <= kTileCount; ++i) {
        const int slot = static_cast<int>((r + i) % kTileCount);
        if (m_slotAcceptable(slot, wantPresent, exclude))
            return slot;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// The rules

bool QVBoard::tileIsFree(const QVTile* tile) const
{
    if (!tile)
        return false;
    const int32_t x = tile->x;
    const int32_t y = tile->y;
    const int32_t z = tile->z;
    // Anything on the next layer that overlaps even one quarter covers it.
    for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
            if (m_findTileAtBoardXYZ(x + dx, y + dy, z + 1, true))
                return false;
        }
    }
    bool leftOpen = true;
    for (int32_t dy = -1; dy <= 1 && leftOpen; ++dy)
        leftOpen = !m_findTileAtBoardXYZ(x - 2, y + dy, z, true);
    if (leftOpen)
        return true;
    for (int32_t dy = -1; dy <= 1; ++dy) {
        if (m_findTileAtBoardXYZ(x + 2, y + dy, z, true))
            return false;
    }
    return true;
}

bool QVBoard::tileIsVisible(const QVTile* tile) const
{
    if (!tile)
        return false;
    const int32_t x = tile->x;
    const int32_t y = tile->y;
    const int32_t z = tile->z + 1;
    if (m_findTileAtBoardXYZ(x, y, z, true))
        return false;
    // Quarters: 1 top-left, 2 top-right, 4 bottom-right, 8 bottom-left.
    struct Cover {
        int32_t dx;
        int32_t dy;
        uint32_t quarters;
    };
    static constexpr Cover kCovers[8] = {
        {-1, -1, 1}, {0, -1, 1 | 2}, {1, -1, 2}, {-1, 0, 1 | 8}, {1, 0, 2 | 4}, {-1, 1, 8}, {0, 1, 8 | 4}, {1, 1, 4},
    };
    uint32_t mask = 0;
    for (const Cover& c : kCovers) {
        if (m_findTileAtBoardXYZ(x + c.dx, y + c.dy, z, true))
            mask |= c.quarters;
    }
    return mask != 15;
}

int QVBoard::countOpenTiles() const
{
    int n = 0;
    for (const QVTile& t : tiles) {
        if (t.present && tileIsFree(&t))
            ++n;
    }
    return n;
}

int QVBoard::countFreeTiles() const
{
    bool counted[kMatchGroups] = {};
    int total = 0;
    for (const QVTile& t : tiles) {
        const int32_t g = t.matchGroup;
        if (!t.present || g < 0 || g >= kMatchGroups || counted[g] || !tileIsFree(&t))
            continue;
        // The group's other present tiles (at most three, as
        // findAllMatchingTiles collects them) and how many of them are free.
        int partners = 0;
        int freePartners = 0;
        for (const QVTile& u : tiles) {
            if (&u == &t || !u.present || u.matchGroup != g)
                continue;
            if (partners == 3)
                break;
            ++partners;
            if (tileIsFree(&u))
                ++freePartners;
        }
        total += (freePartners + 1) / 2;
        counted[g] = true;
    }
    return total;
}

int QVBoard::findAllMatchingTiles(const QVTile* tile, QVTile** out)
{
    if (!out)
        return 0;
    out[0] = out[1] = out[2] = nullptr;
    if (!tile)
        return 0;
    int n = 0;
    for (QVTile& t : tiles) {
        if (&t == tile || !t.present || t.matchGroup != tile->matchGroup)
            continue;
        if (n == 3)
            break;
        out[n++] = &t;
    }
    return n;
}

QVTile* QVBoard::findMatchingFreeTile(const QVTile* tile, int* outIndex, int start)
{
    if (outIndex)
        *outIndex = -1;
    if (!tile)
        return nullptr;
    const int first = ((start % kTileCount) + kTileCount) % kTileCount;
    for (int i = 0; i < kTileCount; ++i) {
        const int j = (first + i) % kTileCount;
        QVTile* t = &tiles[j];
        if (t != tile && t->present && t->matchGroup == tile->matchGroup && tileIsFree(t)) {
            if (outIndex)
                *outIndex = j;
            return t;
        }
    }
    return nullptr;
}

bool QVBoard::matchExists(QVTile** first, QVTile** second, int k)
{
    const int n = countFreeTiles();
    if (n == 0)
        return false;
    // Slots that were already the first tile of a pair.
    bool firstOfPair[kTileCount] = {};
    int64_t c = 0;
    for (int j = 0; j < kTileCount; ++j) {
        QVTile* t = &tiles[j];
        if (!t->present || !tileIsFree(t))
            continue;
        int index = -1;
        QVTile* p = findMatchingFreeTile(t, &index, j);
        if (!p)
            continue;
        firstOfPair[j] = true;
        if (firstOfPair[index])
            continue; // the wrap back to an earlier tile of the group: no new pair
        if ((static_cast<int64_t>(k) + c) % n == 0) {
            if (first)
                *first = t;
            if (second)
                *second = p;
            return true;
        }
        ++c;
    }
    if (first)
        *first = nullptr;
    if (second)
        *second = nullptr;
    return false;
}

void QVBoard::removeTiles(QVTile* a, QVTile* b, const MvTime& now)
{
    if (!a || !b) {
        HErrorManager::s_db_alert("QVBoard::removeTiles - null tile");
        return;
    }
    if (undoTop >= kUndoDepth - 1) {
        // More pairs than a board holds: the caller removed a pair twice.
        HErrorManager::s_db_alert("QVBoard::removeTiles - undo stack full");
        return;
    }
    a->present = false;
    b->present = false;
    a->removedAt = now;
    b->removedAt = now;
    a->selected = false;
    b->selected = false;
    ++undoTop;
    undoStack[undoTop].first = a;
    undoStack[undoTop].second = b;
    tilesLeft -= 2;
    deselect();
    availableMatches = countFreeTiles();
}

void QVBoard::undoLastMatch(QVTile** first, QVTile** second)
{
    QVTile* a = nullptr;
    QVTile* b = nullptr;
    if (undoTop >= 0) {
        // The entry itself stays; only the top moves down.
        a = undoStack[undoTop].first;
        b = undoStack[undoTop].second;
        --undoTop;
    }
    if (first)
        *first = a;
    if (second)
        *second = b;
    // The tiles keep their group, face and removal time (a running fade
    // simply runs out); the selection is not touched.
    if (a) {
        a->present = true;
        ++tilesLeft;
    }
    if (b) {
        b->present = true;
        ++tilesLeft;
    }
    if (a || b)
        availableMatches = countFreeTiles();
}

void QVBoard::shuffleTiles()
{
    // No undo reaches back across a shuffle.
    clearUndoBuffer();
    if (m_pRNG) {
        // Which positions are open does not depend on groups, so this ends as
        // soon as a pass puts two tiles of one group on open positions, or
        // after one pass when at most one tile is open.
        int missBudget = kShuffleMissBudget;
        for (int pass = 0; pass < kMaxShufflePasses; ++pass) {
            for (int i = 0; i < kTileCount; ++i) {
                if (!tiles[i].present)
                    continue;
                const int r = m_drawSlot(true, i, &missBudget);
                if (r < 0)
                    continue; // no other present tile to exchange with
                exchangeGroupAndFace(&tiles[i], &tiles[r]);
            }
            if (matchExists(nullptr, nullptr, 0) || countOpenTiles() <= 1)
                break;
        }
    }
    availableMatches = countFreeTiles();
}

QVTile* QVBoard::m_findTileAtPoint(const HScreenPoint& point, bool presentOnly)
{
    QVTile* best = nullptr;
    bool bestFaceHit = false;
    for (QVTile& t : tiles) {
        if (presentOnly && !t.present)
            continue;
        HScreenRect rect;
        t.getTileRect(&rect);
        if (!rect.containsPoint(point))
            continue;
        // The face test covers exactly its 33 x 48 pixels; containsPoint
        // counts the right and bottom edges as inside.
        HScreenRect face;
        t.getFaceRect(&face);
        face.right -= 1;
        face.bottom -= 1;
        const bool faceHit = face.containsPoint(point);
        if (!best || t.z > best->z || (!bestFaceHit && faceHit)) {
            best = &t;
            bestFaceHit = faceHit;
        }
    }
    return best;
}

// ---------------------------------------------------------------------------
// Drawing

void QVBoard::drawTiles(QVTilePainter& painter, const MvTime& now, const HScreenRect& clip, const QVTile* hint1,
                        const QVTile* hint2, const QVTile* hint3, const QVTile* hint4, float pulse,
                        float showMoves) const
{
    for (const QVTile* t : drawOrder) {
        if (!t)
            continue;
        HScreenRect area;
        t->getTileRectWithShadows(&area);
        if (!area.intersectsRect(clip))
            continue;

        if (!t->present) {
            // Only while it fades; removedAt 0 means it has stopped fading.
            if (t->removedAt.low == 0 && t->removedAt.high == 0)
                continue;
            // Read as signed: a clock behind the removal counts as just removed.
            int64_t d = static_cast<int64_t>(now.sub64(t->removedAt));
            if (d < 0)
                d = 0;
            if (d >= kFadeMs)
                continue;
            const float f = 1.0f - static_cast<float>(d) / static_cast<float>(kFadeMs);
            painter.m_drawTile(*t, clip, f, f, 1.0f - f);
            continue; // a removed tile never gets the outline
        }

        if (t->selected) {
            // The second pass adds the tile onto itself.
            painter.m_drawTile(*t, clip, 0.0f, 1.0f, 0.0f);
            painter.m_drawTile(*t, clip, 1.0f, 1.0f, 1.0f);
        } else if (t == hint1 || t == hint2 || t == hint3 || t == hint4) {
            painter.m_drawTile(*t, clip, 0.0f, 1.0f, 0.0f);
            painter.m_drawTile(*t, clip, 1.0f, pulse, 1.0f);
        } else {
            painter.m_drawTile(*t, clip, 1.0f, 1.0f, 0.0f);
            if (showMoves > 0.0f && tileIsFree(t))
                painter.m_drawTile(*t, clip, 0.0f, 1.0f, showMoves);
        }
        if (t == hoverTile)
            painter.m_drawTileOutline(*t, clip, tileIsFree(t));
    }
}
