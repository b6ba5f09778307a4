// What the player sees, on the game's real art: the game started in the
// test's process (the build's archive, SDL's dummy video), its state set as
// the play flow would leave it, the screen drawn by the game's own drawing
// and read back from SDL's video surface. Every picture is saved as a PNG in
// the build directory (review/screen_*.png) for a person to look at, and probed
// here pixel by pixel against the art it was drawn from.
#include "engine/core/HObjectList.h"
#include "engine/media/H2DDisplayDevice.h"
#include "engine/media/H2DMemorySurface.h"
#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"
#include "tests/game/GameScreen.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/InputEvents.h"
#include "tests/support/OpenQinvar.h"
#include "tests/support/QinvarSession.h"
#include "tests/support/TestLayout.h"
#include "tests/support/TestPaths.h"
#include "ui/MVDialog.h"
#include "ui/UIControl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

const HScreenRect kScreen(0, 0, 640, 480);
constexpr uint64_t kClock = 500000;

// The game with what the tests set directly opened up.
class ScreenGame : public OpenQinvar {
public:

    // A board of the chosen layout dealt from seed, in play since now, as a
    // new game leaves it.
    bool deal(uint32_t seed)
    {
        getRNG()->seedRNG(seed);
        if (!m_board.newBoard(QVBoard::s_akpLayouts[m_options.layout]))
            return false;
        play();
        return true;
    }
    // An empty board, in play, on which tiles are placed by hand.
    void clearBoard()
    {
        TestLayout::emptyBoard(m_board);
        m_iNextSlot = 0;
        play();
    }
    QVTile* place(int32_t x, int32_t y, int32_t z, int32_t face)
    {
        QVTile* t = TestLayout::placeTile(m_board, m_iNextSlot++, x, y, z, face);
        m_board.availableMatches = m_board.countFreeTiles();
        return t;
    }
    void play()
    {
        m_setGameState(GS_PLAYING);
        m_gameStartTime = getGameClock();
        m_loadTileSet();
        m_loadBackground();
        // Where the buttons' set-up puts the message.
        const int32_t w = m_aSprites[QVS_NO_MATCH].getSpriteWidth();
        const int32_t h = m_aSprites[QVS_NO_MATCH].getSpriteHeight();
        const geo::Point at = geo::noMatchAt(w, h);
        m_noMatchArea = HScreenRect(at.x, at.y, at.x + w, at.y + h);
    }

private:
    int m_iNextSlot = 0;
};

// 16-bit pixels and their channels, in the screen's format.
struct Format {
    int32_t bits[3];
    int32_t shift[3];
    Format() : bits(), shift()
    {
        H2DDisplayDevice::sm_getPixelFormat(&bits[0], &bits[1], &bits[2], &shift[0], &shift[1], &shift[2]);
    }
    int32_t max(int i) const { return (1 << bits[i]) - 1; }
    int32_t channel(uint16_t p, int i) const { return (p >> shift[i]) & max(i); }
    uint16_t pack(const int32_t c[3]) const
    {
        uint32_t v = 0;
        for (int i = 0; i < 3; ++i)
            v |= static_cast<uint32_t>(std::min(std::max(c[i], 0), max(i))) << shift[i];
        return static_cast<uint16_t>(v);
    }
};

uint16_t screenPixel(int32_t x, int32_t y)
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen || screen->format->BytesPerPixel != 2 || x < 0 || y < 0 || x >= screen->w || y >= screen->h)
        return 0;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0)
        return 0;
    const uint8_t* row = static_cast<const uint8_t*>(screen->pixels) + static_cast<size_t>(y) * screen->pitch;
    const uint16_t p = reinterpret_cast<const uint16_t*>(row)[x];
    if (SDL_MUSTLOCK(screen))
        SDL_UnlockSurface(screen);
    return p;
}

// One pixel of a sprite and its mask byte (255 without a mask).
struct SpritePixel {
    uint16_t value;
    uint8_t alpha;
};

SpritePixel spritePixel(const MVSprite& sprite, int32_t x, int32_t y)
{
    const H2DMemorySurface* s = static_cast<const H2DMemorySurface*>(sprite.getSpriteSurface());
    const uint16_t* row = reinterpret_cast<const uint16_t*>(s->getPixels() + static_cast<size_t>(y) * s->getStride());
    const uint8_t* mask = s->getAlphaMask();
    return SpritePixel{row[x], mask ? mask[static_cast<size_t>(y) * s->getSurfaceWidth() + x] : uint8_t{255}};
}

