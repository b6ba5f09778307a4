// Memory surfaces: cloning, release and ownership.
#include "engine/media/H2DMemorySurface.h"

#include "tests/support/TestSurface.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(H2DMemorySurface, CloneOfAnUnmaskedSurfaceHasNoMask)
{
    TestSurface source(5, 3, false);
    source.fillPattern(1);
    H2DMemorySurface* clone = source.get()->cloneSurface();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->getAlphaMask(), nullptr);
    EXPECT_EQ(clone->getSurfaceWidth(), 5);
    EXPECT_EQ(clone->getSurfaceHeight(), 3);
    EXPECT_EQ(clone->getBitsPerPixel(), 16);
    EXPECT_EQ(clone->getStride(), 10);
    EXPECT_NE(clone->getPixels(), source.get()->getPixels());
    EXPECT_EQ(std::memcmp(clone->getPixels(), source.get()->getPixels(), 5 * 3 * 2), 0);
    clone->destroySurface();
    delete clone;
}

TEST(H2DMemorySurface, CloneOwnsItsOwnMask)
{
    H2DMemorySurface* clone = nullptr;
    {
        TestSurface source(4, 4, true);
        source.setMask(1, 2, 7);
        clone = source.get()->cloneSurface();
        ASSERT_NE(clone, nullptr);
        ASSERT_NE(clone->getAlphaMask(), nullptr);
        EXPECT_NE(clone->getAlphaMask(), source.get()->getAlphaMask());
    } // the source's arrays are released here
    // Still readable (a shared mask would be a use after free under ASan).
    EXPECT_EQ(clone->getAlphaMask()[2 * 4 + 1], 7);
    EXPECT_EQ(clone->getAlphaMask()[0], 255);
    clone->destroySurface();
    delete clone;
}

TEST(H2DMemorySurface, CloneOfPaddedRowsIsPackedAndKeepsEveryPixel)
{
    TestSurface source(7, 5, false, 3);
    source.fillPattern(9);
    H2DMemorySurface* clone = source.get()->cloneSurface();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->getStride(), 14);
    const uint16_t* p = reinterpret_cast<const uint16_t*>(clone->getPixels());
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 7; ++x)
            EXPECT_EQ(p[y * 7 + x], source.pixel(x, y)) << x << "," << y;
    }
    clone->destroySurface();
    delete clone;
}

TEST(H2DMemorySurface, DestroyTwiceIsHarmlessAndKeepsTheSizes)
{
    H2DMemorySurface s(new uint8_t[8], 2, 2, 16, 4);
    s.setAlphaMask(new uint8_t[4]);
    s.destroySurface();
    EXPECT_EQ(s.getPixels(), nullptr);
    EXPECT_EQ(s.getAlphaMask(), nullptr);
    s.destroySurface();
    EXPECT_EQ(s.getSurfaceWidth(), 2);
    EXPECT_EQ(s.getSurfaceHeight(), 2);
    EXPECT_EQ(s.getStride(), 4);
}

TEST(H2DMemorySurface, DeletingWithoutDestroyFreesNothing)
{
    uint8_t* pixels = new uint8_t[8]();
    uint8_t* mask = new uint8_t[4]();
    H2DMemorySurface* s = new H2DMemorySurface(pixels, 2, 2, 16, 4);
    s->setAlphaMask(mask);
    delete s;
    // Both arrays are still ours (ASan reports a use after free otherwise).
    pixels[7] = 1;
    mask[3] = 1;
    EXPECT_EQ(pixels[7] + mask[3], 2);
    delete[] pixels;
    delete[] mask;
}

TEST(H2DMemorySurface, SettingAMaskDoesNotFreeTheEarlierOne)
{
    uint8_t first[4] = {1, 2, 3, 4};
    uint8_t second[4] = {};
    H2DMemorySurface s;
    s.setAlphaMask(first);
    s.setAlphaMask(second);
    EXPECT_EQ(s.getAlphaMask(), second);
    s.setAlphaMask(first);
    EXPECT_EQ(s.getAlphaMask()[3], 4);
    s.setAlphaMask(nullptr);
}

TEST(H2DMemorySurface, CloneOfADestroyedSurfaceHasNoPixels)
{
    H2DMemorySurface s(new uint8_t[8], 2, 2, 16, 4);
    s.destroySurface();
    H2DMemorySurface* clone = s.cloneSurface();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->getPixels(), nullptr);
    EXPECT_EQ(clone->getSurfaceWidth(), 2);
    delete clone;
}

} // namespace
