// The game's drawing on a recording memory screen with plain painted art:
// where every copy and blend lands and what it takes from its image, the
// blend strengths in pixels, the shadows cut by neighbours, the digits of
// the information strip, the no-match message's hold and fade, the picture
// of each state, the start-screen pickers and the reloading of the chosen
// tile set and table top.
#include "engine/media/HImage.h"
#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"
#include "tests/game/GameScreen.h"
#include "tests/support/DialogTestGame.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/OpenQinvar.h"
#include "tests/support/RecordingDisplayDevice.h"
#include "tests/support/TestLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr uint16_t rgb565(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}

// The painted tile face and the ground it is drawn on, in 5-6-5 channels.
constexpr uint16_t kFacePixel = rgb565(10, 30, 20);
constexpr uint16_t kGround = rgb565(20, 40, 10);
constexpr uint16_t kWhite = rgb565(31, 63, 31);

bool sameRect(const HScreenRect& a, const HScreenRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string show(const HScreenRect& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

#define EXPECT_RECT(actual, expected) EXPECT_PRED2(sameRect, actual, expected) << show(actual)

// One copy or blend, by the sprite slot it came from.
struct Draw {
    int slot; // -1: not a sprite of the table
    HScreenRect dst;
    HScreenRect src;
    bool blend;
};

// The game on a 640 x 480 recording screen; art is painted per slot.
class PaintedGame : public OpenQinvar {
public:
    PaintedGame() : m_screen(), m_iNextSlot(0)
    {
        H2DDisplayDevice::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
        m_screen.initScreen(640, 480, "drawing test", false, false);
        m_pDisplayDevice = &m_screen;
    }
    ~PaintedGame() override
    {
        m_unloadGraphics();
        m_uiManager.shutdownUIManager();
        m_pDisplayDevice = nullptr;
        m_pReadFileSystem = nullptr;
        m_screen.shutdownScreen();
    }

    // Slot gets a width x height image of one colour (8-bit channels) and
    // alpha; its top-left pixel is clear, so the image keeps a mask as the
    // game's art does.
    void paint(QVSprite_t slot, int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
    {
        HImage image(width, height, HImage::FORMAT_32BIT);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x)
                image.setPixel32(x, y, HImage::s_packRGBA(r, g, b, (x == 0 && y == 0) ? 0 : a));
        }
        while (m_aSprites[slot].isSpriteValid())
            m_aSprites[slot].unloadSprite();
        m_aSprites[slot].createSpriteFromImage(&m_screen, &image);
    }

    // Every slot the drawing uses, in the archive's sizes; distinct colours.
    void paintAll()
    {
        paint(QVS_PAUSE_SCREEN, 515, 480, 8, 8, 8);
        paint(QVS_LEFT_PANEL, 125, 480, 16, 16, 16);
        paint(QVS_START_SCREEN, 520, 480, 24, 24, 24);
        paint(QVS_TABLE_TOP, 520, 480, 160, 160, 80);
        paint(QVS_SHADOW_TOP, 33, 6, 0, 0, 0);
        paint(QVS_SHADOW_RIGHT, 6, 53, 0, 0, 0);
        paint(QVS_NO_MATCH, 300, 60, 255, 255, 255);
        paint(QVS_BOARD_COMPLETE, 515, 480, 40, 40, 40);
        paint(QVS_GAME_OVER, 515, 480, 48, 48, 48);
        for (int i = 0; i < kLayoutCount; ++i) {
            paint(static_cast<QVSprite_t>(QVS_LAYOUT_PREVIEW + i), 260 + 2 * i, 200, 56, 56, 56);
            paint(static_cast<QVSprite_t>(QVS_LAYOUT_TITLE + i), 150 + i, 20, 64, 64, 64);
        }
        for (int i = 0; i < kTileSetCount; ++i)
            paint(static_cast<QVSprite_t>(QVS_TILE_SET_PREVIEW + i), 200 + i, 80, 72, 72, 72);
        for (int i = 0; i < kBackgroundCount; ++i)
            paint(static_cast<QVSprite_t>(QVS_TABLE_TOP_PREVIEW + i), 228 + i, 110, 80, 80, 80);
        for (int d = 0; d < 12; ++d)
            paint(static_cast<QVSprite_t>(QVS_DIGIT_0 + d), 12, 20, 255, 255, 255);
        paint(QVS_OUTLINE_GREEN, 33, 48, 0, 255, 0);
        paint(QVS_OUTLINE_RED, 33, 48, 255, 0, 0);
        paint(QVS_TILE_SET, 507, 220, 80, 120, 160);
        QVTile::s_setShadowSizes(6, 6);
        // Where the buttons' set-up puts the 300 x 60 message: (232, 160).
        const geo::Point noMatch = geo::noMatchAt(300, 60);
        m_noMatchArea = HScreenRect(noMatch.x, noMatch.y, noMatch.x + 300, noMatch.y + 60);
    }

    // A present tile at (x, y, z) in the next slot, in draw order.
    QVTile* place(int32_t x, int32_t y, int32_t z, int32_t face = 14)
    {
        QVTile* t = TestLayout::placeTile(m_board, m_iNextSlot++, x, y, z, face);
        return t;
    }

    int slotOf(const H2DSurface* surface) const
    {
        for (int slot = 0; slot < QVS_COUNT; ++slot) {
            if (surface && m_aSprites[slot].getSpriteSurface() == surface)
                return slot;
        }
        return -1;
    }
    std::vector<Draw> draws() const
    {
        std::vector<Draw> out;
        for (const RecordingDisplayDevice::DrawCall& c : m_screen.drawCalls())
            out.push_back(Draw{slotOf(c.surface), c.dst, c.src, c.blend});
        return out;
    }
    std::vector<Draw> drawsOf(int slot) const
    {
        std::vector<Draw> out;
        for (const Draw& d : draws()) {
            if (d.slot == slot)
                out.push_back(d);
        }
        return out;
    }
    // The glyphs drawn, left to right, as text ('?' for no glyph slot).
    std::string digitsIn(const HScreenRect& area) const
    {
        std::vector<Draw> glyphs;
        for (const Draw& d : draws()) {
            if (d.slot >= QVS_DIGIT_0 && d.slot <= QVS_COMMA && area.containsRect(d.dst))
                glyphs.push_back(d);
        }
        std::sort(glyphs.begin(), glyphs.end(),
                  [](const Draw& a, const Draw& b) { return a.dst.left < b.dst.left; });
        std::string text;
        for (const Draw& d : glyphs)
            text += d.slot == QVS_COLON ? ':' : d.slot == QVS_COMMA ? ',' : static_cast<char>('0' + d.slot - QVS_DIGIT_0);
        return text;
    }
    void clearDraws() { m_screen.clearDrawCalls(); }

    RecordingDisplayDevice m_screen;

private:
    int m_iNextSlot;
};

const HScreenRect kScreen(0, 0, 640, 480);

class QinvarDrawing : public testing::Test {
protected:
    void SetUp() override
    {
        m_oldTop = QVTile::sm_iTopShadowHeight;
        m_oldRight = QVTile::sm_iRightShadowWidth;
        game.paintAll();
        game.setGameClock(MvTime::s_fromTime64(100000));
    }
    void TearDown() override { QVTile::s_setShadowSizes(m_oldTop, m_oldRight); }

    PaintedGame game;

private:
    int32_t m_oldTop = 0;
    int32_t m_oldRight = 0;
};

// --- One tile ------------------------------------------------------------------

TEST_F(QinvarDrawing, ATileIsCutToTheClipAndItsSourceMovesAlike)
{
    // (4, 4, 0): tile (197, 126, 236, 181); face 14 is the cell at column 1,
    // row 1 of the sheet: (39, 55, 78, 110).
    QVTile* t = game.place(4, 4, 0, 14);
    game.m_drawTile(*t, HScreenRect(200, 140, 600, 150), 0.0f, 1.0f, 0.0f);
    const std::vector<Draw> tiles = game.drawsOf(QVS_TILE_SET);
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_RECT(tiles[0].dst, HScreenRect(200, 140, 236, 150));
    EXPECT_RECT(tiles[0].src, HScreenRect(42, 69, 78, 79));
    EXPECT_FALSE(tiles[0].blend);
    EXPECT_TRUE(game.m_screen.guardIntact());

    game.clearDraws();
    game.m_drawTile(*t, kScreen, 0.0f, 1.0f, 0.0f);
    ASSERT_EQ(game.drawsOf(QVS_TILE_SET).size(), 1u);
    EXPECT_RECT(game.drawsOf(QVS_TILE_SET)[0].dst, HScreenRect(197, 126, 236, 181));
    EXPECT_RECT(game.drawsOf(QVS_TILE_SET)[0].src, HScreenRect(39, 55, 78, 110));
}

TEST_F(QinvarDrawing, ATileMissingTheClipCostsNothingAndAShadowAloneRedrawsAlone)
{
    QVTile* t = game.place(4, 4, 0);
    // The tile with its shadows spans (197, 120, 242, 181).
    game.m_drawTile(*t, HScreenRect(0, 0, 196, 480), 1.0f, 1.0f, 0.0f);
    game.m_drawTile(*t, HScreenRect(243, 0, 640, 480), 1.0f, 1.0f, 0.0f);
    EXPECT_TRUE(game.draws().empty());

    // Only the strip above the face: the top shadow, nothing of the tile.
    game.m_drawTile(*t, HScreenRect(210, 118, 220, 125), 1.0f, 1.0f, 0.0f);
    const std::vector<Draw> all = game.draws();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].slot, QVS_SHADOW_TOP);
    EXPECT_RECT(all[0].dst, HScreenRect(210, 120, 220, 125));
    EXPECT_RECT(all[0].src, HScreenRect(7, 0, 17, 5));
}

