// cabtalk's reading of the reply buffer: nothing but the table counts without "> PMII", and the
// fault reply is one 76-character block.
#include "carterm/reply/TalkReply.h"
#include "tests/carterm/scope_replies.h"

#include <gtest/gtest.h>

using carterm::reply::parseTalkReply;
using carterm::reply::TalkMarkers;

namespace {

const std::string kBlock = "FLT0 =\r\nFLT  0  09 FL 01\r\nFLT  1  24 FL 01\r\nFLT  2  00 FL 00\r\nFLT  3  00 FL 00\r\nOK\r\n";

struct TalkCase {
    const char* what;
    std::string buffer;
    TalkMarkers found;
};

const TalkCase kCases[] = {
    {.what = "replies without a poll's answer count for nothing",
     .buffer = "VEL =   195\r\nBBT  =  12.34\r\n" + kBlock,
     .found = {}},
    {.what = "the marker arriving later makes them count, first occurrence winning",
     .buffer = "VEL =   195\r\nBBT  =  12.34\r\n> PMII\r\nVEL =   200\r\n",
     .found = {.pollAnswer = true, .velocity = "195", .bbt = "12.34"}},
    {.what = "the 9th to the 84th character from the F of FLT0",
     .buffer = "> PMII\r\n" + kBlock + "trailing text",
     .found = {.pollAnswer = true, .faultBlock = (kBlock + "trailing text").substr(8, 76)}},
    {.what = "a block cut short by the buffer's end",
     .buffer = "> PMII\r\nFLT0 =\r\nFLT  0  09",
     .found = {.pollAnswer = true, .faultBlock = "FLT  0  09"}},
    {.what = "register lines alone are no block",
     .buffer = "> PMII\r\nFLT  0  09 FL 01\r\n",
     .found = {.pollAnswer = true}},
    {.what = "a value cut at the end", .buffer = "> PMII\r\nVEL =   1", .found = {.pollAnswer = true, .velocity = "1"}},
};

TEST(TalkReply, RepliesCountOnlyWithAPollsAnswerInTheBuffer)
{
    for (const TalkCase& c : kCases)
        EXPECT_TRUE(parseTalkReply(c.buffer).markers == c.found) << c.what;
    EXPECT_EQ(parseTalkReply("> PMII\r\n" + kBlock).markers.faultBlock->size(), 76u);
}

TEST(TalkReply, TheTableIsReadWithOrWithoutTheMarkerAtTheSameCellsAsCarscope)
{
    scope_test::PmiTable t;
    t.cell(2, 1) = '7';
    t.cell(8, 16) = '9';
    for (const std::string& buffer : {t.reply(), t.table()}) {
        const auto table = parseTalkReply(buffer).table;
        ASSERT_TRUE(table);
        EXPECT_EQ(table->value(3, 1), "7 ");
        EXPECT_EQ(table->value(13, 16), "9\r");
        EXPECT_EQ(table->value(1, 5), "");
    }
    EXPECT_FALSE(parseTalkReply("> PMII\r\n").table);
}

} // namespace
