// Reading layouts: one line at a time, whole files through the directory file
// system, and how the deal copes with a layout it cannot read.
#include "game/QVBoard.h"

#include "tests/support/DealtBoard.h"
#include "tests/support/TestLayout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool samePosition(const TilePosition& a, const TilePosition& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

std::string describe(const TilePosition& p)
{
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + "," + std::to_string(p.z) + ")";
}

// --- One line ---------------------------------------------------------------

struct LineCase {
    const char* name;
    const char* text;
    TilePosition expected; // the work record starts as (1, 2, 3)
    int consumed;          // where the next call continues
};

class ReadLayoutLine : public testing::TestWithParam<LineCase> {};

TEST_P(ReadLayoutLine, FillsWhatTheLineGivesAndContinuesAfterIt)
{
    const LineCase& c = GetParam();
    std::vector<char> text(c.text, c.text + std::strlen(c.text) + 1);
    TilePosition work = {1, 2, 3};
    char* next = QVBoard::readLayoutFromBuffer(text.data(), &work);
    EXPECT_TRUE(samePosition(work, c.expected)) << describe(work);
    EXPECT_EQ(next - text.data(), c.consumed);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadLayoutLine,
    testing::Values(LineCase{"Plain", "4,6,1\n5,5,5\n", {4, 6, 1}, 6},
                    LineCase{"LeadingBlanks", "  4,6,1\n", {4, 6, 1}, 8},
                    LineCase{"BlankAfterComma", "4, 6,1\n", {4, 6, 1}, 7},
                    LineCase{"BlankBeforeCommaReadsOnlyX", "4 ,6,1\n", {4, 2, 3}, 7},
                    LineCase{"TwoFieldsKeepZ", "4,6\n", {4, 6, 3}, 4},
                    LineCase{"NoNumberKeepsAll", "x,6,1\n", {1, 2, 3}, 6},
                    LineCase{"SignsAndTrailingText", "-3,+2,0 the rest is ignored\n7,7,7", {-3, 2, 0}, 28},
                    LineCase{"CarriageReturn", "4,6,1\r\n5,5,5", {4, 6, 1}, 7},
                    LineCase{"NoFinalLineFeed", "4,6,1", {4, 6, 1}, 5},
                    LineCase{"NeverReadsIntoTheNextLine", "4,\n6,1\n", {4, 2, 3}, 3},
                    LineCase{"HugeNumberSaturates", "99999999999,0,0\n", {INT32_MAX, 0, 0}, 16},
                    // An empty line is not passed: every later call stops there.
                    LineCase{"EmptyLine", "\n4,6,1\n", {1, 2, 3}, 0},
                    LineCase{"BlankLine", "   \n4,6,1\n", {1, 2, 3}, 3},
                    LineCase{"EmptyLineWithCarriageReturn", "\r\n4,6,1\n", {1, 2, 3}, 0},
                    LineCase{"EndOfText", "", {1, 2, 3}, 0}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// --- Whole files ------------------------------------------------------------

class LoadBoard : public testing::Test {
protected:
    static constexpr TilePosition kUntouched = {-7, -7, -7};

    LoadBoard() { fill(kUntouched); }

    void fill(const TilePosition& p)
    {
        for (TilePosition& o : out)
            o = p;
    }

    bool load(const std::string& text)
    {
        t.writeLayout("layouts/test.qvl", text);
        return t.board.loadBoard("layouts/test.qvl", out, static_cast<int>(sizeof(out)));
    }

    bool allUntouched() const
    {
        for (const TilePosition& o : out) {
            if (!samePosition(o, kUntouched))
                return false;
        }
        return true;
    }

    DealtBoard t;
    TilePosition out[QVBoard::kTileCount];
};

TEST_F(LoadBoard, ReadsEveryLineIntoItsSlot)
{
    ASSERT_TRUE(load(TestLayout::text(t.pyramid)));
    for (int i = 0; i < QVBoard::kTileCount; ++i)
        EXPECT_TRUE(samePosition(out[i], t.pyramid[i])) << i << " " << describe(out[i]);
}

TEST_F(LoadBoard, CarriageReturnLineFeedEndingsReadTheSame)
{
    ASSERT_TRUE(load(TestLayout::text(t.pyramid, "\r\n")));
    for (int i = 0; i < QVBoard::kTileCount; ++i)
        EXPECT_TRUE(samePosition(out[i], t.pyramid[i])) << i << " " << describe(out[i]);
}

TEST_F(LoadBoard, AcceptsAtMost8192Bytes)
{
    struct SizeCase {
        size_t bytes;
        bool accepted;
    };
    const SizeCase cases[] = {{8191, true}, {8192, true}, {8193, false}, {20000, false}};
    for (const SizeCase& c : cases) {
        // The last line is padded with blanks after its third number.
        std::string text = TestLayout::text(t.pyramid);
        text.pop_back();
        text += std::string(c.bytes - text.size() - 1, ' ') + "\n";
        ASSERT_EQ(text.size(), c.bytes);
        fill(kUntouched);
        EXPECT_EQ(load(text), c.accepted) << c.bytes;
        if (c.accepted)
            EXPECT_TRUE(samePosition(out[143], t.pyramid[143])) << c.bytes;
        else
            EXPECT_TRUE(allUntouched()) << c.bytes;
    }
}

TEST_F(LoadBoard, AnEmptyLineRepeatsThePositionBeforeItForEveryLaterSlot)
{
    struct EndCase {
        const char* name;
        const char* lineEnd;
        const char* emptyLine;
    };
    const EndCase cases[] = {{"empty line", "\n", "\n"},
                             {"blank line", "\n", "    \n"},
                             {"CR LF empty line", "\r\n", "\r\n"}};
    for (const EndCase& c : cases) {
        std::vector<TilePosition> head(t.pyramid.begin(), t.pyramid.begin() + 100);
        std::vector<TilePosition> tail(t.pyramid.begin() + 100, t.pyramid.end());
        // Lines after the empty one are never reached.
        ASSERT_TRUE(load(TestLayout::text(head, c.lineEnd) + c.emptyLine + TestLayout::text(tail, c.lineEnd)))
            << c.name;
        for (int i = 0; i < 100; ++i)
            ASSERT_TRUE(samePosition(out[i], t.pyramid[i])) << c.name << " " << i;
        for (int i = 100; i < QVBoard::kTileCount; ++i)
            ASSERT_TRUE(samePosition(out[i], t.pyramid[99])) << c.name << " " << i << " " << describe(out[i]);
    }
}

TEST_F(LoadBoard, AShortFileRepeatsItsLastPosition)
{
    ASSERT_TRUE(load("0,0,0\n2,0,0\n4,6,1"));
    EXPECT_TRUE(samePosition(out[1], TilePosition{2, 0, 0}));
    for (int i = 2; i < QVBoard::kTileCount; ++i)
        ASSERT_TRUE(samePosition(out[i], TilePosition{4, 6, 1})) << i;
}

TEST_F(LoadBoard, AMalformedLineKeepsTheFieldsItDidNotFill)
{
    ASSERT_TRUE(load("2,4,1\n  8 ,9,9\n6,x,2\n10,12,3\n"));
    EXPECT_TRUE(samePosition(out[1], TilePosition{8, 4, 1})) << describe(out[1]);
    EXPECT_TRUE(samePosition(out[2], TilePosition{6, 4, 1})) << describe(out[2]);
    EXPECT_TRUE(samePosition(out[3], TilePosition{10, 12, 3}));
}

TEST_F(LoadBoard, ReadsOnlyAsManyEntriesAsTheBytesHold)
{
    // 40 bytes hold three 12-byte entries.
    t.writeLayout("layouts/test.qvl", TestLayout::text(t.pyramid));
    ASSERT_TRUE(t.board.loadBoard("layouts/test.qvl", out, 40));
    EXPECT_TRUE(samePosition(out[2], t.pyramid[2]));
    EXPECT_TRUE(samePosition(out[3], kUntouched));
}

TEST_F(LoadBoard, RefusesWhatItCannotReadAndLeavesTheOutputAlone)
{
    struct RefusedCase {
        const char* name;
        const char* text;
    };
    const RefusedCase cases[] = {
        {"empty file", ""},
        {"first line empty", "\n4,6,1\n"},
        {"first line of blanks", "   \n4,6,1\n"},
        {"first line without a number", "tiles\n4,6,1\n"},
        {"first line of two numbers", "4,6\n4,6,1\n"},
        {"coordinate off the board", "0,0,0\n1025,0,0\n"},
        {"negative coordinate off the board", "0,0,0\n0,0,-1025\n"},
        {"overflowing number", "0,99999999999,0\n"},
    };
    for (const RefusedCase& c : cases) {
        fill(kUntouched);
        EXPECT_FALSE(load(c.text)) << c.name;
        EXPECT_TRUE(allUntouched()) << c.name;
    }
    EXPECT_FALSE(t.board.loadBoard("layouts/missing.qvl", out, static_cast<int>(sizeof(out))));
    EXPECT_TRUE(allUntouched());
    EXPECT_TRUE(load("-1024,1024,0\n")) << "the largest coordinates are read";
}

TEST_F(LoadBoard, NeedsAFileSystem)
{
    QVBoard board;
    EXPECT_FALSE(board.loadBoard("layouts/pyramid.qvl", out, static_cast<int>(sizeof(out))));
    EXPECT_TRUE(allUntouched());
}

// --- The deal on a layout it cannot read --------------------------------------

TEST(NewBoardOnAnUnreadableLayout, DealsNothingAndLeavesTheBoardAsItWas)
{
    const char* const cases[] = {"missing", "no first triple", "too long", "out of range"};
    for (const char* name : cases) {
        DealtBoard t;
        t.writeLayout("layouts/no first triple", "tiles\n2,0,0\n");
        t.writeLayout("layouts/too long", std::string(8193, ' '));
        t.writeLayout("layouts/out of range", "2,0,0\n2,2,99999999\n");
        // A readable deal first, with a pair taken and a tile selected.
        ASSERT_TRUE(t.deal(7));
        QVTile* first = nullptr;
        QVTile* second = nullptr;
        ASSERT_TRUE(t.board.matchExists(&first, &second, 0));
        t.board.removeTiles(first, second, MvTime{100, 0});
        ASSERT_TRUE(t.board.matchExists(&first, &second, 0));
        t.board.selectedTile = first;
        first->selected = true;
        const std::vector<QVTile> tiles(std::begin(t.board.tiles), std::end(t.board.tiles));
        const std::vector<QVTile*> order(std::begin(t.board.drawOrder), std::end(t.board.drawOrder));
        const int undoTop = t.board.undoTop;

        EXPECT_FALSE(t.deal(7, std::string("layouts/") + name)) << name;
        EXPECT_EQ(t.board.tilesLeft, QVBoard::kTileCount - 2) << name;
        EXPECT_EQ(t.board.undoTop, undoTop) << name;
        EXPECT_EQ(t.board.selectedTile, first) << name;
        for (int i = 0; i < QVBoard::kTileCount; ++i) {
            const QVTile& was = tiles[static_cast<size_t>(i)];
            const QVTile& is = t.board.tiles[i];
            ASSERT_TRUE(is.present == was.present && is.selected == was.selected && is.x == was.x &&
                        is.y == was.y && is.z == was.z && is.face == was.face && is.matchGroup == was.matchGroup)
                << name << " slot " << i;
            ASSERT_EQ(t.board.drawOrder[i], order[static_cast<size_t>(i)]) << name;
        }
    }
}

} // namespace