// The face pixel after one m_drawTile over a ground, by the blend's strengths.
TEST_F(QinvarDrawing, TileBlendStrengthsInPixels)
{
    struct Case {
        const char* name;
        float alpha, tint;
        uint16_t ground;
        bool blend;
        uint16_t expected;
    };
    const Case cases[] = {
        {"plain", 1.0f, 0.0f, kGround, false, kFacePixel},
        // The selection's second pass adds the tile onto itself.
        {"added onto itself", 1.0f, 1.0f, kFacePixel, true, rgb565(20, 60, 31)},
        {"added onto ground", 1.0f, 1.0f, kGround, true, rgb565(30, 63, 30)},
        // Fading at half: each side scaled by 127 / 255, rounded down alone.
        {"fading half", 0.5f, 0.5f, kGround, true, rgb565(4 + 9, 14 + 19, 9 + 4)},
        // A hint glow at a quarter: alpha 63.
        {"glow quarter", 0.25f, 1.0f, kGround, true, rgb565(2 + 20, 7 + 40, 4 + 10)},
        // The free-tile highlight at half.
        {"highlight half", 1.0f, 0.5f, kFacePixel, true, rgb565(10 + 4, 30 + 14, 20 + 9)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintedGame g;
        g.paintAll();
        QVTile* t = g.place(4, 4, 0);
        g.m_screen.fill(c.ground);
        g.m_drawTile(*t, kScreen, 0.0f, c.alpha, c.tint);
        ASSERT_EQ(g.drawsOf(QVS_TILE_SET).size(), 1u);
        EXPECT_EQ(g.drawsOf(QVS_TILE_SET)[0].blend, c.blend);
        EXPECT_EQ(g.m_screen.pixel(210, 150), c.expected);
        // The sheet's clear pixels leave the ground (the cell at (39, 55)
        // is painted, only the sheet's own corner is clear).
        EXPECT_EQ(g.m_screen.pixel(100, 100), c.ground);
        EXPECT_TRUE(g.draws().size() == 1u) << "no shadow without a shadow level";
    }
}

// --- Shadows ---------------------------------------------------------------------

struct ShadowCase {
    const char* name;
    std::vector<TilePosition> neighbours; // around the subject at (4, 4, 0)
    bool top;
    HScreenRect topDst, topSrc;
    bool right;
    HScreenRect rightDst, rightSrc;
};

// The subject's face is (203, 126, 236, 174); a full top strip is
// (203, 120, 236, 126), a full right strip (236, 121, 242, 174).
const HScreenRect kTopStrip(203, 120, 236, 126);
const HScreenRect kTopSource(0, 0, 33, 6);
const HScreenRect kRightStrip(236, 121, 242, 174);
const HScreenRect kRightSource(0, 0, 6, 53);

void PrintTo(const ShadowCase& c, std::ostream* os)
{
    *os << c.name;
}

class QinvarShadows : public QinvarDrawing, public testing::WithParamInterface<ShadowCase> {};

TEST_P(QinvarShadows, StripsAreCutByTheFacesAroundThem)
{
    const ShadowCase& c = GetParam();
    QVTile* subject = game.place(4, 4, 0);
    for (const TilePosition& p : c.neighbours) {
        QVTile* n = game.place(p.x, p.y, p.z);
        // A layer of 9 marks a tile that was taken off the board.
        if (p.z == 9) {
            n->z = 0;
            n->present = false;
        }
    }
    game.m_drawTile(*subject, kScreen, 1.0f, 1.0f, 0.0f);
    const std::vector<Draw> top = game.drawsOf(QVS_SHADOW_TOP);
    const std::vector<Draw> right = game.drawsOf(QVS_SHADOW_RIGHT);
    ASSERT_EQ(top.size(), c.top ? 1u : 0u);
    ASSERT_EQ(right.size(), c.right ? 1u : 0u);
    if (c.top) {
        EXPECT_RECT(top[0].dst, c.topDst);
        EXPECT_RECT(top[0].src, c.topSrc);
        EXPECT_TRUE(top[0].blend);
    }
    if (c.right) {
        EXPECT_RECT(right[0].dst, c.rightDst);
        EXPECT_RECT(right[0].src, c.rightSrc);
        EXPECT_TRUE(right[0].blend);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Neighbours, QinvarShadows,
    testing::Values(
        ShadowCase{"alone", {}, true, kTopStrip, kTopSource, true, kRightStrip, kRightSource},
        ShadowCase{"tile_behind_no_top", {{4, 2, 0}}, false, {}, {}, true, kRightStrip, kRightSource},
        ShadowCase{"row_neighbour_no_right", {{6, 4, 0}}, true, kTopStrip, kTopSource, false, {}, {}},
        // Its face starts where the strip ends: the top strip keeps its
        // length, the right strip starts below that face.
        ShadowCase{"right_half_up", {{6, 3, 0}}, true, kTopStrip, kTopSource, true, {236, 150, 242, 174},
                   {0, 29, 6, 53}},
        ShadowCase{"behind_half_left", {{3, 2, 0}}, true, {219, 120, 236, 126}, {16, 0, 33, 6}, true, kRightStrip,
                   kRightSource},
        ShadowCase{"behind_half_right", {{5, 2, 0}}, true, {203, 120, 219, 126}, {0, 0, 16, 6}, true,
                   {236, 126, 242, 174}, {0, 5, 6, 53}},
        ShadowCase{"behind_right", {{6, 2, 0}}, true, kTopStrip, kTopSource, true, {236, 126, 242, 174},
                   {0, 5, 6, 53}},
        ShadowCase{"right_half_down", {{6, 5, 0}}, true, kTopStrip, kTopSource, true, {236, 121, 242, 150},
                   {0, 0, 6, 29}},
        // Cut from the left and then from the right, nothing is left.
        ShadowCase{"behind_both_halves", {{3, 2, 0}, {5, 2, 0}}, false, {}, {}, true, {236, 126, 242, 174},
                   {0, 5, 6, 53}},
        // Only present tiles of the same layer count.
        ShadowCase{"other_layer", {{6, 4, 1}, {4, 2, 1}}, true, kTopStrip, kTopSource, true, kRightStrip,
                   kRightSource},
        ShadowCase{"removed_neighbours", {{6, 4, 9}, {4, 2, 9}}, true, kTopStrip, kTopSource, true, kRightStrip,
                   kRightSource}),
    [](const testing::TestParamInfo<ShadowCase>& info) { return std::string(info.param.name); });

TEST_F(QinvarDrawing, ShadowStrengthFollowsTheShadowLevel)
{
    struct Case {
        float shadow;
        uint16_t expected; // on white, under an opaque black shadow
    };
    // 65025 - 255 x 127 = 32640: 31 x 32640 / 65025 = 15, 63 x ... = 31.
    const Case cases[] = {{1.0f, 0}, {0.5f, rgb565(15, 31, 15)}, {0.0f, kWhite}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shadow);
        game.m_screen.fill(kWhite);
        QVTile t;
        t.present = true;
        t.x = 4;
        t.y = 4;
        t.face = 14;
        game.m_drawTile(t, kScreen, c.shadow, 1.0f, 0.0f);
        EXPECT_EQ(game.m_screen.pixel(210, 123), c.expected); // top strip
        EXPECT_EQ(game.m_screen.pixel(239, 150), c.expected); // right strip
    }
}

// --- Hover outline -----------------------------------------------------------------

TEST_F(QinvarDrawing, TheOutlineIsGreenOnAFreeTileRedOnABlockedOneWithinTheFace)
{
    QVTile* t = game.place(4, 4, 0);
    game.m_drawTileOutline(*t, kScreen, true);
    game.m_drawTileOutline(*t, HScreenRect(220, 100, 640, 150), false);
    const std::vector<Draw> all = game.draws();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].slot, QVS_OUTLINE_GREEN);
    EXPECT_RECT(all[0].dst, HScreenRect(203, 126, 236, 174));
    EXPECT_RECT(all[0].src, HScreenRect(0, 0, 33, 48));
    EXPECT_TRUE(all[0].blend);
    EXPECT_EQ(all[1].slot, QVS_OUTLINE_RED);
    EXPECT_RECT(all[1].dst, HScreenRect(220, 126, 236, 150));
    EXPECT_RECT(all[1].src, HScreenRect(17, 0, 33, 24));
}

