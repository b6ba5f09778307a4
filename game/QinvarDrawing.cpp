// What the game paints itself: the start, pause, won and no-more-moves
// screens, the left panel, the information strip and the no-match message;
// and, for the board's walk over its draw order (QVBoard::drawTiles, which
// picks the selected, hinted, highlighted and fading tiles), one tile with
// its shadows and the hover outline. Also the start screen's three pickers
// and the loading of the chosen tile set and table top.
//
// Every drawing operation draws only inside the dirty rectangle it is given
// (the clip): each destination is cut to it and its source is cut alike, so
// the visible part lands where it would have landed whole. Drawing
// invalidates nothing and allocates nothing; a picker invalidates the whole
// screen, and loading a tile set or table top loads its image.
#include "game/Qinvar.h"

#include "engine/core/HMath.h"
#include "engine/core/HUtil.h"
#include "engine/media/H2DDisplayDevice.h"
#include "game/ScreenGeometry.h"

#include <cstring>

namespace {

// The tile-set sheet: one cell of a tile's size per face.
constexpr int32_t kFaceCount = geo::kTileSheetColumns * geo::kTileSheetRows;

constexpr int kNumberBufferBytes = 128;

// The no-match message holds, then fades out (milliseconds of game time).
constexpr int64_t kNoMatchHoldMs = 1500;
constexpr int64_t kNoMatchFadeMs = 1500;

// The hint glow: (sin(0.5 t) + 1) / 2, t in milliseconds, the sine in
// degrees, so one period is 720 ms.
constexpr float kPulseDegreesPerMs = 0.5f;

// A level 0..1 as a blend constant: v x 255 truncated; out-of-range levels
// are held to the ends rather than converted out of the byte's range.
uint8_t levelToConstant(float v)
{
    if (!(v > 0.0f))
        return 0;
    if (v >= 1.0f)
        return 255;
    return static_cast<uint8_t>(v * 255.0f);
}

// Each edge of dst clamped into clip's span on its axis, src's edge moved by
// the same amount. False when nothing of dst is left.
bool clampInto(HScreenRect* dst, HScreenRect* src, const HScreenRect& clip)
{
    src->left += HScreenRect::sm_clamp(dst->left, clip.left, clip.right);
    src->right += HScreenRect::sm_clamp(dst->right, clip.left, clip.right);
    src->top += HScreenRect::sm_clamp(dst->top, clip.top, clip.bottom);
    src->bottom += HScreenRect::sm_clamp(dst->bottom, clip.top, clip.bottom);
    return !dst->isEmpty();
}

// Some pixel of r lies inside clip.
bool meetsClip(const HScreenRect& r, const HScreenRect& clip)
{
    return r.left < clip.right && clip.left < r.right && r.top < clip.bottom && clip.top < r.bottom &&
           !r.isEmpty() && !clip.isEmpty();
}

// The whole sprite with its top-left corner at (x, y), cut to clip, as a
// plain masked copy. Nothing for a null sprite.
void copySpriteAt(const MVSprite* sprite, int32_t x, int32_t y, const HScreenRect& clip)
{
    if (!sprite || !sprite->isSpriteValid())
        return;
    HScreenRect src;
    sprite->getSizeRect(&src);
    const HScreenRect dst(x, y, x + src.right, y + src.bottom);
    HScreenRect out;
    if (HScreenRect::s_intersectRects(dst, clip, &out, &src) && !out.isEmpty())
        sprite->drawPartialSpriteAtLocation(&out, &src);
}

void blendPlainAlpha(const MVSprite* sprite, const HScreenRect& dst, const HScreenRect& src)
{
    sprite->blendPartialSpriteAtLocation(&dst, &src, BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA,
                                         BPS_ONE, CO_PRODUCT, 255, BO_ADD);
}

// The image's alpha scaled by c: source x a x c + destination x (1 - a x c).
void blendFadedAlpha(const MVSprite* sprite, const HScreenRect& dst, const HScreenRect& src, uint8_t c)
{
    sprite->blendPartialSpriteAtLocation(&dst, &src, BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, c, BAS_SRC_ALPHA,
                                         BPS_CONST0, CO_INV_PRODUCT, 255, BO_ADD);
}

// The cut of a strip d (with its source s) by a neighbour's face n along
// one axis, whose near and far edges are `lo` and `hi`: a strip starting on
// the face starts after it; one running into the face from the near side
// stops at it.
template <int32_t HScreenRect::*lo, int32_t HScreenRect::*hi>
void cutAlong(const HScreenRect& n, HScreenRect* d, HScreenRect* s)
{
    if (n.*lo <= d->*lo && d->*lo <= n.*hi) {
        s->*lo += n.*hi - d->*lo;
        d->*lo = n.*hi;
    } else if (d->*lo > n.*hi) {
        return;
    } else if (d->*hi >= n.*lo) {
        s->*hi -= d->*hi - n.*lo;
        d->*hi = n.*lo;
    }
}

// Across (from the left) and downward (from the top).
constexpr auto cutAcross = cutAlong<&HScreenRect::left, &HScreenRect::right>;
constexpr auto cutDown = cutAlong<&HScreenRect::top, &HScreenRect::bottom>;

// Cuts the strip d (with its source s) by the face of each present tile at
// the four offsets from the tile's place on its own layer, in that order.
using StripCut = void (*)(const HScreenRect& face, HScreenRect* d, HScreenRect* s);
void cutByNeighbours(const QVBoard& board, const QVTile& tile, const int32_t (&offsets)[4][2], StripCut cut,
                     HScreenRect* d, HScreenRect* s)
{
    for (const auto& n : offsets) {
        if (const QVTile* other = board.m_findTileAtBoardXYZ(tile.x + n[0], tile.y + n[1], tile.z, true)) {
            HScreenRect otherFace;
            other->getFaceRect(&otherFace);
            cut(otherFace, d, s);
        }
    }
}

// The slot of index in a run of count slots from first; QVS_COUNT (which
// getSprite refuses) for an index out of the run.
QVSprite_t slotInRun(int32_t first, int32_t index, int32_t count)
{
    if (index < 0 || index >= count)
        return QVS_COUNT;
    return static_cast<QVSprite_t>(first + index);
}

} // namespace

