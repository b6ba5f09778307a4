// Maths helpers and vectors.
#include "engine/core/HMath.h"
#include "engine/core/HVec2f.h"
#include "engine/core/HVec3f.h"
#include "engine/core/HVec4f.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(HMath, InvSqrtWithinATenthOfAPercent)
{
    for (float x : {0.01f, 0.25f, 1.0f, 2.0f, 4.0f, 10.0f, 12345.0f, 1e6f}) {
        const float exact = 1.0f / std::sqrt(x);
        EXPECT_NEAR(HMath::s_invSqrtf(x), exact, exact * 0.001f) << x;
    }
}

TEST(HMath, DegreeAngles)
{
    EXPECT_FLOAT_EQ(HMath::s_sin(90.0f), 1.0f);
    EXPECT_FLOAT_EQ(HMath::s_cos(0.0f), 1.0f);
    EXPECT_NEAR(HMath::s_sin(30.0f), 0.5f, 1e-6f);
    EXPECT_NEAR(HMath::s_cos(180.0f), -1.0f, 1e-6f);
    EXPECT_EQ(HMath::s_degreesToRadians(180.0f), 3.1415927f);
    EXPECT_FLOAT_EQ(HMath::s_radiansToDegrees(3.1415927f), 180.0f);
    EXPECT_FLOAT_EQ(HMath::s_sqrtf(2.25f), 1.5f);
}

TEST(HVec, LengthsAndNormalising)
{
    EXPECT_FLOAT_EQ((HVec2f{3, 4}).length(), 5.0f);
    EXPECT_FLOAT_EQ((HVec2f{1, 2}).dot({3, 4}), 11.0f);

    HVec3f v{0, 3, 4};
    v.normalize();
    EXPECT_TRUE(v.eq({0, 0.6f, 0.8f}, 1e-6f));
    HVec3f zero{0, 0, 0};
    HVec3f out{7, 7, 7};
    zero.normalize(&out);
    EXPECT_TRUE(out.eq({7, 7, 7})) << "the zero vector leaves out untouched";

    HVec4f q{0, 0, 0, 0};
    EXPECT_EQ(q.normalize(), 0.0f);
    HVec4f p{2, 0, 0, 0};
    EXPECT_FLOAT_EQ(p.normalize(), 2.0f);
    EXPECT_FLOAT_EQ(p.x, 1.0f);
    HVec4f d;
    HVec4f{5, 5, 5, 5}.sub({1, 2, 3, 4}, &d);
    EXPECT_EQ(d.w, 1.0f);
    d.sub({1, 1, 1, 1});
    EXPECT_EQ(d.x, 3.0f);
}

TEST(HVec3f, EqWithEpsilonIsInclusive)
{
    const HVec3f a{1, 2, 3};
    EXPECT_TRUE(a.eq({1.5f, 2, 3}, 0.5f));
    EXPECT_FALSE(a.eq({1.5f, 2, 3}, 0.25f));
    EXPECT_TRUE(a.eq({1, 2, 3}, 0.0f));
    EXPECT_FALSE(a.eq({1, 2, 3.0001f}, 0.0f));
}

TEST(HVec3f, OutOfRangeIndexAlertsAndYieldsX)
{
    HVec3f v{1, 2, 3};
    EXPECT_EQ(v[2], 3.0f);
    testing::internal::CaptureStdout();
    float& r = v[3];
    const float c = static_cast<const HVec3f&>(v)[3];
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(&r, &v.x);
    EXPECT_EQ(c, 0.0f);
    EXPECT_NE(out.find("Out of bound vector operator, Vec3"), std::string::npos);
}

TEST(HVec3f, BoxCorners)
{
    const HVec3f minMax[2] = {{0, 0, 0}, {1, 2, 3}};
    HVec3f c[8];
    HVec3f::s_getAABB(minMax, c, 0);
    const HVec3f expected[8] = {{0, 0, 0}, {1, 0, 0}, {0, 2, 0}, {1, 2, 0},
                                {0, 0, 3}, {1, 0, 3}, {0, 2, 3}, {1, 2, 3}};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(c[i].eq(expected[i])) << i;
}

} // namespace