// --- Numbers -------------------------------------------------------------------------

TEST_F(QinvarDrawing, NumbersRunRightToLeftWithACommaAfterEveryThirdCharacter)
{
    struct Glyph {
        char c;
        int32_t left, top;
    };
    struct Case {
        const char* text;
        int32_t x;
        bool commas;
        std::vector<Glyph> glyphs; // in drawing order
    };
    const Case cases[] = {
        {"144", 610, true, {{'4', 610, 452}, {'4', 598, 452}, {'1', 586, 452}}},
        // After the third character the step is 3/4 of its width plus 1; the
        // comma sits 3 px lower and steps 3/4 of its own width.
        {"1234", 610, true, {{'4', 610, 452}, {'3', 598, 452}, {'2', 586, 452}, {',', 576, 455}, {'1', 567, 452}}},
        {"1234", 610, false, {{'4', 610, 452}, {'3', 598, 452}, {'2', 586, 452}, {'1', 576, 452}}},
        {"03:27", 270, false, {{'7', 270, 452}, {'2', 258, 452}, {':', 246, 452}, {'3', 236, 452}, {'0', 224, 452}}},
        {"100:05",
         270,
         false,
         {{'5', 270, 452}, {'0', 258, 452}, {':', 246, 452}, {'0', 236, 452}, {'0', 224, 452}, {'1', 212, 452}}},
        // A character without a glyph is skipped but still counted and spaced.
        {"1x2", 610, true, {{'2', 610, 452}, {'1', 586, 452}}},
        {"", 610, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.commas ? " with commas" : ""));
        game.clearDraws();
        game.m_drawNumberAtXY(c.text, c.x, 452, c.commas, kScreen);
        const std::vector<Draw> all = game.draws();
        ASSERT_EQ(all.size(), c.glyphs.size());
        for (size_t i = 0; i < all.size(); ++i) {
            const Glyph& g = c.glyphs[i];
            const int slot = g.c == ':' ? QVS_COLON : g.c == ',' ? QVS_COMMA : QVS_DIGIT_0 + (g.c - '0');
            EXPECT_EQ(all[i].slot, slot) << i;
            EXPECT_RECT(all[i].dst, HScreenRect(g.left, g.top, g.left + 12, g.top + 20));
            EXPECT_TRUE(all[i].blend);
        }
    }
}

