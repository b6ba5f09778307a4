// The game-state stack and its 36-byte record: the 32 entries are never
// written or read outside, and a record that would put the top outside them
// is refused. The stack is seen only through its operations; its record
// shows the top index and every entry.
#include "framework/HGameStateRecord.h"
#include "tests/support/TestGame.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes record(const TestGame& game)
{
    Bytes out(36, 0xAB);
    EXPECT_EQ(game.serializeGameState(out.data(), static_cast<int>(out.size())), 36);
    return out;
}

// The top index, as the record stores it (little-endian, at 0).
int32_t topOf(const TestGame& game)
{
    const Bytes r = record(game);
    return static_cast<int32_t>(static_cast<uint32_t>(r[0]) | static_cast<uint32_t>(r[1]) << 8 |
                                static_cast<uint32_t>(r[2]) << 16 | static_cast<uint32_t>(r[3]) << 24);
}

// Entry i of the 32, bottom first, as the record stores it (at 4 + i).
int8_t entryOf(const TestGame& game, int i)
{
    return static_cast<int8_t>(record(game)[static_cast<size_t>(4 + i)]);
}

TEST(GameStateStackTest, FreshStackIsEmpty)
{
    TestGame game;
    EXPECT_EQ(game.getGameState(0), -1);
    EXPECT_EQ(topOf(game), -1);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(entryOf(game, i), -1) << i;
    EXPECT_FALSE(game.stateStackContains(-1));
    EXPECT_FALSE(game.stateStackContains(0));
}

TEST(GameStateStackTest, ResetLeavesOneState)
{
    TestGame game;
    game.pushGameState(7);
    game.pushGameState(8);
    game.resetGameState(3);
    EXPECT_EQ(game.getGameState(0), 3);
    EXPECT_EQ(game.getGameState(-1), -1);
    EXPECT_TRUE(game.stateStackContains(3));
    EXPECT_FALSE(game.stateStackContains(7));
    EXPECT_FALSE(game.stateStackContains(8));
}

TEST(GameStateStackTest, PushPopAndDepth)
{
    TestGame game;
    game.resetGameState(1);
    game.pushGameState(2);
    game.pushGameState(4);
    EXPECT_EQ(game.getGameState(0), 4);
    EXPECT_EQ(game.getGameState(-1), 2);
    EXPECT_EQ(game.getGameState(-2), 1);
    EXPECT_EQ(game.getGameState(-3), -1);
    game.popGameState();
    EXPECT_EQ(game.getGameState(0), 2);
    EXPECT_FALSE(game.stateStackContains(4));
}

TEST(GameStateStackTest, DepthsFarOutsideReadNothing)
{
    TestGame game;
    game.resetGameState(5);
    for (int depth : {INT_MIN, -33, 32, 1000, INT_MAX})
        EXPECT_EQ(game.getGameState(depth), -1) << depth;
}

TEST(GameStateStackTest, PushOnAFullStackIsIgnored)
{
    TestGame game;
    for (int i = 0; i < 32; ++i)
        game.pushGameState(static_cast<signed char>(i));
    EXPECT_EQ(topOf(game), 31);
    game.pushGameState(99);
    game.pushGameState(100);
    EXPECT_EQ(topOf(game), 31);
    EXPECT_EQ(game.getGameState(0), 31);
    EXPECT_FALSE(game.stateStackContains(99));
    EXPECT_EQ(game.getGameState(-31), 0);
}

TEST(GameStateStackTest, PopOnAnEmptyStackLeavesItEmpty)
{
    TestGame game;
    game.popGameState();
    game.popGameState();
    EXPECT_EQ(topOf(game), -1);
    EXPECT_EQ(game.getGameState(0), -1);
    // The first push after it lands in entry 0.
    game.pushGameState(6);
    EXPECT_EQ(topOf(game), 0);
    EXPECT_EQ(game.getGameState(0), 6);
}

