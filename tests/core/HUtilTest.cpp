// String utilities.
#include "engine/core/HUtil.h"

#include "tests/support/DiagnosticRecorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct StricmpCase {
    const char* a;
    const char* b;
    int expected;
};

TEST(HUtil, StricmpOrdersWithoutCaseAndAlwaysGivesMinusOneZeroOrOne)
{
    const StricmpCase cases[] = {
        {"abc", "ABD", -1}, {"abc", "AB", 1}, {"", "", 0},       {"", "a", -1},
        {"HObjectList", "hobjectlist", 0},  {"b", "A", 1},       {"zzz", "a", 1},
    };
    for (const StricmpCase& c : cases)
        EXPECT_EQ(HUtil::s_stricmp(c.a, c.b), c.expected) << c.a << " vs " << c.b;
}

TEST(HUtil, CaseConversionHandlesHighBytes)
{
    char s[] = "aBc\xE9Z";
    HUtil::s_strupr(s);
    EXPECT_STREQ(s, "ABC\xE9Z");
    HUtil::s_strlwr(s);
    EXPECT_STREQ(s, "abc\xE9z");
}

TEST(HUtil, BoundedCopiesAlwaysTerminate)
{
    char buf[4];
    std::memset(buf, 'x', sizeof(buf));
    EXPECT_STREQ(HUtil::s_strcpy(buf, "abcdef", sizeof(buf)), "abc");

    char one[1] = {'x'};
    EXPECT_STREQ(HUtil::s_strcpy(one, "abc", 1), "");

    char cat[5] = "abc";
    EXPECT_STREQ(HUtil::s_strcat(cat, "def", sizeof(cat)), "abcd");
    EXPECT_STREQ(HUtil::s_strcat(cat, "zz", sizeof(cat)), "abcd") << "a full buffer is left unchanged";

    char fmt[6];
    EXPECT_STREQ(HUtil::s_sprintf(fmt, sizeof(fmt), "%d-%s", 12, "abcdef"), "12-ab");
}

TEST(HUtil, CloneStringCopiesExactly)
{
    char* copy = HUtil::s_cloneString("hello");
    EXPECT_STREQ(copy, "hello");
    delete[] copy;
}

TEST(HUtil, PowerOfTwoCountsZero)
{
    EXPECT_TRUE(HUtil::s_isPowerOf2(0));
    EXPECT_TRUE(HUtil::s_isPowerOf2(1));
    EXPECT_TRUE(HUtil::s_isPowerOf2(1024));
    EXPECT_FALSE(HUtil::s_isPowerOf2(6));
}

std::vector<std::string> tokens(const char* src, const char* delimiters, int size = 1024)
{
    std::vector<std::string> out;
    std::vector<char> token(static_cast<size_t>(size));
    const char* pos = src;
    while ((pos = HUtil::s_strtok(token.data(), size, pos, delimiters)) != nullptr)
        out.emplace_back(token.data());
    EXPECT_STREQ(token.data(), "") << "the last call leaves an empty token";
    return out;
}