// --- Start-screen pickers ----------------------------------------------------

namespace {

// Steps value by delta; below 0 it becomes the last index, past the last it
// becomes 0.
int32_t wrapIndex(int32_t value, int32_t delta, int32_t count)
{
    const int64_t v = static_cast<int64_t>(value) + delta;
    if (v < 0)
        return count - 1;
    if (v >= count)
        return 0;
    return static_cast<int32_t>(v);
}

} // namespace

void Qinvar::adjustBackgroundPreview(int32_t delta)
{
    // A step of the picker is the player's choice; 0 only puts a stored
    // index in range.
    const int32_t background = wrapIndex(m_options.background, delta, kBackgroundCount);
    if (delta != 0)
        m_options.setBackground(background);
    else
        m_options.background = background;
    invalidateWholeScreen();
}

void Qinvar::adjustTileSetPreview(int32_t delta)
{
    const int32_t tileSet = wrapIndex(m_options.tileSet, delta, kTileSetCount);
    if (delta != 0)
        m_options.setTileSet(tileSet);
    else
        m_options.tileSet = tileSet;
    invalidateWholeScreen();
}

void Qinvar::adjustLayoutPreview(int32_t delta)
{
    const int32_t layout = wrapIndex(m_options.layout, delta, kLayoutCount);
    if (delta != 0)
        m_options.setLayout(layout);
    else
        m_options.layout = layout;
    invalidateWholeScreen();
}

// --- One dirty rectangle -----------------------------------------------------