TEST_F(QinvarDrawing, NumbersAreCutToTheClip)
{
    game.m_drawNumberAtXY("144", 610, 452, true, HScreenRect(600, 452, 640, 462));
    const std::vector<Draw> all = game.draws();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_RECT(all[0].dst, HScreenRect(610, 452, 622, 462));
    EXPECT_RECT(all[0].src, HScreenRect(0, 0, 12, 10));
    EXPECT_RECT(all[1].dst, HScreenRect(600, 452, 610, 462));
    EXPECT_RECT(all[1].src, HScreenRect(2, 0, 12, 10));
}

TEST_F(QinvarDrawing, GlyphsOfDigitsColonAndCommaOnly)
{
    for (char c = '0'; c <= '9'; ++c)
        EXPECT_EQ(game.m_getSpriteForNumber(c)->getSpriteSurface(),
                  game.getSprite(static_cast<QVSprite_t>(QVS_DIGIT_0 + (c - '0')))->getSpriteSurface());
    EXPECT_EQ(game.m_getSpriteForNumber(':'), game.getSprite(QVS_COLON));
    EXPECT_EQ(game.m_getSpriteForNumber(','), game.getSprite(QVS_COMMA));
    for (char c : {' ', '.', '-', 'a', '\0', '/'})
        EXPECT_EQ(game.m_getSpriteForNumber(c), nullptr) << static_cast<int>(c);
}

