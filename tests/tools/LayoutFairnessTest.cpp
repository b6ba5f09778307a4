// Every layout of the archive is fair: deals of it, through the game's own
// deal, can usually be cleared without a shuffle, and seldom cannot be
// cleared at all. On a fixed sample of seeded deals per layout, the test
// support's solver (every face seen) must find a clearing order for at
// least 80 % of them and prove at most 5 % dead (its search ran out of
// moves on every line). The layout's shape decides this: an upper tile set
// half a tile off lies on four below it, and through them on a widening
// cone of tiles, none of which can ever be free together with it, so a
// group of four can be dead from the deal on. The figures over 200 deals
// of each layout are in the README (build/bin/qv_layout_fairness).
#include "tests/support/ArchiveBoard.h"
#include "tests/support/LayoutFairness.h"

#include "game/QVBoard.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The sample: seeds, and the positions the solver may search per deal.
constexpr uint32_t kFirstSeed = 5001;
constexpr int32_t kDeals = 40;
constexpr int32_t kBudget = 20000;

class LayoutFairnessTest : public testing::TestWithParam<int32_t> {};

TEST_P(LayoutFairnessTest, DealsAreUsuallyClearedAndSeldomDead)
{
    ArchiveBoard archive;
    ASSERT_TRUE(archive.ok()) << ArchiveBoard::s_archivePath();
    const char* name = QVBoard::s_akpLayouts[GetParam()];
    const LayoutFairness::Tally t = LayoutFairness::s_measure(archive, GetParam(), kFirstSeed, kDeals, kBudget);
    EXPECT_LE(t.unwinnable * 100, 5 * t.deals) << name << ": " << t.unwinnable << " of " << t.deals
                                                << " deals cannot be cleared";
    EXPECT_GE(t.cleared * 100, 80 * t.deals) << name << ": only " << t.cleared << " of " << t.deals
                                              << " deals cleared (" << t.unwinnable << " dead, " << t.undecided
                                              << " undecided)";
}

std::string layoutName(const testing::TestParamInfo<int32_t>& info)
{
    std::string s = QVBoard::s_akpLayouts[info.param];
    s = s.substr(s.find('/') + 1);
    return s.substr(0, s.find('.'));
}

INSTANTIATE_TEST_SUITE_P(Archive, LayoutFairnessTest, testing::Range(0, QVBoard::kLayoutCount), layoutName);

} // namespace