void Qinvar::m_drawPuzzleBoard(const HScreenRect& clip, bool underDialog)
{
    if (m_iGameState == GS_QUITTING)
        return;

    if (clip.intersectsRect(m_boardArea)) {
        if (isSuspended()) {
            MVSprite* pause = getSprite(QVS_PAUSE_SCREEN);
            if (pause) {
                // The clip held to the picture's place on screen; the source
                // is the same rectangle in the picture's own coordinates.
                HScreenRect dst = clip;
                const geo::Point at = geo::kBoardPicture;
                const int32_t right = at.x + pause->getSpriteWidth();
                const int32_t bottom = at.y + pause->getSpriteHeight();
                HScreenRect::sm_clamp(dst.left, at.x, right);
                HScreenRect::sm_clamp(dst.right, at.x, right);
                HScreenRect::sm_clamp(dst.top, at.y, bottom);
                HScreenRect::sm_clamp(dst.bottom, at.y, bottom);
                const HScreenRect src(dst.left - at.x, dst.top - at.y, dst.right - at.x, dst.bottom - at.y);
                if (!dst.isEmpty())
                    pause->drawPartialSpriteAtLocation(&dst, &src);
            }
        } else if (m_iGameState == GS_START) {
            copySpriteAt(getSprite(QVS_START_SCREEN), geo::kTableTop.x, geo::kTableTop.y, clip);
            // Each preview centred in the board area with its own offset.
            struct Preview {
                QVSprite_t slot;
                geo::Point (*at)(int32_t width);
            };
            const Preview previews[4] = {
                {slotInRun(QVS_TABLE_TOP_PREVIEW, m_options.background, kBackgroundCount), geo::tablePreviewAt},
                {slotInRun(QVS_TILE_SET_PREVIEW, m_options.tileSet, kTileSetCount), geo::tileSetPreviewAt},
                {slotInRun(QVS_LAYOUT_PREVIEW, m_options.layout, kLayoutCount), geo::layoutPreviewAt},
                {slotInRun(QVS_LAYOUT_TITLE, m_options.layout, kLayoutCount), geo::layoutTitleAt},
            };
            for (const Preview& p : previews) {
                MVSprite* sprite = getSprite(p.slot);
                if (sprite) {
                    const geo::Point at = p.at(sprite->getSpriteWidth());
                    copySpriteAt(sprite, at.x, at.y, clip);
                }
            }
        } else if (m_iGameState == GS_WON || m_iGameState == GS_NO_MORE_MOVES) {
            // The table top may be empty after a failed load: it then draws nothing.
            copySpriteAt(&m_aSprites[QVS_TABLE_TOP], geo::kTableTop.x, geo::kTableTop.y, clip);
            copySpriteAt(getSprite(m_iGameState == GS_WON ? QVS_BOARD_COMPLETE : QVS_GAME_OVER), geo::kBoardPicture.x,
                         geo::kBoardPicture.y, clip);
        } else if (m_iGameState == GS_PLAYING) {
            copySpriteAt(&m_aSprites[QVS_TABLE_TOP], geo::kTableTop.x, geo::kTableTop.y, clip);
            // The glow runs on the game clock, from the time the hint was
            // given: the hint's own clock, which a demo's times and the live
            // clock after them both keep; a 32-bit span of milliseconds.
            const int32_t t = static_cast<int32_t>(static_cast<uint32_t>(getGameClock().sub64(m_hintTime)));
            const float pulse = (HMath::s_sin(kPulseDegreesPerMs * static_cast<float>(t)) + 1.0f) * 0.5f;
            m_board.drawTiles(*this, getGameClock(), clip, m_apHintTiles[0], m_apHintTiles[1], m_apHintTiles[2],
                              m_apHintTiles[3], pulse, m_fShowMovesLevel);
        }
    }

    copySpriteAt(getSprite(QVS_LEFT_PANEL), 0, 0, clip);

    if (!underDialog && !isSuspended())
        m_drawInfo(clip);
}

// --- The information strip ---------------------------------------------------

void Qinvar::m_drawInfo(const HScreenRect& clip)
{
    if (m_iGameState == GS_START || m_iGameState == GS_QUITTING)
        return;

    char text[kNumberBufferBytes];
    if (clip.intersectsRect(m_tilesLeftArea)) {
        HUtil::s_sprintf(text, sizeof(text), "%d", m_board.tilesLeft);
        m_drawNumberAtXY(text, geo::kTilesLeftNumber.x, geo::kTilesLeftNumber.y, true, clip);
    }
    if (clip.intersectsRect(m_availableMovesArea)) {
        HUtil::s_sprintf(text, sizeof(text), "%d", m_board.availableMatches);
        m_drawNumberAtXY(text, geo::kPairsNumber.x, geo::kPairsNumber.y, true, clip);
    }
    if (clip.intersectsRect(m_clockArea)) {
        // The play flow's clock: the final time once a game has ended.
        const int32_t seconds = m_getClockSeconds();
        HUtil::s_sprintf(text, sizeof(text), "%02d:%02d", seconds / 60, seconds % 60);
        m_drawNumberAtXY(text, geo::kClockNumber.x, geo::kClockNumber.y, false, clip);
    }
    if (!isPaused())
        m_drawNoMatch(clip);
}

