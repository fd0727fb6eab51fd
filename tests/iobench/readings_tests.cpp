// How the bench reads its fields and shows a read value, and how a refusal is worded.
#include "iobench/FieldRefusal.h"
#include "iobench/Readings.h"

#include <gtest/gtest.h>

using namespace iobench;

TEST(Readings, Hex16ReadsTheBoardBoxWithTheTopHalfNegative)
{
    EXPECT_EQ(readHex16("220"), 544);
    EXPECT_EQ(readHex16("3FF"), 1023);
    EXPECT_EQ(readHex16("3ff"), 1023);
    EXPECT_EQ(readHex16("0"), 0);
    EXPECT_EQ(readHex16("7FFF"), 32767);
    EXPECT_EQ(readHex16("8000"), -32768);
    EXPECT_EQ(readHex16("FFFF"), -1);
    EXPECT_EQ(readHex16("0000FFFF"), -1); // leading zeros do not count against the range
    EXPECT_EQ(readHex16(" 220 "), 544);
    EXPECT_EQ(readHex16("10000"), std::nullopt);
    EXPECT_EQ(readHex16("FFFFFFFFFFFFFFFFFFFF"), std::nullopt);
    for (const char* bad : {"", " ", "22G", "-1", "0x220", "2 20", "&H220"})
        EXPECT_EQ(readHex16(bad), std::nullopt) << '"' << bad << '"';
}

TEST(Readings, Dec16ReadsTheBusNumberWithinSixteenBits)
{
    EXPECT_EQ(readDec16("0"), 0);
    EXPECT_EQ(readDec16("1"), 1);
    EXPECT_EQ(readDec16("-1"), -1);
    EXPECT_EQ(readDec16("32767"), 32767);
    EXPECT_EQ(readDec16("-32768"), -32768);
    EXPECT_EQ(readDec16("32768"), std::nullopt);
    EXPECT_EQ(readDec16("-32769"), std::nullopt);
    for (const char* bad : {"", "-", "1.5", "A", "1e2", "0x1"})
        EXPECT_EQ(readDec16(bad), std::nullopt) << '"' << bad << '"';
}

TEST(Readings, Dec32ReadsTheBinaryLookingMasksAsDecimal)
{
    EXPECT_EQ(readDec32("00000001"), 1);
    EXPECT_EQ(readDec32("00000000"), 0);
    EXPECT_EQ(readDec32("00000011"), 11);
    EXPECT_EQ(readDec32("00000101"), 101);
    EXPECT_EQ(readDec32("11111111"), 11111111);
    EXPECT_EQ(readDec32("2147483647"), 2147483647);
    EXPECT_EQ(readDec32("-2147483648"), INT32_MIN);
    EXPECT_EQ(readDec32("00000001 "), 1);
    EXPECT_EQ(readDec32("2147483648"), std::nullopt);
    EXPECT_EQ(readDec32("99999999999999999999"), std::nullopt);
    for (const char* bad : {"", "0000000A", "1,0", "one"})
        EXPECT_EQ(readDec32(bad), std::nullopt) << '"' << bad << '"';
}

TEST(Readings, Hex32TakesPatternsButWidensTheSixteenBitNegatives)
{
    EXPECT_EQ(readHex32("FF"), 255);
    EXPECT_EQ(readHex32("FF00FF03"), -16711933);
    EXPECT_EQ(readHex32("FFFF"), -1);     // all 32 bits set
    EXPECT_EQ(readHex32("8000"), static_cast<int32_t>(0xFFFF8000u));
    EXPECT_EQ(readHex32("7FFF"), 0x7FFF);
    EXPECT_EQ(readHex32("10000"), 65536);
    EXPECT_EQ(readHex32("0000FFFF"), -1);
    EXPECT_EQ(readHex32("FFFFFFFF"), -1);
    EXPECT_EQ(readHex32("80000000"), INT32_MIN);
    EXPECT_EQ(readHex32("100000000"), std::nullopt);
    for (const char* bad : {"", "FF00FF0G", "-FF"})
        EXPECT_EQ(readHex32(bad), std::nullopt) << '"' << bad << '"';
}

TEST(Readings, StatusDisplayIsUpperCaseHexWithoutLeadingZeros)
{
    EXPECT_EQ(statusDisplay(3), "3");
    EXPECT_EQ(statusDisplay(2), "2");
    EXPECT_EQ(statusDisplay(0), "0");
    EXPECT_EQ(statusDisplay(0xABC), "ABC");
    EXPECT_EQ(statusDisplay(-16711933), "FF00FF03");
    EXPECT_EQ(statusDisplay(-1), "FFFFFFFF");
    EXPECT_EQ(statusDisplay(INT32_MIN), "80000000");
    // What is shown reads back as the same value.
    EXPECT_EQ(readHex32(statusDisplay(-16711934)), -16711934);
}

TEST(Readings, ARefusalNamesTheFieldItsTextAndWhatItAccepts)
{
    const std::string text = refusalMessage("boardid_textbox", "10000", ReadingKind::Hex16);
    EXPECT_NE(text.find("Board ID or Base IO"), std::string::npos) << text;
    EXPECT_NE(text.find("boardid_textbox"), std::string::npos);
    EXPECT_NE(text.find("\"10000\""), std::string::npos);
    EXPECT_NE(text.find("0 to FFFF"), std::string::npos);

    const std::string empty = refusalMessage("writemask_textbox", "", ReadingKind::Dec32);
    EXPECT_NE(empty.find("holds nothing"), std::string::npos) << empty;
    EXPECT_NE(empty.find("decimal"), std::string::npos);
}