// --- Information strip ---------------------------------------------------------------

const HScreenRect kStrip(125, 445, 640, 480);

TEST_F(QinvarDrawing, TheStripShowsTilesLeftAvailableMovesAndTheClock)
{
    game.place(4, 4, 0);
    game.m_board.tilesLeft = 144;
    game.m_board.availableMatches = 1234;
    game.m_iGameState = GS_PLAYING;
    game.setGameClock(MvTime::s_fromTime64(1000000));
    game.m_gameStartTime = MvTime::s_fromTime64(1000000 - 207999);
    game.m_drawPuzzleBoard(kScreen, false);
    EXPECT_EQ(game.digitsIn(HScreenRect(574, 445, 640, 480)), "144");
    EXPECT_EQ(game.digitsIn(HScreenRect(380, 445, 470, 480)), "1,234");
    EXPECT_EQ(game.digitsIn(HScreenRect(200, 445, 314, 480)), "03:27");
}

TEST_F(QinvarDrawing, TheClockCountsPlayLessPausesPlusPenalties)
{
    struct Case {
        const char* name;
        int32_t state;
        uint64_t startMs;
        int32_t penalty;
        int32_t finalSeconds;
        bool pause; // a pause of 60 s, still running
        const char* expected;
    };
    const uint64_t now = 10000000;
    const Case cases[] = {
        {"start", GS_PLAYING, now, 0, 0, false, "00:00"},
        {"59.999 s", GS_PLAYING, now - 59999, 0, 0, false, "00:59"},
        {"penalties", GS_PLAYING, now - 1000, 90, 0, false, "01:31"},
        {"past 99 minutes", GS_PLAYING, now - 6005000, 0, 0, false, "100:05"},
        {"pause left out", GS_PLAYING, now - 125000, 0, 0, true, "01:05"},
        {"clock behind the start", GS_PLAYING, now + 5000, 0, 0, false, "00:00"},
        // The final time, whatever the clock says.
        {"won", GS_WON, now - 999000, 30, 6005, false, "100:05"},
        {"no more moves", GS_NO_MORE_MOVES, now - 999000, 30, 75, false, "01:15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintedGame g;
        g.paintAll();
        g.m_iGameState = c.state;
        g.m_gameStartTime = MvTime::s_fromTime64(c.startMs);
        g.m_iPenaltySeconds = c.penalty;
        g.m_gameStats.gameSeconds = c.finalSeconds;
        if (c.pause) {
            g.setGameClock(MvTime::s_fromTime64(now - 60000));
            g.m_beginPause();
        }
        g.setGameClock(MvTime::s_fromTime64(now));
        g.m_drawInfo(kScreen);
        EXPECT_EQ(g.digitsIn(HScreenRect(150, 445, 314, 480)), c.expected);
    }
}

TEST_F(QinvarDrawing, EachCounterIsDrawnOnlyWhereItsAreaIsDirty)
{
    game.m_iGameState = GS_PLAYING;
    game.m_board.tilesLeft = 36;
    game.m_board.availableMatches = 7;
    game.m_gameStartTime = game.getGameClock();
    struct Case {
        HScreenRect clip;
        const char* expected;
    };
    const Case cases[] = {
        {screen::rectOf(geo::kTilesLeftArea), "36"},
        {screen::rectOf(geo::kPairsArea), "7"},
        {screen::rectOf(geo::kClockArea), "00:00"},
        {HScreenRect(0, 0, 200, 440), ""},
        // Left to right: the clock, the moves, the tiles left.
        {kScreen, "00:00736"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(show(c.clip));
        game.clearDraws();
        game.m_drawInfo(c.clip);
        EXPECT_EQ(game.digitsIn(kScreen), c.expected);
    }
}

TEST_F(QinvarDrawing, NoStripOnTheStartScreenUnderADialogOrWhilePaused)
{
    game.m_board.tilesLeft = 144;
    game.m_gameStartTime = game.getGameClock();
    struct Case {
        const char* name;
        int32_t state;
        bool suspended;
        bool underDialog;
        bool strip;
    };
    const Case cases[] = {
        {"start screen", GS_START, false, false, false},
        {"playing", GS_PLAYING, false, false, true},
        {"playing under a dialog", GS_PLAYING, false, true, false},
        {"playing, suspended", GS_PLAYING, true, false, false},
        {"won", GS_WON, false, false, true},
        {"won under a dialog", GS_WON, false, true, false},
        {"no more moves", GS_NO_MORE_MOVES, false, false, true},
        {"no more moves, suspended", GS_NO_MORE_MOVES, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        game.clearDraws();
        game.m_iGameState = c.state;
        game.m_bSuspended = c.suspended;
        game.m_drawPuzzleBoard(kScreen, c.underDialog);
        EXPECT_EQ(game.digitsIn(kStrip).empty(), !c.strip) << game.digitsIn(kStrip);
    }
}

// --- No-match message ----------------------------------------------------------------

TEST_F(QinvarDrawing, TheNoMatchMessageHoldsThenFadesAndIsGoneAt3000Ms)
{
    struct Case {
        int64_t d; // game clock less the no-match time
        bool drawn;
        uint16_t pixel; // white message over black
    };
    // Fading: 1 - (d - 1500) / 1500, as 255ths, then 31 x c / 255.
    const Case cases[] = {
        {-1, false, 0},
        {0, true, kWhite},
        {1499, true, kWhite},
        {1500, true, kWhite},
        {2250, true, rgb565(15, 31, 15)},
        {2999, true, 0},
        {3000, false, 0},
        {9000, false, 0},
    };
    const uint64_t base = 500000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.d);
        game.m_screen.fill(0);
        game.clearDraws();
        game.m_noMatchTime = MvTime::s_fromTime64(base);
        game.setGameClock(MvTime::s_fromTime64(base + c.d));
        game.m_drawNoMatch(kScreen);
        const std::vector<Draw> all = game.drawsOf(QVS_NO_MATCH);
        ASSERT_EQ(all.size(), c.drawn ? 1u : 0u);
        if (c.drawn) {
            EXPECT_RECT(all[0].dst, game.m_noMatchArea);
            EXPECT_TRUE(all[0].blend);
        }
        EXPECT_EQ(game.m_screen.pixel(300, 190), c.pixel);
    }
    // No time, no message.
    game.clearDraws();
    game.m_noMatchTime = MvTime{0, 0};
    game.m_drawNoMatch(kScreen);
    EXPECT_TRUE(game.draws().empty());
}

TEST_F(QinvarDrawing, TheNoMatchMessageWaitsWhileTheGameIsPaused)
{
    game.m_iGameState = GS_PLAYING;
    game.m_gameStartTime = game.getGameClock();
    game.m_noMatchTime = game.getGameClock();
    game.m_drawInfo(kScreen);
    EXPECT_EQ(game.drawsOf(QVS_NO_MATCH).size(), 1u);
    game.clearDraws();
    game.m_beginPause();
    game.m_drawInfo(kScreen);
    EXPECT_TRUE(game.drawsOf(QVS_NO_MATCH).empty());
    EXPECT_FALSE(game.digitsIn(kStrip).empty()) << "the counters are still drawn";
    game.m_endPause();
}

TEST_F(QinvarDrawing, AMessageIsCutToTheClipAndNotDrawnAtNoAlpha)
{
    const HScreenRect where(232, 160, 532, 220);
    game.m_drawMessage(HScreenRect(500, 200, 640, 480), where, game.getSprite(QVS_NO_MATCH), 1.0f);
    game.m_drawMessage(HScreenRect(0, 0, 100, 100), where, game.getSprite(QVS_NO_MATCH), 1.0f);
    game.m_drawMessage(kScreen, where, game.getSprite(QVS_NO_MATCH), 0.0f);
    game.m_drawMessage(kScreen, where, game.getSprite(QVS_NO_MATCH), -0.5f);
    game.m_drawMessage(kScreen, where, nullptr, 1.0f);
    const std::vector<Draw> all = game.draws();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_RECT(all[0].dst, HScreenRect(500, 200, 532, 220));
    EXPECT_RECT(all[0].src, HScreenRect(268, 40, 300, 60));
}

// --- The picture of each state ---------------------------------------------------------

TEST_F(QinvarDrawing, TheStartScreenShowsThePicksCentredInTheBoardArea)
{
    game.m_options.background = 3; // preview 231 wide
    game.m_options.tileSet = 8;    // 208 wide
    game.m_options.layout = 17;    // preview 294, title 167 wide
    game.m_drawPuzzleBoard(kScreen, false);
    const std::vector<Draw> all = game.draws();
    ASSERT_EQ(all.size(), 6u);
    const struct {
        int slot;
        HScreenRect dst;
    } expected[] = {
        {QVS_START_SCREEN, {120, 0, 640, 480}},
        {QVS_TABLE_TOP_PREVIEW + 3, {268, 39, 499, 149}},
        {QVS_TILE_SET_PREVIEW + 8, {278, 53, 486, 133}},
        {QVS_LAYOUT_PREVIEW + 17, {236, 203, 530, 403}},
        {QVS_LAYOUT_TITLE + 17, {300, 160, 467, 180}},
        {QVS_LEFT_PANEL, {0, 0, 125, 480}},
    };
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[i].slot, expected[i].slot);
        EXPECT_RECT(all[i].dst, expected[i].dst);
        EXPECT_FALSE(all[i].blend);
    }
}