void Qinvar::m_drawNumberAtXY(const char* text, int32_t x, int32_t y, bool commas, const HScreenRect& clip)
{
    if (!text || text[0] == '\0')
        return;
    const MVSprite* zero = m_getSpriteForNumber('0');
    int32_t w = zero ? zero->getSpriteWidth() : 0;
    const int32_t h = zero ? zero->getSpriteHeight() : 0;
    int32_t cursor = x;
    int32_t count = 0;
    bool commaPending = false;
    int64_t i = static_cast<int64_t>(std::strlen(text)) - 1;
    // Right to left; a comma follows every third character counted from the
    // right, and the step after that character is tighter.
    while (i >= 0) {
        const MVSprite* glyph = nullptr;
        int32_t top = y;
        int32_t step = 0;
        if (commaPending && commas) {
            glyph = m_getSpriteForNumber(',');
            commaPending = false;
            if (glyph)
                w = glyph->getSpriteWidth();
            step = (3 * w) / 4;
            top = y + 3;
        } else {
            glyph = m_getSpriteForNumber(text[i]);
            --i;
            ++count;
            if (glyph)
                w = glyph->getSpriteWidth();
            if (count % 3 != 0) {
                step = w;
            } else {
                commaPending = true;
                step = (3 * w) / 4 + 1;
            }
        }
        if (glyph) {
            const HScreenRect dst(cursor, top, cursor + w, top + h);
            HScreenRect src;
            glyph->getSizeRect(&src);
            HScreenRect out;
            if (HScreenRect::s_intersectRects(dst, clip, &out, &src) && !out.isEmpty())
                blendPlainAlpha(glyph, out, src);
        }
        cursor -= step;
    }
}

MVSprite* Qinvar::m_getSpriteForNumber(char c)
{
    if (c >= '0' && c <= '9')
        return getSprite(static_cast<QVSprite_t>(QVS_DIGIT_0 + (c - '0')));
    if (c == ':')
        return getSprite(QVS_COLON);
    if (c == ',')
        return getSprite(QVS_COMMA);
    return nullptr;
}

// --- Tiles -------------------------------------------------------------------

void Qinvar::m_drawTile(const QVTile& tile, const HScreenRect& clip, float shadow, float alpha, float tint)
{
    HScreenRect area;
    tile.getTileRectWithShadows(&area);
    if (!area.intersectsRect(clip))
        return;

    // The tile set may be empty after a failed load: its draws then do nothing.
    const MVSprite& sheet = m_aSprites[QVS_TILE_SET];
    HScreenRect dst;
    tile.getTileRect(&dst);
    if (tile.face >= 0 && tile.face < kFaceCount) {
        const int32_t left = geo::kTileW * (tile.face % geo::kTileSheetColumns);
        const int32_t top = geo::kTileH * (tile.face / geo::kTileSheetColumns);
        HScreenRect src(left, top, left + geo::kTileW, top + geo::kTileH);
        if (clampInto(&dst, &src, clip)) {
            if (alpha == 1.0f && tint == 0.0f)
                sheet.drawPartialSpriteAtLocation(&dst, &src);
            else
                sheet.blendPartialSpriteAtLocation(&dst, &src, BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT,
                                                   levelToConstant(alpha), BAS_ONE, BPS_CONST1, CO_PRODUCT,
                                                   levelToConstant(tint), BO_ADD);
        }
    }

    if (shadow > 0.0f) {
        m_drawTileShadowUp(tile, clip, shadow);
        m_drawTileShadowRight(tile, clip, shadow);
    }
}

void Qinvar::m_drawTileShadowUp(const QVTile& tile, const HScreenRect& clip, float alpha)
{
    const MVSprite* shadow = getSprite(QVS_SHADOW_TOP);
    if (!shadow)
        return;
    const int32_t w = shadow->getSpriteWidth();
    const int32_t h = shadow->getSpriteHeight();
    HScreenRect face;
    tile.getFaceRect(&face);
    HScreenRect d(face.left, face.top - h, face.left + w, face.top);
    HScreenRect s(0, 0, w, h);
    // Neighbours only cut the strip shorter: one that misses the clip needs
    // no look at the board.
    if (!meetsClip(d, clip))
        return;

    // A tile just above on the screen covers the whole strip.
    if (m_board.m_findTileAtBoardXYZ(tile.x, tile.y - 2, tile.z, true))
        return;
    // Faces of the row behind that reach over the strip cut it; (x, y - 2)
    // was found empty above.
    static constexpr int32_t kNeighbours[4][2] = {{-1, -2}, {1, -2}, {2, -2}, {2, -1}};
    cutByNeighbours(m_board, tile, kNeighbours, cutAcross, &d, &s);
    // A strip cut away from both sides is empty.
    if (d.isEmpty() || !clampInto(&d, &s, clip))
        return;
    blendFadedAlpha(shadow, d, s, levelToConstant(alpha));
}

