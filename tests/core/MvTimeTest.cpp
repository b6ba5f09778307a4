// Millisecond times.
#include "engine/core/MvTime.h"

#include "tests/support/DiagnosticRecorder.h"

#include <gtest/gtest.h>

namespace {

TEST(MvTime, NegativeSpansAndOverflowClamp)
{
    const MvTime a{5000, 0};
    const MvTime b{7000, 0};
    EXPECT_EQ(a.sub32(b), 0u);
    EXPECT_EQ(static_cast<int64_t>(a.sub64(b)), -2000);
    const MvTime d = a.subTime(b);
    EXPECT_EQ(d.high, 0xFFFFFFFFu);
    EXPECT_EQ(d.low, static_cast<uint32_t>(-2000));
    EXPECT_EQ(b.sub32(a), 2000u);
}

TEST(MvTime, ArithmeticAcrossThe32BitBoundary)
{
    const MvTime late{5, 1};
    const MvTime early{0xFFFFFFF0u, 0};
    EXPECT_EQ(late.getTime64(), (uint64_t{1} << 32) + 5);
    EXPECT_EQ(late.sub64(early), 21u) << "the borrow crosses from low into high";
    EXPECT_EQ(late.sub32(early), 21u);
    const MvTime span = late.subTime(early);
    EXPECT_EQ(span.low, 21u);
    EXPECT_EQ(span.high, 0u);

    const MvTime exactly{0, 1};
    EXPECT_EQ(exactly.sub32(MvTime{0, 0}), 0u) << "2^32 ms does not fit 32 bits";
    EXPECT_EQ(MvTime::s_fromTime64(late.getTime64()).high, 1u);
}

TEST(MvTime, GetTime32WarnsOnOverflowButStillReturnsTheLowHalf)
{
    DiagnosticRecorder diagnostics;
    const MvTime t{5, 1};
    EXPECT_EQ(t.getTime32(), 5u);
    EXPECT_EQ(t.getTime32Truncate(), 5u);
    EXPECT_EQ(diagnostics.count("MvTime::getTime32() - overflow"), 1);
    EXPECT_EQ(MvTime({9, 0}).getTime32(), 9u);
    EXPECT_EQ(diagnostics.count("overflow"), 1);
}

TEST(MvTime, EqualTimesDifferByNothing)
{
    const MvTime t{123, 4};
    EXPECT_EQ(t.sub64(t), 0u);
    EXPECT_EQ(t.sub32(t), 0u);
    EXPECT_EQ(t.subTime(t).getTime64(), 0u);
}

} // namespace
