// Byte order.
#include "engine/core/HEndian.h"
#include "engine/core/POSH.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<unsigned char> bytes(const unsigned char* p, size_t n)
{
    return std::vector<unsigned char>(p, p + n);
}

TEST(POSH, WritersStoreBytesInOrderAndReturnTheEnd)
{
    unsigned char buf[8];
    EXPECT_EQ(POSH_WriteU32ToLittle(buf, 0xABCD1234u), buf + 4);
    EXPECT_EQ(bytes(buf, 4), (std::vector<unsigned char>{0x34, 0x12, 0xCD, 0xAB}));
    EXPECT_EQ(POSH_WriteU32ToBig(buf, 0xABCD1234u), buf + 4);
    EXPECT_EQ(bytes(buf, 4), (std::vector<unsigned char>{0xAB, 0xCD, 0x12, 0x34}));
    const uint64_t v64 = (uint64_t{0xFEDCBA98u} << 32) | 0x76543210u;
    EXPECT_EQ(POSH_WriteU64ToBig(buf, v64), buf + 8);
    EXPECT_EQ(bytes(buf, 8), (std::vector<unsigned char>{0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}));
    EXPECT_EQ(POSH_WriteS64ToLittle(buf, -2), buf + 8);
    EXPECT_EQ(bytes(buf, 8), (std::vector<unsigned char>{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(POSH_WriteS16ToBig(buf, -2), buf + 2);
    EXPECT_EQ(bytes(buf, 2), (std::vector<unsigned char>{0xFF, 0xFE}));
    // Writes chain through a buffer.
    unsigned char* p = static_cast<unsigned char*>(POSH_WriteU16ToLittle(buf, 0x0102));
    POSH_WriteS32ToLittle(p, -1);
    EXPECT_EQ(bytes(buf, 6), (std::vector<unsigned char>{0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(POSH, ReadersFromByteTables)
{
    const unsigned char ff[] = {0xFF, 0xFF};
    EXPECT_EQ(POSH_ReadS16FromLittle(ff), -1);
    EXPECT_EQ(POSH_ReadU16FromLittle(ff), 65535);
    const unsigned char b[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
    EXPECT_EQ(POSH_ReadU16FromBig(b), 0x0102);
    EXPECT_EQ(POSH_ReadU32FromLittle(b), 0x04030201u);
    EXPECT_EQ(POSH_ReadU32FromBig(b), 0x01020304u);
    EXPECT_EQ(POSH_ReadS32FromBig(b + 4), 0x05060788);
    EXPECT_EQ(POSH_ReadS32FromLittle(b + 4), static_cast<int32_t>(0x88070605u));
    EXPECT_EQ(POSH_ReadU64FromLittle(b), 0x8807060504030201ull);
    EXPECT_EQ(POSH_ReadU64FromBig(b), 0x0102030405060788ull);
    EXPECT_LT(POSH_ReadS64FromLittle(b), 0);
    EXPECT_GT(POSH_ReadS64FromBig(b), 0);
}

TEST(POSH, UnalignedAccess)
{
    unsigned char buf[16] = {};
    POSH_WriteU64ToLittle(buf + 3, 0x1122334455667788ull);
    EXPECT_EQ(POSH_ReadU64FromLittle(buf + 3), 0x1122334455667788ull);
    EXPECT_EQ(POSH_ReadU32FromLittle(buf + 3), 0x55667788u);
}

TEST(POSH, SwapsReinterpretSigned)
{
    EXPECT_EQ(POSH_SwapS16(0x0080), -32768);
    EXPECT_EQ(POSH_SwapU16(0x1234), 0x3412);
    EXPECT_EQ(POSH_SwapU32(0x11223344u), 0x44332211u);
    EXPECT_EQ(POSH_SwapU64(0x0102030405060708ull), 0x0807060504030201ull);
    EXPECT_EQ(POSH_SwapS32(0x000000FF), static_cast<int32_t>(0xFF000000u));
}

TEST(POSH, FloatAndDoubleBitPatterns)
{
    const float third = 1.0f / 3.0f;
    EXPECT_EQ(POSH_LittleFloatBits(third), 0x3EAAAAABu);
    EXPECT_EQ(POSH_BigFloatBits(third), 0xABAAAA3Eu);
    EXPECT_EQ(POSH_FloatFromLittleBits(0x3EAAAAABu), third);
    EXPECT_EQ(POSH_FloatFromBigBits(0xABAAAA3Eu), third);
    unsigned char out[8];
    POSH_DoubleBits(1.0, out);
    EXPECT_EQ(bytes(out, 8), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(POSH_DoubleFromBits(out), 1.0);
}

TEST(POSH, ArchStringDescribesThisBuild)
{
    const char* s = POSH_GetArchString();
    EXPECT_STREQ(s,
                 "OS:..............Linux\n"
                 "CPU:.............AMD x86-64\n"
                 "endian:..........little\n"
                 "ptr size:........64-bits\n"
                 "64-bit ints......yes\n"
                 "floating point...enabled\n");
}

TEST(HEndian, LittleIsIdentityAndBigSwapsOnThisHost)
{
    EXPECT_EQ(HEndian::s_littleLong(0x11223344), 0x11223344);
    EXPECT_EQ(HEndian::s_bigLong(0x11223344), 0x44332211);
    EXPECT_EQ(HEndian::s_littleShort(-2), -2);
    EXPECT_EQ(HEndian::s_bigShort(0x0080), -32768);
}

} // namespace