TEST_F(QinvarDrawing, EachStateDrawsItsPictureUnderTheLeftPanel)
{
    game.place(4, 4, 0);
    game.m_gameStartTime = game.getGameClock();
    struct Case {
        const char* name;
        int32_t state;
        bool suspended;
        std::vector<int> slots; // in drawing order, the strip left out
    };
    const Case cases[] = {
        {"playing", GS_PLAYING, false, {QVS_TABLE_TOP, QVS_TILE_SET, QVS_SHADOW_TOP, QVS_SHADOW_RIGHT, QVS_LEFT_PANEL}},
        {"won", GS_WON, false, {QVS_TABLE_TOP, QVS_BOARD_COMPLETE, QVS_LEFT_PANEL}},
        {"no more moves", GS_NO_MORE_MOVES, false, {QVS_TABLE_TOP, QVS_GAME_OVER, QVS_LEFT_PANEL}},
        {"paused while playing", GS_PLAYING, true, {QVS_PAUSE_SCREEN, QVS_LEFT_PANEL}},
        {"paused on the start screen", GS_START, true, {QVS_PAUSE_SCREEN, QVS_LEFT_PANEL}},
        {"quitting", GS_QUITTING, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        game.clearDraws();
        game.m_iGameState = c.state;
        game.m_bSuspended = c.suspended;
        game.m_drawPuzzleBoard(kScreen, false);
        std::vector<int> slots;
        for (const Draw& d : game.draws()) {
            if (!kStrip.containsRect(d.dst) || d.slot < QVS_DIGIT_0 || d.slot > QVS_COMMA)
                slots.push_back(d.slot);
        }
        EXPECT_EQ(slots, c.slots);
    }
    game.m_bSuspended = false;
}

TEST_F(QinvarDrawing, PicturesAreCutToTheClip)
{
    game.place(4, 4, 0);
    struct Case {
        const char* name;
        int32_t state;
        bool suspended;
        int slot;
        HScreenRect clip;
        HScreenRect dst, src;
    };
    const Case cases[] = {
        // The pause picture: the clip held to (125, 0, 640, 480).
        {"pause", GS_PLAYING, true, QVS_PAUSE_SCREEN, {100, 10, 300, 40}, {125, 10, 300, 40}, {0, 10, 175, 40}},
        {"table top", GS_PLAYING, false, QVS_TABLE_TOP, {300, 10, 320, 40}, {300, 10, 320, 40}, {180, 10, 200, 40}},
        {"end picture", GS_WON, false, QVS_BOARD_COMPLETE, {600, 470, 700, 490}, {600, 470, 640, 480},
         {475, 470, 515, 480}},
        {"start screen", GS_START, false, QVS_START_SCREEN, {130, 5, 131, 6}, {130, 5, 131, 6}, {10, 5, 11, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        game.clearDraws();
        game.m_iGameState = c.state;
        game.m_bSuspended = c.suspended;
        game.m_drawPuzzleBoard(c.clip, true);
        const std::vector<Draw> pictures = game.drawsOf(c.slot);
        ASSERT_EQ(pictures.size(), 1u);
        EXPECT_RECT(pictures[0].dst, c.dst);
        EXPECT_RECT(pictures[0].src, c.src);
    }
    game.m_bSuspended = false;
}

TEST_F(QinvarDrawing, ARectangleInTheLeftPanelRedrawsOnlyThePanel)
{
    game.place(0, 0, 0);
    game.m_gameStartTime = game.getGameClock();
    for (int32_t state : {GS_START, GS_PLAYING, GS_WON, GS_NO_MORE_MOVES}) {
        SCOPED_TRACE(state);
        game.clearDraws();
        game.m_iGameState = state;
        for (const HScreenRect& clip : {HScreenRect(0, 0, 100, 440), HScreenRect(0, 0, 124, 480)}) {
            game.clearDraws();
            game.m_drawPuzzleBoard(clip, false);
            const std::vector<Draw> all = game.draws();
            ASSERT_EQ(all.size(), 1u);
            EXPECT_EQ(all[0].slot, QVS_LEFT_PANEL);
            EXPECT_RECT(all[0].dst, clip);
        }
    }
}

TEST_F(QinvarDrawing, TheBoardIsDrawnThroughTheBoardsWalkWithTheGameState)
{
    QVTile* a = game.place(4, 4, 0, 1);
    QVTile* b = game.place(8, 4, 0, 2);
    QVTile* c = game.place(12, 4, 0, 3);
    game.m_iGameState = GS_PLAYING;
    game.m_gameStartTime = game.getGameClock();
    game.m_board.selectedTile = a;
    a->selected = true;
    game.m_apHintTiles[0] = b;
    game.m_hintTime = game.getGameClock();
    game.m_fShowMovesLevel = 0.5f;
    game.m_board.hoverTile = c;
    game.m_drawPuzzleBoard(kScreen, false);
    // a: plain, then added onto itself; b: plain, then the glow; c: plain,
    // then the highlight; then c's outline.
    std::vector<bool> tileBlends;
    for (const Draw& d : game.drawsOf(QVS_TILE_SET))
        tileBlends.push_back(d.blend);
    EXPECT_EQ(tileBlends, (std::vector<bool>{false, true, false, true, false, true}));
    EXPECT_EQ(game.drawsOf(QVS_OUTLINE_GREEN).size(), 1u);
    EXPECT_TRUE(game.drawsOf(QVS_OUTLINE_RED).empty());
}

// --- Start-screen pickers --------------------------------------------------------------

TEST_F(QinvarDrawing, PickersWrapAroundAndInvalidateTheScreen)
{
    struct Case {
        const char* name;
        void (Qinvar::*adjust)(int32_t);
        int32_t QVOptions::*value;
        int32_t from, delta, expected;
    };
    const Case cases[] = {
        {"layout back from the first", &Qinvar::adjustLayoutPreview, &QVOptions::layout, 0, -1, 17},
        {"layout on from the last", &Qinvar::adjustLayoutPreview, &QVOptions::layout, 17, 1, 0},
        {"layout on", &Qinvar::adjustLayoutPreview, &QVOptions::layout, 4, 1, 5},
        {"tile set on from the last", &Qinvar::adjustTileSetPreview, &QVOptions::tileSet, 8, 1, 0},
        {"tile set back from the first", &Qinvar::adjustTileSetPreview, &QVOptions::tileSet, 0, -1, 8},
        {"table top 12 into range", &Qinvar::adjustBackgroundPreview, &QVOptions::background, 12, 0, 0},
        {"table top -3 into range", &Qinvar::adjustBackgroundPreview, &QVOptions::background, -3, 0, 9},
        {"table top in range stays", &Qinvar::adjustBackgroundPreview, &QVOptions::background, 6, 0, 6},
        {"table top back from the first", &Qinvar::adjustBackgroundPreview, &QVOptions::background, 0, -1, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        game.getDirtyList()->clearDirtyList();
        game.m_options.*c.value = c.from;
        (game.*c.adjust)(c.delta);
        EXPECT_EQ(game.m_options.*c.value, c.expected);
        EXPECT_EQ(game.getDirtyList()->getDirtyRectTotalArea(), 640 * 480);
    }
}

// --- Current images ----------------------------------------------------------------------

TEST_F(QinvarDrawing, TheChosenTileSetAndTableTopAreLoadedOnceAndReloadedOnAChange)
{
    MemoryFileSystem files;
    for (const char* name : Qinvar::s_akpTileSets)
        DialogTestGame::s_addArt(&files, name, 507, 220);
    const Bytes table = ImageFixtures::jpeg(520, 480, ImageFixtures::fill(520, 480, Bytes{40, 90, 60}), 2);
    for (const char* name : Qinvar::s_akpBackgrounds)
        files.add(name, table);
    game.m_pReadFileSystem = &files;
    // The painted images go first: the game has loaded none of its own yet.
    while (game.m_aSprites[QVS_TILE_SET].isSpriteValid())
        game.m_aSprites[QVS_TILE_SET].unloadSprite();
    while (game.m_aSprites[QVS_TABLE_TOP].isSpriteValid())
        game.m_aSprites[QVS_TABLE_TOP].unloadSprite();
    EXPECT_EQ(game.m_iLoadedTileSet, -1);
    EXPECT_EQ(game.m_iLoadedBackground, -1);

    game.m_options.tileSet = 2;
    game.m_options.background = 0;
    game.m_loadTileSet();
    game.m_loadBackground();
    EXPECT_STREQ(game.getSprite(QVS_TILE_SET)->getSpriteName(), "art/tileset_tovani.tga");
    EXPECT_STREQ(game.getSprite(QVS_TABLE_TOP)->getSpriteName(), "art/arena10_qz.jpg");
    EXPECT_EQ(game.m_iLoadedTileSet, 2);
    EXPECT_EQ(game.m_iLoadedBackground, 0);

    // The same choice: nothing is read again.
    const int opens = files.totalOpens();
    const int32_t made = game.m_screen.surfacesMade();
    game.m_loadTileSet();
    game.m_loadBackground();
    EXPECT_EQ(files.totalOpens(), opens);
    EXPECT_EQ(game.m_screen.surfacesMade(), made);

    // A new choice: the old image goes, the new one comes.
    const int32_t destroyed = game.m_screen.surfacesDestroyed();
    game.m_options.tileSet = 8;
    game.m_loadTileSet();
    EXPECT_STREQ(game.getSprite(QVS_TILE_SET)->getSpriteName(), "art/tileset_8.tga");
    EXPECT_EQ(game.m_iLoadedTileSet, 8);
    EXPECT_EQ(game.m_screen.surfacesDestroyed(), destroyed + 1);
    EXPECT_EQ(game.m_screen.surfacesMade(), made + 1);

    // An image that cannot be read leaves the slot empty; drawing goes on
    // without tiles.
    files.add("art/arena5_qz.jpg", std::string("not an image"));
    game.m_options.background = 5;
    game.m_loadBackground();
    EXPECT_FALSE(game.m_aSprites[QVS_TABLE_TOP].isSpriteValid());
    EXPECT_EQ(game.m_iLoadedBackground, 5);
    // A choice out of range loads nothing.
    game.m_options.tileSet = 9;
    game.m_loadTileSet();
    EXPECT_EQ(game.m_iLoadedTileSet, -1);
    game.place(4, 4, 0);
    game.m_iGameState = GS_PLAYING;
    game.m_gameStartTime = game.getGameClock();
    game.clearDraws();
    game.m_drawPuzzleBoard(kScreen, false);
    EXPECT_TRUE(game.drawsOf(QVS_TILE_SET).empty());
    EXPECT_TRUE(game.drawsOf(QVS_TABLE_TOP).empty());
    EXPECT_FALSE(game.drawsOf(QVS_SHADOW_TOP).empty());
    game.m_pReadFileSystem = nullptr;
}

} // namespace