TEST(GameStateStackTest, RecordBytes)
{
    TestGame game;
    game.resetGameState(2);
    game.pushGameState(5);
    Bytes expected = {0x01, 0x00, 0x00, 0x00, 0x02, 0x05};
    expected.resize(36, 0xFF);
    EXPECT_EQ(record(game), expected);

    TestGame fresh;
    Bytes empty(36, 0xFF);
    EXPECT_EQ(record(fresh), empty);
}

TEST(GameStateStackTest, RecordRoundTrip)
{
    TestGame a;
    a.resetGameState(-7);
    for (int i = 0; i < 31; ++i)
        a.pushGameState(static_cast<signed char>(i * 4 - 60));
    const Bytes bytes = record(a);

    TestGame b;
    ASSERT_TRUE(b.deserializeGameState(bytes.data(), 36));
    EXPECT_EQ(topOf(b), 31);
    for (int depth = 0; depth > -33; --depth)
        EXPECT_EQ(b.getGameState(depth), a.getGameState(depth)) << depth;
    EXPECT_EQ(record(b), bytes);
}

TEST(GameStateStackTest, SerializeRefusesShortBuffers)
{
    TestGame game;
    game.resetGameState(1);
    for (int len : {-1, 0, 1, 35}) {
        Bytes buf(40, 0x5A);
        EXPECT_EQ(game.serializeGameState(buf.data(), len), 0) << len;
        EXPECT_EQ(buf, Bytes(40, 0x5A)) << len;
    }
    EXPECT_EQ(game.serializeGameState(nullptr, 36), 0);
    Bytes big(37, 0x5A);
    EXPECT_EQ(game.serializeGameState(big.data(), 37), 36);
    EXPECT_EQ(big[36], 0x5A);
}

TEST(GameStateStackTest, DeserializeRefusesWrongLengths)
{
    TestGame source;
    source.resetGameState(9);
    Bytes bytes = record(source);
    bytes.resize(40, 0);

    TestGame game;
    game.resetGameState(4);
    for (int len : {-1, 0, 35, 37, 40})
        EXPECT_FALSE(game.deserializeGameState(bytes.data(), len)) << len;
    EXPECT_FALSE(game.deserializeGameState(nullptr, 36));
    EXPECT_EQ(game.getGameState(0), 4);
    EXPECT_EQ(topOf(game), 0);
}

TEST(GameStateStackTest, DeserializeRefusesTopsOutsideTheStack)
{
    struct Case {
        int32_t top;
        bool accepted;
    };
    const Case cases[] = {{-1, true}, {0, true}, {31, true}, {-2, false}, {32, false},
                          {INT32_MIN, false}, {INT32_MAX, false}, {0x00000100, false}};
    for (const Case& c : cases) {
        Bytes bytes(36, 0x03);
        const uint32_t top = static_cast<uint32_t>(c.top);
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<uint8_t>(top >> (8 * i));

        TestGame game;
        game.resetGameState(6);
        EXPECT_EQ(game.deserializeGameState(bytes.data(), 36), c.accepted) << c.top;
        if (c.accepted) {
            EXPECT_EQ(topOf(game), c.top);
            EXPECT_EQ(entryOf(game, 31), 3);
        } else {
            EXPECT_EQ(topOf(game), 0) << c.top;
            EXPECT_EQ(game.getGameState(0), 6) << c.top;
            EXPECT_EQ(entryOf(game, 1), -1) << c.top;
        }
        // Whatever was read, the stack stays usable within its entries.
        game.pushGameState(1);
        game.popGameState();
        EXPECT_LE(topOf(game), 31);
    }
}

TEST(GameStateStackTest, RecordLayout)
{
    EXPECT_EQ(sizeof(HGameStateRecord), 36u);
    EXPECT_EQ(HPuzzleGame::kGameStateRecordBytes, 36);
    EXPECT_EQ(HPuzzleGame::kGameStateCount, 32);
}

} // namespace
