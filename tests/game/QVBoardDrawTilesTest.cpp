// The board's drawing walk, seen through a painter that records what it is
// asked to draw: the order, the clip test, the selected tile, the hint glow,
// the free-tile highlight, the fading of removed tiles and the hover outline.
#include "game/QVBoard.h"
#include "game/QVTilePainter.h"
#include "tests/support/DealtBoard.h"
#include "tests/support/TestLayout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct PaintCall {
    const QVTile* tile;
    bool outline;
    float shadow, alpha, tint; // m_drawTile
    bool free;                 // m_drawTileOutline
};

class RecordingPainter : public QVTilePainter {
public:
    void m_drawTile(const QVTile& tile, const HScreenRect& clip, float shadow, float alpha, float tint) override
    {
        calls.push_back(PaintCall{&tile, false, shadow, alpha, tint, false});
        clips.push_back(clip);
    }
    void m_drawTileOutline(const QVTile& tile, const HScreenRect& clip, bool free) override
    {
        calls.push_back(PaintCall{&tile, true, 0.0f, 0.0f, 0.0f, free});
        clips.push_back(clip);
    }
    std::vector<PaintCall> of(const QVTile* tile) const
    {
        std::vector<PaintCall> out;
        for (const PaintCall& c : calls) {
            if (c.tile == tile)
                out.push_back(c);
        }
        return out;
    }

    std::vector<PaintCall> calls;
    std::vector<HScreenRect> clips;
};

const HScreenRect kScreen(0, 0, 640, 480);
const MvTime kNow = MvTime::s_fromTime64(200000);

// A board whose tiles are placed by hand, drawn in the board's own order.
class HandBoard {
public:
    QVTile* place(int32_t x, int32_t y, int32_t z) { return TestLayout::placeTile(board, m_iNext++, x, y, z, 0); }

    QVBoard board;

private:
    int m_iNext = 0;
};

class QVBoardDrawTiles : public testing::Test {
protected:
    void SetUp() override
    {
        m_oldTop = QVTile::sm_iTopShadowHeight;
        m_oldRight = QVTile::sm_iRightShadowWidth;
        QVTile::s_setShadowSizes(6, 6);
    }
    void TearDown() override { QVTile::s_setShadowSizes(m_oldTop, m_oldRight); }

    void draw(const QVBoard& board, const HScreenRect& clip = kScreen, const QVTile* hint = nullptr,
              float pulse = 1.0f, float showMoves = 0.0f)
    {
        board.drawTiles(painter, kNow, clip, nullptr, nullptr, hint, nullptr, pulse, showMoves);
    }

    RecordingPainter painter;

private:
    int32_t m_oldTop = 0;
    int32_t m_oldRight = 0;
};

TEST_F(QVBoardDrawTiles, EveryPresentTileOnceInDrawOrderWithItsShadows)
{
    DealtBoard dealt;
    ASSERT_TRUE(dealt.deal(77));
    QVTile* gone = dealt.board.drawOrder[10];
    gone->present = false; // taken long ago: removedAt is 0
    draw(dealt.board);
    ASSERT_EQ(painter.calls.size(), 143u);
    size_t k = 0;
    for (const QVTile* t : dealt.board.drawOrder) {
        if (t == gone)
            continue;
        SCOPED_TRACE(k);
        EXPECT_EQ(painter.calls[k].tile, t);
        EXPECT_FALSE(painter.calls[k].outline);
        EXPECT_EQ(painter.calls[k].shadow, 1.0f);
        EXPECT_EQ(painter.calls[k].alpha, 1.0f);
        EXPECT_EQ(painter.calls[k].tint, 0.0f);
        EXPECT_TRUE(painter.clips[k].left == 0 && painter.clips[k].right == 640 && painter.clips[k].bottom == 480);
        ++k;
    }
}