TEST(HUtil, StrtokTreatsRunsOfDelimitersAsOneSeparator)
{
    EXPECT_EQ(tokens(" ;a;;b; ", "; "), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(tokens("", "; ").empty());
    EXPECT_TRUE(tokens(" ;; ", "; ").empty());
    EXPECT_EQ(tokens("+set a 1;+set b 2", " ;"), (std::vector<std::string>{"+set", "a", "1", "+set", "b", "2"}));
}

TEST(HUtil, StrtokCutsALongTokenAndSkipsItsRest)
{
    EXPECT_EQ(tokens("abcdefgh ij", " ", 4), (std::vector<std::string>{"abc", "ij"}));
}

TEST(HUtil, SemicolonListMatch)
{
    EXPECT_TRUE(HUtil::s_isTokenInSemicolonDelimitedList("abcdef", "xyz;abc*"));
    EXPECT_FALSE(HUtil::s_isTokenInSemicolonDelimitedList("abcdef", "xyz;ABC*"));
    EXPECT_TRUE(HUtil::s_isTokenInSemicolonDelimitedList("anything", "*"));
    EXPECT_TRUE(HUtil::s_isTokenInSemicolonDelimitedList("xyz", "xyz;abc*"));
    EXPECT_FALSE(HUtil::s_isTokenInSemicolonDelimitedList("xy", "xyz"));
    EXPECT_FALSE(HUtil::s_isTokenInSemicolonDelimitedList("xyz", nullptr));
}

TEST(HUtil, ReadLineSkipsEmptyLines)
{
    const char* text = "\r\n\r\nfirst\r\nsecond";
    char line[64];
    const char* pos = HUtil::s_readLineFromBuffer(text, line, sizeof(line));
    EXPECT_STREQ(line, "first");
    ASSERT_NE(pos, nullptr);
    pos = HUtil::s_readLineFromBuffer(pos, line, sizeof(line));
    EXPECT_STREQ(line, "second");
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(*pos, '\0');
    pos = HUtil::s_readLineFromBuffer(pos, line, sizeof(line));
    EXPECT_EQ(pos, nullptr);
    EXPECT_STREQ(line, "");
}

TEST(HUtil, ReadLineSplitsAnOverlongLineAndSaysSo)
{
    DiagnosticRecorder diagnostics;
    char line[4];
    const char* pos = HUtil::s_readLineFromBuffer("abcdef\n", line, sizeof(line));
    EXPECT_STREQ(line, "abc");
    EXPECT_EQ(diagnostics.count("s_readLineFromBuffer - buffer override"), 1);
    pos = HUtil::s_readLineFromBuffer(pos, line, sizeof(line));
    EXPECT_STREQ(line, "def");
}

TEST(HUtil, StringHashFoldsCase)
{
    EXPECT_EQ(HUtil::s_hashString("Abc"), 96354u);
    EXPECT_EQ(HUtil::s_hashString("abc"), 96354u);
    EXPECT_EQ(HUtil::s_hashString(""), 0u);
}

TEST(HUtil, BufferHashRunsTheCrcTableThroughALeftShiftingRegister)
{
    EXPECT_EQ(HUtil::s_hashBuffer(nullptr, 0), 0u);
    const unsigned char one[] = {0x01};
    // T[1] = 0x77073096, then XOR the length.
    EXPECT_EQ(HUtil::s_hashBuffer(one, 1), 0x77073096u ^ 1u);
    const unsigned char two[] = {0x01, 0x00};
    // (T[1] << 8) ^ T[0x00 ^ 0x77] ^ 2, with T[0x77] = 0xCE61E49F.
    EXPECT_EQ(HUtil::s_hashBuffer(two, 2), (0x77073096u << 8) ^ 0xCE61E49Fu ^ 2u);
}

TEST(HUtil, WhitespaceIsExactlyFourCharacters)
{
    for (int c = 0; c < 128; ++c) {
        const bool expected = c == 9 || c == 10 || c == 13 || c == 32;
        EXPECT_EQ(HUtil::s_isWhitespace(static_cast<char>(c)), expected) << c;
    }
}

struct ArgsCase {
    const char* line;
    int max;
    std::vector<std::string> expected;
};

TEST(HUtil, GetArgsSplitsInPlace)
{
    const ArgsCase cases[] = {
        {"  a b", 4, {"a", "b"}},
        {"a b c", 2, {"a", "b"}},
        {"a  ", 4, {"a", ""}},
        {"", 4, {}},
    };
    for (const ArgsCase& c : cases) {
        char line[64];
        HUtil::s_strcpy(line, c.line, sizeof(line));
        char* args[4] = {line, line, line, line};
        const int n = HUtil::s_getArgs(line, args, c.max);
        ASSERT_EQ(n, static_cast<int>(c.expected.size())) << "'" << c.line << "'";
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(args[i], c.expected[static_cast<size_t>(i)]);
        for (int i = n; i < c.max; ++i)
            EXPECT_EQ(args[i], nullptr);
    }
}

} // namespace
