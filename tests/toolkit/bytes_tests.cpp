#include "toolkit/Bytes.h"

#include <gtest/gtest.h>

using namespace toolkit;

TEST(Bytes, OneBasedSubstringsAndSearch)
{
    EXPECT_EQ(mid("ABCDEF", 2, 3), "BCD");
    EXPECT_EQ(mid("ABCDEF", 5, 10), "EF"); // cut short at the end
    EXPECT_EQ(mid("ABCDEF", 7, 2), "");
    EXPECT_EQ(mid("ABCDEF", 0, 2), "");
    EXPECT_EQ(instr("xxVEL =   ", "VEL"), 3);
    EXPECT_EQ(instr("abc", "d"), 0);
    EXPECT_EQ(right("abcdef", 2), "ef");
    EXPECT_EQ(right("ab", 5), "ab");
}

TEST(Bytes, LeadingNumbers)
{
    EXPECT_EQ(leadingNumber("1 "), 1);
    EXPECT_EQ(leadingNumber("  12abc"), 12);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("-3"), -3);
    EXPECT_DOUBLE_EQ(leadingNumber("2.5x"), 2.5);
}

TEST(Bytes, EveryByteSurvivesTheTripThroughQt)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    EXPECT_EQ(fromQt(toQt(all)), all);
}