TEST_F(QVBoardDrawTiles, OnlyTilesWhoseRectangleWithShadowsMeetsTheClip)
{
    DealtBoard dealt;
    ASSERT_TRUE(dealt.deal(5));
    const HScreenRect clips[] = {
        HScreenRect(0, 0, 125, 480),    // the left panel
        HScreenRect(300, 200, 310, 210), // a few tiles
        HScreenRect(131, 24, 170, 85),   // the first corner
        HScreenRect(574, 450, 640, 480), // a counter
        kScreen,
    };
    for (const HScreenRect& clip : clips) {
        SCOPED_TRACE(std::to_string(clip.left) + "," + std::to_string(clip.top));
        painter.calls.clear();
        dealt.board.hoverTile = dealt.board.drawOrder[143];
        draw(dealt.board, clip, nullptr, 1.0f, 0.5f);
        size_t meeting = 0;
        for (const QVTile* t : dealt.board.drawOrder) {
            HScreenRect r;
            t->getTileRectWithShadows(&r);
            const bool meets = r.intersectsRect(clip);
            meeting += meets ? 1 : 0;
            EXPECT_EQ(painter.of(t).empty(), !meets);
        }
        if (clip.right == 125) {
            EXPECT_EQ(meeting, 0u);
        }
    }
}

// The calls for one subject tile by its role.
struct RoleCase {
    const char* name;
    bool blocked;  // a neighbour on each side
    bool selected;
    bool hint;
    float showMoves;
    std::vector<PaintCall> expected; // tile left out
};

void PrintTo(const RoleCase& c, std::ostream* os)
{
    *os << c.name;
}

class QVBoardDrawTilesRoles : public QVBoardDrawTiles, public testing::WithParamInterface<RoleCase> {};

TEST_P(QVBoardDrawTilesRoles, EachRoleHasItsPasses)
{
    const RoleCase& c = GetParam();
    HandBoard h;
    QVTile* subject = h.place(10, 4, 0);
    if (c.blocked) {
        h.place(8, 4, 0);
        h.place(12, 4, 0);
    }
    if (c.selected) {
        subject->selected = true;
        h.board.selectedTile = subject;
    }
    draw(h.board, kScreen, c.hint ? subject : nullptr, 0.25f, c.showMoves);
    const std::vector<PaintCall> calls = painter.of(subject);
    ASSERT_EQ(calls.size(), c.expected.size());
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(calls[i].outline);
        EXPECT_EQ(calls[i].shadow, c.expected[i].shadow);
        EXPECT_EQ(calls[i].alpha, c.expected[i].alpha);
        EXPECT_EQ(calls[i].tint, c.expected[i].tint);
    }
}

PaintCall pass(float shadow, float alpha, float tint)
{
    return PaintCall{nullptr, false, shadow, alpha, tint, false};
}

INSTANTIATE_TEST_SUITE_P(
    Roles, QVBoardDrawTilesRoles,
    testing::Values(RoleCase{"plain_free", false, false, false, 0.0f, {pass(1, 1, 0)}},
                    RoleCase{"free_highlighted", false, false, false, 0.5f, {pass(1, 1, 0), pass(0, 1, 0.5f)}},
                    RoleCase{"blocked_not_highlighted", true, false, false, 0.5f, {pass(1, 1, 0)}},
                    // The selection adds the tile onto itself.
                    RoleCase{"selected", false, true, false, 0.0f, {pass(0, 1, 0), pass(1, 1, 1)}},
                    // Neither a glow nor the highlight on a selected tile.
                    RoleCase{"selected_hint_highlighted", false, true, true, 0.5f, {pass(0, 1, 0), pass(1, 1, 1)}},
                    // The glow follows the pulse; no highlight on a hint tile.
                    RoleCase{"hint", false, false, true, 0.0f, {pass(0, 1, 0), pass(1, 0.25f, 1)}},
                    RoleCase{"hint_highlighted", false, false, true, 0.5f, {pass(0, 1, 0), pass(1, 0.25f, 1)}},
                    RoleCase{"blocked_hint", true, false, true, 0.5f, {pass(0, 1, 0), pass(1, 0.25f, 1)}}),
    [](const testing::TestParamInfo<RoleCase>& info) { return std::string(info.param.name); });