// Compares the screen with what `expected` makes of the sprite's pixels in
// src drawn with its top-left corner at (x, y), over the pixels whose mask
// is 255; returns how many differ, and counts the pixels compared.
using Expectation = std::function<uint16_t(uint16_t spritePixel, uint16_t screenX, uint16_t screenY)>;

int mismatches(const MVSprite& sprite, const HScreenRect& src, int32_t x, int32_t y, const Expectation& expected,
               int* compared)
{
    int bad = 0;
    *compared = 0;
    for (int32_t sy = src.top; sy < src.bottom; ++sy) {
        for (int32_t sx = src.left; sx < src.right; ++sx) {
            const SpritePixel p = spritePixel(sprite, sx, sy);
            if (p.alpha != 255)
                continue;
            const int32_t px = x + sx - src.left;
            const int32_t py = y + sy - src.top;
            ++*compared;
            if (screenPixel(px, py) != expected(p.value, static_cast<uint16_t>(px), static_cast<uint16_t>(py)))
                ++bad;
        }
    }
    return bad;
}

uint16_t same(uint16_t p, uint16_t, uint16_t)
{
    return p;
}

// The sprite's opaque pixels appear unchanged at (x, y).
void expectSpriteAt(const MVSprite& sprite, int32_t x, int32_t y, const char* what)
{
    HScreenRect whole;
    sprite.getSizeRect(&whole);
    int compared = 0;
    EXPECT_EQ(mismatches(sprite, whole, x, y, same, &compared), 0) << what;
    EXPECT_GT(compared, 0) << what;
}

void expectSpriteAt(const MVSprite& sprite, geo::Point at, const char* what)
{
    expectSpriteAt(sprite, at.x, at.y, what);
}

// The face's cell in the tile-set sheet.
HScreenRect cellOf(int32_t face)
{
    const int32_t left = geo::kTileW * (face % geo::kTileSheetColumns);
    const int32_t top = geo::kTileH * (face / geo::kTileSheetColumns);
    return HScreenRect(left, top, left + geo::kTileW, top + geo::kTileH);
}

// The face part of the face's cell: the cell less its left edge and bottom
// edge, which the tiles around may cover.
HScreenRect faceOfCell(int32_t face)
{
    HScreenRect r = cellOf(face);
    r.left += geo::kTileSideEdge;
    r.bottom -= geo::kTileBottomEdge;
    return r;
}