void Qinvar::m_drawTileShadowRight(const QVTile& tile, const HScreenRect& clip, float alpha)
{
    const MVSprite* top = getSprite(QVS_SHADOW_TOP);
    const MVSprite* shadow = getSprite(QVS_SHADOW_RIGHT);
    if (!top || !shadow)
        return;
    const int32_t topHeight = top->getSpriteHeight();
    const int32_t w = shadow->getSpriteWidth();
    const int32_t h = shadow->getSpriteHeight();
    HScreenRect face;
    tile.getFaceRect(&face);
    // The strip starts one pixel below the top shadow's top, so the two meet.
    const int32_t stripTop = face.top - topHeight + 1;
    HScreenRect d(face.right, stripTop, face.right + w, stripTop + h);
    HScreenRect s(0, 0, w, h);
    if (!meetsClip(d, clip))
        return;

    // A neighbour in the row covers the whole strip.
    if (m_board.m_findTileAtBoardXYZ(tile.x + 2, tile.y, tile.z, true))
        return;
    // Faces of the column to the right cut it; (x + 2, y) was found empty above.
    static constexpr int32_t kNeighbours[4][2] = {{1, -2}, {2, -2}, {2, -1}, {2, 1}};
    cutByNeighbours(m_board, tile, kNeighbours, cutDown, &d, &s);
    if (d.isEmpty() || !clampInto(&d, &s, clip))
        return;
    blendFadedAlpha(shadow, d, s, levelToConstant(alpha));
}

void Qinvar::m_drawTileOutline(const QVTile& tile, const HScreenRect& clip, bool free)
{
    const MVSprite* outline = getSprite(free ? QVS_OUTLINE_GREEN : QVS_OUTLINE_RED);
    if (!outline)
        return;
    HScreenRect dst;
    tile.getFaceRect(&dst);
    HScreenRect src(0, 0, dst.width(), dst.height());
    if (clampInto(&dst, &src, clip))
        blendPlainAlpha(outline, dst, src);
}

// --- Messages ----------------------------------------------------------------

void Qinvar::m_drawMessage(const HScreenRect& clip, const HScreenRect& where, MVSprite* sprite, float alpha)
{
    if (!sprite || !clip.intersectsRect(where) || !(alpha > 0.0f))
        return;
    HScreenRect dst = where;
    HScreenRect src;
    sprite->getSizeRect(&src);
    if (clampInto(&dst, &src, clip))
        blendFadedAlpha(sprite, dst, src, levelToConstant(alpha));
}

void Qinvar::m_drawNoMatch(const HScreenRect& clip)
{
    if (m_noMatchTime.low == 0 && m_noMatchTime.high == 0)
        return;
    const int64_t d = static_cast<int64_t>(getGameClock().sub64(m_noMatchTime));
    if (d < 0)
        return;
    float alpha = 1.0f;
    if (d >= kNoMatchHoldMs)
        alpha = 1.0f - static_cast<float>(d - kNoMatchHoldMs) / static_cast<float>(kNoMatchFadeMs);
    m_drawMessage(clip, m_noMatchArea, getSprite(QVS_NO_MATCH), alpha);
}

// --- Current images ----------------------------------------------------------

namespace {

// Makes sprite hold images[chosen] unless it already does. An index out of
// range leaves the sprite empty, as a failed load does.
void loadChoice(MVSprite* sprite, int32_t* loaded, int32_t chosen, const char* const* images, int32_t count,
                H2DDisplayDevice* device, HFileSystem* files)
{
    if (sprite->isSpriteValid() && *loaded == chosen)
        return;
    // Every reference given back, so the load below cannot merely take
    // another reference to the old image.
    while (sprite->isSpriteValid())
        sprite->unloadSprite();
    if (chosen < 0 || chosen >= count) {
        *loaded = -1;
        return;
    }
    // A failed load leaves the sprite without an image, which draws nothing.
    sprite->loadSprite(device, files, images[chosen]);
    *loaded = chosen;
}

} // namespace

void Qinvar::m_loadTileSet()
{
    loadChoice(&m_aSprites[QVS_TILE_SET], &m_iLoadedTileSet, m_options.tileSet, s_akpTileSets, kTileSetCount,
               m_pDisplayDevice, m_pReadFileSystem);
}

void Qinvar::m_loadBackground()
{
    loadChoice(&m_aSprites[QVS_TABLE_TOP], &m_iLoadedBackground, m_options.background, s_akpBackgrounds,
               kBackgroundCount, m_pDisplayDevice, m_pReadFileSystem);
}
