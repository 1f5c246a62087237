// The bounded text helpers and number reading that every fixed buffer uses.
#include <gtest/gtest.h>

#include <string.h>

#include "state/text.h"

namespace {

TEST(BoundedTextTest, CopyAndAppendNeverPassTheCapacity)
{
    char buffer[8];
    memset(buffer, 'z', sizeof buffer);
    EXPECT_TRUE(copyText(buffer, 5, "abcd"));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_FALSE(copyText(buffer, 5, "abcde"));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_EQ('z', buffer[5]);
    EXPECT_TRUE(copyText(buffer, 5, "ab"));
    EXPECT_FALSE(appendText(buffer, 5, "cde"));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_FALSE(formatText(buffer, 5, "%d", 123456));
    EXPECT_STREQ("1234", buffer);
}

TEST(BoundedTextTest, FieldWithoutTerminatorDoesNotFit)
{
    char slot[4] = {'a', 'b', 'c', 'd'};
    char out[16];
    EXPECT_FALSE(copyFieldText(out, sizeof out, slot, sizeof slot));
    EXPECT_STREQ("abcd", out);
    slot[3] = 0;
    EXPECT_TRUE(copyFieldText(out, sizeof out, slot, sizeof slot));
    EXPECT_STREQ("abc", out);
}

TEST(DecimalTest, ReadsLikeTheRunTimeAndSaturates)
{
    struct Case {
        const char *text;
        int32_t expected;
    } cases[] = {
        {"1234567", 1234567}, {"12AB", 12}, {"", 0}, {"  -42x", -42}, {"+7", 7}, {"AB", 0},
        {"2147483647", 2147483647}, {"2147483648", 2147483647}, {"99999999999999999999", 2147483647},
        {"-2147483648", INT32_MIN}, {"-99999999999", INT32_MIN},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, parseDecimal(c.text)) << "\"" << c.text << "\"";
    EXPECT_EQ(INT32_MAX, saturate32(5000000000LL));
}

TEST(TokenTest, EmptyTokensDoNotCountAndMissingOnesReadEmpty)
{
    const char *value = "a, key,,c , d ,e,f,g,h,i,42";
    char token[8];
    EXPECT_TRUE(tokenAt(value, 2, token, sizeof token, true));
    EXPECT_STREQ("key", token);
    EXPECT_TRUE(tokenAt(value, 3, token, sizeof token, true));
    EXPECT_STREQ("c ", token);
    EXPECT_TRUE(tokenAt(value, 2, token, sizeof token, false));
    EXPECT_STREQ(" key", token);
    EXPECT_TRUE(tokenAt(value, 10, token, sizeof token, true));
    EXPECT_STREQ("42", token);
    EXPECT_FALSE(tokenAt(value, 11, token, sizeof token, true));
    EXPECT_STREQ("", token);
    EXPECT_FALSE(tokenAt(",,,", 1, token, sizeof token, true));
    EXPECT_EQ(0, countTokens(",,,"));
    EXPECT_EQ(10, countTokens(value));
    EXPECT_TRUE(tokenAt("averyverylongtoken", 1, token, sizeof token, true));
    EXPECT_STREQ("averyve", token) << "cut to the buffer";
}

TEST(NameTest, ProfileNamesCompareWithoutCase)
{
    EXPECT_TRUE(equalsNoCase("NoFile", "NOFILE"));
    EXPECT_FALSE(equalsNoCase("NOFILE", "NOFILES"));
}

} // namespace