class QinvarScreens : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(session.start());
        game().setGameClock(MvTime::s_fromTime64(kClock));
    }

    ScreenGame& game() { return session.game(); }
    const MVSprite& sprite(int slot) { return game().m_aSprites[slot]; }

    // The whole screen drawn by the game's pass-1 hook and presented.
    void drawScreen(bool underDialog = false)
    {
        game().m_drawPuzzleBoard(kScreen, underDialog);
        game().getDisplayDevice()->updateScreen();
    }
    void save(const std::string& name) { EXPECT_TRUE(session.savePng(pictureFile("screen_" + name + ".png"))); }

    // The table top's pixel at a screen point (it is drawn at x 120).
    uint16_t table(int32_t x, int32_t y) { return spritePixel(sprite(QVS_TABLE_TOP), x - 120, y).value; }
    // How many pixels of the screen rectangle show something else than the table top.
    int notTable(const HScreenRect& r)
    {
        int bad = 0;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            for (int32_t x = r.left; x < r.right; ++x)
                bad += screenPixel(x, y) != table(x, y) ? 1 : 0;
        }
        return bad;
    }

    // The tile's face shows its cell, each sheet pixel made into what
    // `expected` says (the cell is painted: most of the face is compared).
    void expectFace(const QVTile* t, const Expectation& expected, const char* what)
    {
        HScreenRect r;
        t->getFaceRect(&r);
        int compared = 0;
        EXPECT_EQ(mismatches(sprite(QVS_TILE_SET), faceOfCell(t->face), r.left, r.top, expected, &compared), 0)
            << what << " at " << t->x << "," << t->y << "," << t->z;
        EXPECT_GT(compared, 1000) << what << " at " << t->x << "," << t->y << "," << t->z;
    }

    // The glyphs of text drawn right to left from x, as the strip draws them.
    void expectNumber(const std::string& text, geo::Point at, bool commas, const char* what)
    {
        int32_t cursor = at.x;
        const int32_t y = at.y;
        int count = 0;
        for (size_t i = text.size(); i-- > 0;) {
            const int slot = text[i] == ':' ? QVS_COLON : QVS_DIGIT_0 + (text[i] - '0');
            expectSpriteAt(sprite(slot), cursor, y, what);
            ++count;
            const int32_t w = sprite(slot).getSpriteWidth();
            cursor -= (count % 3 != 0) ? w : (3 * w) / 4 + 1;
            if (count % 3 == 0 && commas && i > 0)
                cursor -= (3 * sprite(QVS_COMMA).getSpriteWidth()) / 4;
        }
    }

    // The strip's areas show `picture` (drawn at pictureX) and no digits;
    // where a button shows (the start button reaches into the strip), the
    // button's pass draws over the picture.
    void expectNoStrip(const MVSprite& picture, int32_t pictureX, const char* what)
    {
        std::vector<HScreenRect> buttons;
        const HObjectList* controls = game().getUIManager()->getControlList();
        for (HContainerNode* n = controls ? controls->beginIteration() : nullptr; n; n = controls->next(n)) {
            const UIControl* c = static_cast<const UIControl*>(n->getNodeContents());
            if (c->isActive() && c->isEnabled())
                buttons.push_back(c->getControlRect());
        }
        const auto underAButton = [&buttons](int32_t x, int32_t y) {
            for (const HScreenRect& r : buttons) {
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                    return true;
            }
            return false;
        };
        int bad = 0;
        for (const HScreenRect& area :
             {screen::rectOf(geo::kTilesLeftArea), screen::rectOf(geo::kPairsArea), screen::rectOf(geo::kClockArea)}) {
            for (int32_t y = area.top; y < area.bottom; ++y) {
                for (int32_t x = area.left; x < area.right; ++x) {
                    if (!underAButton(x, y))
                        bad += screenPixel(x, y) != spritePixel(picture, x - pictureX, y).value ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(bad, 0) << what;
    }

    static HScreenRect tileArea(const QVTile* t)
    {
        HScreenRect r;
        t->getTileRectWithShadows(&r);
        return r;
    }

    // Scripts the pair a, b taken with the pointer from time t on (b's press
    // at t + 40), and then, when `opener` is given, a press there at t + 45:
    // a dialog opens. Before the batches at t + 50, 300 and 900 the dialog
    // is up beside the pair (`dialog` misses it) and the pair's areas show
    // the table top only; the picture is saved. Counts the dialogs seen.
    void scriptPairTakenBeforeADialog(QVTile* a, QVTile* b, uint64_t t, const HScreenPoint* opener,
                                      const HScreenRect& dialog, const std::string& picture)
    {
        const HScreenRect aRect = tileArea(a);
        const HScreenRect bRect = tileArea(b);
        ASSERT_FALSE(aRect.intersectsRect(dialog) || bRect.intersectsRect(dialog)) << "the pair shows beside the dialog";
        const HScreenPoint pa = ArchiveBoard::s_faceCentre(*a);
        const HScreenPoint pb = ArchiveBoard::s_faceCentre(*b);
        session.script().batch({InputEvents::s_mouseMove(t, pa), InputEvents::s_buttonDown(t + 10, pa)});
        session.script().batch({InputEvents::s_buttonUp(t + 20, pa)}, [=] {
            EXPECT_EQ(game().getBoard()->selectedTile, a);
            EXPECT_GT(notTable(aRect), 0) << "the tile shows before it is taken";
        });
        session.script().batch({InputEvents::s_mouseMove(t + 30, pb), InputEvents::s_buttonDown(t + 40, pb)});
        if (opener) {
            // The pair is drawn at its fade's start before the click.
            session.script().batch({InputEvents::s_buttonUp(t + 42, pb), InputEvents::s_mouseMove(t + 43, *opener),
                                    InputEvents::s_buttonDown(t + 45, *opener)},
                                   [=] { EXPECT_GT(notTable(bRect), 0) << "the pair fades"; });
        }
        for (uint64_t later : {50u, 300u, 900u}) {
            session.script().batch({InputEvents::s_timestamp(t + later)}, [=] {
                SCOPED_TRACE(picture);
                ASSERT_EQ(MVDialog::sm_modalStack.getNumItems(), 1) << "the dialog is up";
                if (later == 50u)
                    ++m_iDialogsSeen;
                EXPECT_FALSE(a->present || b->present);
                save(picture);
                EXPECT_EQ(notTable(aRect), 0) << later << " ms after the pair was taken";
                EXPECT_EQ(notTable(bRect), 0) << later << " ms after the pair was taken";
            });
        }
    }

    GameSession<ScreenGame> session;
    Format format;
    int m_iDialogsSeen = 0;
};

// --- The start screen -------------------------------------------------------------

TEST_F(QinvarScreens, TheStartScreenShowsThePicksAndWrapsAround)
{
    ScreenGame& g = game();
    g.m_options.layout = 0;
    g.m_options.tileSet = 8;
    g.m_options.background = 12;
    // Through the main loop: the pickers invalidate, the loop redraws.
    session.script().batch({InputEvents::s_timestamp(1500)}, [&] {
        g.adjustLayoutPreview(-1);
        g.adjustTileSetPreview(1);
        g.adjustBackgroundPreview(0);
    });
    session.script().batch({InputEvents::s_timestamp(1600)}, [&] {
        EXPECT_EQ(g.m_options.layout, 17);
        EXPECT_EQ(g.m_options.tileSet, 0);
        EXPECT_EQ(g.m_options.background, 0);
        save("start_wrapped");
        const MVSprite& layout = sprite(QVS_LAYOUT_PREVIEW + 17);
        const MVSprite& title = sprite(QVS_LAYOUT_TITLE + 17);
        const MVSprite& tiles = sprite(QVS_TILE_SET_PREVIEW + 0);
        expectSpriteAt(layout, geo::layoutPreviewAt(layout.getSpriteWidth()), "layout preview 18");
        expectSpriteAt(title, geo::layoutTitleAt(title.getSpriteWidth()), "layout title 18");
        expectSpriteAt(tiles, geo::tileSetPreviewAt(tiles.getSpriteWidth()), "tile-set preview 1");
        // The table-top preview shows above the tile-set preview, which lies on it.
        const MVSprite& tableTop = sprite(QVS_TABLE_TOP_PREVIEW + 0);
        int compared = 0;
        EXPECT_EQ(mismatches(tableTop, HScreenRect(0, 0, tableTop.getSpriteWidth(), 14),
                             geo::tablePreviewAt(tableTop.getSpriteWidth()).x,
                             geo::tablePreviewAt(tableTop.getSpriteWidth()).y, same, &compared),
                  0);
        EXPECT_GT(compared, 0);
        expectNoStrip(sprite(QVS_START_SCREEN), geo::kTableTop.x, "no strip on the start screen");

        // Back the other way, and the table top from below its range.
        g.adjustLayoutPreview(1);
        g.adjustTileSetPreview(-1);
        g.m_options.background = -3;
        g.adjustBackgroundPreview(0);
    });
    session.script().batch({InputEvents::s_timestamp(1700)}, [&] {
        EXPECT_EQ(g.m_options.layout, 0);
        EXPECT_EQ(g.m_options.tileSet, 8);
        EXPECT_EQ(g.m_options.background, 9);
        save("start_back");
        const MVSprite& layout = sprite(QVS_LAYOUT_PREVIEW + 0);
        expectSpriteAt(layout, geo::layoutPreviewAt(layout.getSpriteWidth()), "layout preview 1");
        const MVSprite& title = sprite(QVS_LAYOUT_TITLE + 0);
        expectSpriteAt(title, geo::layoutTitleAt(title.getSpriteWidth()), "layout title 1");
        const MVSprite& tiles = sprite(QVS_TILE_SET_PREVIEW + 8);
        expectSpriteAt(tiles, geo::tileSetPreviewAt(tiles.getSpriteWidth()), "tile-set preview 9");
        const MVSprite& tableTop = sprite(QVS_TABLE_TOP_PREVIEW + 9);
        int compared = 0;
        EXPECT_EQ(mismatches(tableTop, HScreenRect(0, 0, tableTop.getSpriteWidth(), 14),
                             geo::tablePreviewAt(tableTop.getSpriteWidth()).x,
                             geo::tablePreviewAt(tableTop.getSpriteWidth()).y, same, &compared),
                  0);
    });
    session.run();
    EXPECT_TRUE(session.script().done());
}

// --- The board -----------------------------------------------------------------------

TEST_F(QinvarScreens, ADealtBoardWithItsShadowsAndTheStrip)
{
    ScreenGame& g = game();
    ASSERT_TRUE(g.deal(20240607));
    g.m_gameStartTime = MvTime::s_fromTime64(kClock - 207400);
    drawScreen();
    save("playing");
    EXPECT_EQ(g.getBoard()->tilesLeft, 144);
    // The tile drawn last lies on top of everything: its face is whole.
    expectFace(g.m_board.drawOrder[QVBoard::kTileCount - 1], same, "the top tile");
    // The strip: "144" right-aligned on 610, the moves, the clock.
    expectNumber("144", geo::kTilesLeftNumber, true, "tiles left");
    expectNumber(std::to_string(g.getBoard()->availableMatches), geo::kPairsNumber, true, "available moves");
    expectNumber("03:27", geo::kClockNumber, false, "clock");
    expectSpriteAt(sprite(QVS_LEFT_PANEL), 0, 0, "left panel");
}

TEST_F(QinvarScreens, ShadowsAreCutByTheirNeighboursFaces)
{
    ScreenGame& g = game();
    g.clearBoard();
    // Subject s at (10, 10); b behind it half a tile left, a half a tile
    // down on its right. Elsewhere a row pair (c, d) and a column pair (e, f).
    QVTile* s = g.place(10, 10, 0, 0);
    QVTile* b = g.place(9, 8, 0, 1);
    QVTile* a = g.place(12, 11, 0, 2);
    QVTile* c = g.place(16, 2, 0, 3);
    QVTile* d = g.place(18, 2, 0, 4);
    QVTile* e = g.place(2, 4, 0, 5);
    QVTile* f = g.place(2, 6, 0, 6);
    drawScreen();
    save("shadows");

    HScreenRect sf, bf, af, cf, df, ff;
    s->getFaceRect(&sf);
    b->getFaceRect(&bf);
    a->getFaceRect(&af);
    c->getFaceRect(&cf);
    d->getFaceRect(&df);
    f->getFaceRect(&ff);
    ASSERT_EQ(af.left, sf.right);
    // Faces that a shadow would have fallen on are untouched: every face is
    // whole (no tile lies over another here).
    for (const QVTile* t : {s, b, a, c, d, e, f})
        expectFace(t, same, "whole face");
    // Where the strips do fall, the table is darker than it is.
    const auto darker = [&](int32_t x, int32_t y) {
        const uint16_t p = screenPixel(x, y);
        const uint16_t t = table(x, y);
        return format.channel(p, 0) + format.channel(p, 1) + format.channel(p, 2) <
               format.channel(t, 0) + format.channel(t, 1) + format.channel(t, 2);
    };
    // s's top strip: only right of b's face; its right strip: only above a's face.
    EXPECT_TRUE(darker(bf.right + 4, sf.top - 2));
    EXPECT_TRUE(darker(sf.right + 2, af.top - 4));
    EXPECT_TRUE(darker(sf.right + 2, sf.top + 2));
    // e has f below it and no tile above: its top strip falls; f's does not
    // (e's face is there, checked whole above), nor does c's right strip
    // (d's face).
    HScreenRect ef;
    e->getFaceRect(&ef);
    EXPECT_TRUE(darker(ef.left + 10, ef.top - 2));
    EXPECT_EQ(ef.bottom, ff.top);
    EXPECT_EQ(cf.right, df.left);
    // d has no neighbour on its right: its right strip falls.
    EXPECT_TRUE(darker(df.right + 2, df.top + 10));
}

TEST_F(QinvarScreens, SelectionHintHighlightAndHoverOutlines)
{
    ScreenGame& g = game();
    g.clearBoard();
    // A row of three: the middle one is blocked; two lone tiles apart.
    QVTile* left = g.place(2, 2, 0, 7);
    QVTile* middle = g.place(4, 2, 0, 8);
    QVTile* right = g.place(6, 2, 0, 13);
    QVTile* selected = g.place(12, 8, 0, 14);
    QVTile* hinted = g.place(20, 8, 0, 15);
    QVTile* lone = g.place(20, 14, 0, 16);
    ASSERT_FALSE(g.getBoard()->tileIsFree(middle));
    ASSERT_TRUE(g.getBoard()->tileIsFree(lone));
    const auto doubled = [&](uint16_t p, uint16_t, uint16_t) {
        const int32_t c[3] = {2 * format.channel(p, 0), 2 * format.channel(p, 1), 2 * format.channel(p, 2)};
        return format.pack(c);
    };

    // The selected tile: its face added onto itself.
    selected->selected = true;
    g.m_board.selectedTile = selected;
    g.m_board.hoverTile = middle;
    // The glow at its height: 180 ms into its 720 ms period of the game
    // clock, where it adds the whole face onto itself, as the selection does.
    g.m_apHintTiles[0] = hinted;
    g.setGameClock(MvTime::s_fromTime64(1700000000180ull));
    g.m_hintTime = MvTime::s_fromTime64(1700000000000ull);
    drawScreen();
    save("selected_hint_hover_blocked");
    expectFace(selected, doubled, "selected");
    const auto& glowing = doubled;
    expectFace(hinted, glowing, "hint");
    // The red outline on the blocked tile, within its face.
    HScreenRect face;
    middle->getFaceRect(&face);
    expectSpriteAt(sprite(QVS_OUTLINE_RED), face.left, face.top, "red outline");
    expectFace(lone, same, "plain");

    // The green outline on a free tile; the free-tile highlight on the free
    // tiles only.
    g.m_board.hoverTile = lone;
    g.m_apHintTiles[0] = nullptr;
    g.m_fShowMovesLevel = 0.5f;
    drawScreen();
    save("highlight_hover_free");
    lone->getFaceRect(&face);
    expectSpriteAt(sprite(QVS_OUTLINE_GREEN), face.left, face.top, "green outline");
    const auto highlighted = [&](uint16_t p, uint16_t, uint16_t) {
        int32_t c[3];
        for (int i = 0; i < 3; ++i)
            c[i] = format.channel(p, i) + format.channel(p, i) * 127 / 255;
        return format.pack(c);
    };
    for (const QVTile* t : {left, right, hinted})
        expectFace(t, highlighted, "highlighted");
    expectFace(middle, same, "blocked, not highlighted");
    expectFace(selected, doubled, "selected, not highlighted");
}

// CIE L* (0 to 100) of an sRGB colour of 8-bit channels (D65 white).
double lightness(uint32_t rgb)
{
    const auto linear = [](uint32_t c8) {
        const double c = static_cast<double>(c8) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double y = 0.2126 * linear(rgb >> 16 & 0xff) + 0.7152 * linear(rgb >> 8 & 0xff) + 0.0722 * linear(rgb & 0xff);
    const double f = y > 216.0 / 24389.0 ? std::cbrt(y) : (24389.0 / 27.0 * y + 16.0) / 116.0;
    return 116.0 * f - 16.0;
}

// The selected tile is told from the others by its second pass, which adds
// the tile onto itself: on every tile set that must lighten it plainly. Each
// face the deal uses is drawn alone by the game, as it lies and selected,
// and every pixel of its cell that the tile covers (the face, its symbol
// and its sides) is read back off the screen; the median lightening over
// the set's pixels is at least 20 in L*.
TEST_F(QinvarScreens, TheSelectedTileLightensPlainlyOnEveryTileSet)
{
    ScreenGame& g = game();
    ASSERT_TRUE(g.deal(5));
    std::set<int32_t> faces;
    for (const QVTile& t : g.getBoard()->tiles)
        faces.insert(t.face);
    ASSERT_EQ(faces.size(), 42u) << "34 kinds of four and eight flowers and seasons";

    for (int32_t set = 0; set < Qinvar::kTileSetCount; ++set) {
        SCOPED_TRACE("tile set " + std::to_string(set + 1));
        g.m_options.tileSet = set;
        std::vector<double> lightening;
        for (int32_t face : faces) {
            g.clearBoard(); // loads the set
            QVTile* t = g.place(12, 8, 0, face);
            HScreenRect cell;
            t->getTileRect(&cell);
            HScreenRect area;
            t->getTileRectWithShadows(&area);
            const auto drawn = [&] {
                g.m_drawPuzzleBoard(area, false);
                g.getDisplayDevice()->updateScreen();
                std::vector<uint32_t> pixels;
                const HScreenRect src = cellOf(face);
                for (int32_t y = 0; y < geo::kTileH; ++y) {
                    for (int32_t x = 0; x < geo::kTileW; ++x) {
                        if (spritePixel(sprite(QVS_TILE_SET), src.left + x, src.top + y).alpha == 255)
                            pixels.push_back(session.rgbAt(cell.left + x, cell.top + y));
                    }
                }
                return pixels;
            };
            const std::vector<uint32_t> plain = drawn();
            t->selected = true;
            g.m_board.selectedTile = t;
            const std::vector<uint32_t> selected = drawn();
            ASSERT_EQ(plain.size(), selected.size());
            ASSERT_GT(plain.size(), 1000u) << "face " << face;
            for (size_t i = 0; i < plain.size(); ++i)
                lightening.push_back(lightness(selected[i]) - lightness(plain[i]));
        }
        std::nth_element(lightening.begin(), lightening.begin() + lightening.size() / 2, lightening.end());
        const double median = lightening[lightening.size() / 2];
        RecordProperty("tileset_" + std::to_string(set + 1) + "_median_lightening", std::to_string(median));
        EXPECT_GE(median, 20.0) << "the median lightening in L* of " << lightening.size() << " pixels";
    }
}

TEST_F(QinvarScreens, APairFadesOutOverHalfASecond)
{
    ScreenGame& g = game();
    g.clearBoard();
    QVTile* a = g.place(4, 4, 0, 20);
    QVTile* b = g.place(20, 10, 0, 20);
    g.place(12, 2, 0, 21);
    g.m_board.removeTiles(a, b, MvTime::s_fromTime64(kClock - 250));
    drawScreen();
    save("fading_pair");
    // Half of the tile over half of the table.
    const auto half = [&](uint16_t p, uint16_t x, uint16_t y) {
        const uint16_t under = table(x, y);
        int32_t c[3];
        for (int i = 0; i < 3; ++i)
            c[i] = format.channel(p, i) * 127 / 255 + format.channel(under, i) * 127 / 255;
        return format.pack(c);
    };
    expectFace(a, half, "fading");
    expectFace(b, half, "fading");
    expectNumber("1", geo::kTilesLeftNumber, true, "tiles left");

    // At 500 ms the pair is gone: the table shows.
    g.setGameClock(MvTime::s_fromTime64(kClock + 250));
    drawScreen();
    HScreenRect r;
    a->getTileRectWithShadows(&r);
    EXPECT_EQ(notTable(r), 0);
}

// Taking the pair that leaves no free pair opens the no-more-moves dialog at
// once, inside the click; the board behind it shows that pair gone, for as
// long as the dialog is up, and not the pair's first fading picture.
TEST_F(QinvarScreens, TheNoMoreMovesDialogShowsTheBoardWithoutThePairJustTaken)
{
    ScreenGame& g = game();
    g.clearBoard();
    // A pair at the top corners, and beside them a stack of another group
    // whose lower tile the upper covers: once the pair is gone, only one
    // tile is free.
    QVTile* a = g.place(0, 0, 0, 20);
    QVTile* b = g.place(24, 0, 0, 20);
    g.place(12, 0, 0, 21);
    g.place(12, 0, 1, 21);
    ASSERT_EQ(g.getBoard()->availableMatches, 1);

    const uint64_t t = kClock + 1000;
    scriptPairTakenBeforeADialog(a, b, t, nullptr, screen::noMoreMovesDialog(), "nomoremoves_board_behind");
    session.script().batch(
        {InputEvents::s_mouseMove(t + 1000, screen::middle(screen::endGameButton())),
         InputEvents::s_buttonDown(t + 1010, screen::middle(screen::endGameButton()))},
        [&] { EXPECT_EQ(g.getState(), GS_PLAYING) << "the dialog is still up"; });
    session.script().batch({InputEvents::s_timestamp(t + 1100)}, [&] { EXPECT_EQ(g.getState(), GS_NO_MORE_MOVES); });
    session.run();
    EXPECT_EQ(m_iDialogsSeen, 1);
    EXPECT_TRUE(session.script().everyCheckRan());
}

// A pair taken, and at once New game or Quit clicked: the board behind the
// question to leave the game shows the pair gone while the question is up,
// and after No the game goes on without it.
TEST_F(QinvarScreens, TheQuestionToLeaveShowsTheBoardWithoutThePairJustTaken)
{
    ScreenGame& g = game();
    g.clearBoard();
    // Three pairs along the top row, every tile free.
    QVTile* a = g.place(0, 0, 0, 20);
    QVTile* b = g.place(24, 0, 0, 20);
    QVTile* c = g.place(4, 0, 0, 21);
    QVTile* d = g.place(20, 0, 0, 21);
    g.place(8, 0, 0, 5);
    g.place(16, 0, 0, 5);
    ASSERT_EQ(g.getBoard()->availableMatches, 3);

    struct Case {
        const char* name;
        QVTile* first;
        QVTile* second;
        HScreenRect button;
    };
    const Case cases[] = {
        {"newgame", a, b, screen::newGameButton()},
        {"quit", c, d, screen::exitButton()},
    };
    uint64_t t = kClock + 1000;
    for (const Case& k : cases) {
        const HScreenPoint opener = screen::middle(k.button);
        scriptPairTakenBeforeADialog(k.first, k.second, t, &opener, screen::leaveConfirmation(),
                                     std::string(k.name) + "_question_board_behind");
        const HScreenPoint no = screen::middle(screen::confirmationButton(false));
        session.script().batch({InputEvents::s_mouseMove(t + 1000, no), InputEvents::s_buttonDown(t + 1010, no)});
        session.script().batch({InputEvents::s_buttonUp(t + 1020, no)});
        session.script().batch({InputEvents::s_timestamp(t + 1100)}, [&, k] {
            SCOPED_TRACE(k.name);
            EXPECT_EQ(MVDialog::sm_modalStack.getNumItems(), 0) << "No closed the question";
            EXPECT_EQ(g.getState(), GS_PLAYING);
            EXPECT_FALSE(k.first->present);
            EXPECT_EQ(notTable(tileArea(k.first)), 0);
            EXPECT_EQ(notTable(tileArea(k.second)), 0);
        });
        t += 2000;
    }
    session.run();
    EXPECT_EQ(m_iDialogsSeen, 2);
    EXPECT_TRUE(session.script().everyCheckRan());
}

// --- Other screens ------------------------------------------------------------------------

TEST_F(QinvarScreens, PauseWonAndNoMoreMovesScreens)
{
    ScreenGame& g = game();
    ASSERT_TRUE(g.deal(99));

    g.m_bSuspended = true;
    drawScreen();
    save("paused");
    expectSpriteAt(sprite(QVS_PAUSE_SCREEN), geo::kBoardPicture, "pause screen");
    expectNoStrip(sprite(QVS_PAUSE_SCREEN), 125, "no strip while paused");
    g.m_bSuspended = false;

    struct Case {
        const char* name;
        int32_t state;
        int slot;
        int32_t seconds;
        const char* clock;
    };
    const Case cases[] = {
        {"won", GS_WON, QVS_BOARD_COMPLETE, 6005, "100:05"},
        {"nomoremoves", GS_NO_MORE_MOVES, QVS_GAME_OVER, 754, "12:34"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g.m_setGameState(c.state);
        g.m_gameStats.gameSeconds = c.seconds;
        // The final time stays, whatever the clock.
        g.setGameClock(MvTime::s_fromTime64(kClock + 77777));
        drawScreen();
        save(c.name);
        int compared = 0;
        // Everything above the strip.
        EXPECT_EQ(mismatches(sprite(c.slot), HScreenRect(0, 0, geo::kBoardW, 445), geo::kBoardPicture.x,
                             geo::kBoardPicture.y, same, &compared),
                  0);
        EXPECT_EQ(compared, geo::kBoardW * 445);
        expectNumber(c.clock, geo::kClockNumber, false, "final time");
        expectNumber(std::to_string(g.getBoard()->tilesLeft), geo::kTilesLeftNumber, true, "tiles left");
        // Under a dialog the strip is left out.
        drawScreen(true);
        expectNoStrip(sprite(c.slot), geo::kBoardPicture.x, "no strip under a dialog");
    }
}

TEST_F(QinvarScreens, TheNoMatchMessageOverTheBoard)
{
    ScreenGame& g = game();
    ASSERT_TRUE(g.deal(7));
    g.m_noMatchTime = MvTime::s_fromTime64(kClock - 1000);
    drawScreen();
    save("playing_nomatch");
    expectSpriteAt(sprite(QVS_NO_MATCH), g.m_noMatchArea.left, g.m_noMatchArea.top, "no-match message");
    // Gone at 3000 ms: the board shows there again.
    const int32_t x = g.m_noMatchArea.left + g.m_noMatchArea.width() / 2;
    const int32_t y = g.m_noMatchArea.top + g.m_noMatchArea.height() / 2;
    g.setGameClock(MvTime::s_fromTime64(kClock + 2000));
    drawScreen();
    const uint16_t board = screenPixel(x, y);
    g.m_noMatchTime = MvTime{0, 0};
    drawScreen();
    EXPECT_EQ(screenPixel(x, y), board);
}

} // namespace