TEST_F(QVBoardDrawTiles, AnyOfTheFourHintTilesGlows)
{
    HandBoard h;
    QVTile* t[5];
    for (int i = 0; i < 5; ++i)
        t[i] = h.place(4 * i, 4, 0);
    h.board.drawTiles(painter, kNow, kScreen, t[0], t[1], t[2], t[3], 0.75f, 0.0f);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const std::vector<PaintCall> calls = painter.of(t[i]);
        ASSERT_EQ(calls.size(), i < 4 ? 2u : 1u);
        EXPECT_EQ(calls.back().alpha, i < 4 ? 0.75f : 1.0f);
    }
}

TEST_F(QVBoardDrawTiles, RemovedTilesFadeForHalfASecond)
{
    struct Case {
        int64_t ago; // game time since the removal
        bool drawn;
        float f; // shadow and alpha; the tint is 1 - f
    };
    const Case cases[] = {
        {0, true, 1.0f},      {250, true, 0.5f},     {400, true, 0.2f}, {499, true, 0.002f},
        {500, false, 0.0f},   {5000, false, 0.0f},
        // A clock behind the removal counts as just removed.
        {-30, true, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ago);
        HandBoard h;
        QVTile* a = h.place(4, 4, 0);
        QVTile* b = h.place(8, 4, 0);
        h.board.removeTiles(a, b, MvTime::s_fromTime64(kNow.getTime64() - c.ago));
        // The pointer still rests on a removed tile: it gets no outline.
        h.board.hoverTile = a;
        painter.calls.clear();
        draw(h.board);
        ASSERT_EQ(painter.calls.size(), c.drawn ? 2u : 0u);
        for (const PaintCall& call : painter.calls) {
            EXPECT_FALSE(call.outline);
            EXPECT_NEAR(call.shadow, c.f, 1e-6);
            EXPECT_NEAR(call.alpha, c.f, 1e-6);
            EXPECT_NEAR(call.tint, 1.0f - c.f, 1e-6);
        }
    }
    // A removed tile whose fade was ended (removedAt 0) is not drawn.
    HandBoard h;
    QVTile* a = h.place(4, 4, 0);
    a->present = false;
    painter.calls.clear();
    draw(h.board);
    EXPECT_TRUE(painter.calls.empty());
}

TEST_F(QVBoardDrawTiles, TheHoverTileGetsItsOutlineAfterItsPasses)
{
    struct Case {
        const char* name;
        bool blocked;
        bool selected;
    };
    const Case cases[] = {{"free", false, false}, {"blocked", true, false}, {"selected", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HandBoard h;
        QVTile* subject = h.place(10, 4, 0);
        QVTile* other = h.place(0, 4, 0); // drawn after the subject
        if (c.blocked) {
            h.place(8, 4, 0);
            h.place(12, 4, 0);
        }
        subject->selected = c.selected;
        h.board.hoverTile = subject;
        painter.calls.clear();
        draw(h.board, kScreen, nullptr, 1.0f, 0.5f);
        const std::vector<PaintCall> calls = painter.of(subject);
        ASSERT_GE(calls.size(), 2u);
        EXPECT_TRUE(calls.back().outline);
        EXPECT_EQ(calls.back().free, !c.blocked);
        for (size_t i = 0; i + 1 < calls.size(); ++i)
            EXPECT_FALSE(calls[i].outline);
        for (const PaintCall& call : painter.of(other))
            EXPECT_FALSE(call.outline);
        // The outline comes before the tiles drawn after the hover tile,
        // which cover it where they overlap.
        size_t outline = painter.calls.size();
        size_t firstOther = painter.calls.size();
        for (size_t i = 0; i < painter.calls.size(); ++i) {
            if (painter.calls[i].outline)
                outline = i;
            if (painter.calls[i].tile == other && firstOther == painter.calls.size())
                firstOther = i;
        }
        EXPECT_LT(outline, firstOther);
    }
}

TEST_F(QVBoardDrawTiles, AnEmptyBoardDrawsNothing)
{
    QVBoard board;
    draw(board, kScreen, nullptr, 1.0f, 1.0f);
    EXPECT_TRUE(painter.calls.empty());
}

} // namespace
