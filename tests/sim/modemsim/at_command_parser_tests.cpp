#include "sim/modemsim/AtCommandParser.h"

#include <gtest/gtest.h>

using modemsim::AtCommand;
using modemsim::parseCommandBody;
using Kind = AtCommand::Kind;

TEST(AtCommandParser, BenchAutoAnswerLineIsDsrOptionThenWriteToSelectedRegister)
{
    // "at&s0=1": &S0, then "=1" on the register last selected (S0 until another is named).
    auto parsed = parseCommandBody("&s0=1");
    EXPECT_TRUE(parsed.complete);
    ASSERT_EQ(parsed.commands.size(), 2u);
    EXPECT_EQ(parsed.commands[0], (AtCommand{Kind::DsrOption, std::nullopt, 0}));
    EXPECT_EQ(parsed.commands[1], (AtCommand{Kind::SetRegister, std::nullopt, 1}));
}

TEST(AtCommandParser, RegisterFormsAndDefaults)
{
    auto parsed = parseCommandBody("S7?S12=0050S=3S9=?E");
    EXPECT_TRUE(parsed.complete);
    ASSERT_EQ(parsed.commands.size(), 6u);
    EXPECT_EQ(parsed.commands[0], (AtCommand{Kind::ReadRegister, 7u, 0}));
    EXPECT_EQ(parsed.commands[1], (AtCommand{Kind::SetRegister, 12u, 50}));
    EXPECT_EQ(parsed.commands[2], (AtCommand{Kind::SetRegister, 0u, 3}));  // bare S is S0
    EXPECT_EQ(parsed.commands[3], (AtCommand{Kind::SetRegister, 9u, 0}));  // missing value is 0
    EXPECT_EQ(parsed.commands[4], (AtCommand{Kind::ReadRegister, std::nullopt, 0}));
    EXPECT_EQ(parsed.commands[5], (AtCommand{Kind::Echo, std::nullopt, 0}));
}

TEST(AtCommandParser, StopsAtUnknownCommandsAndAfterLineEndingCommands)
{
    auto bad = parseCommandBody("E1Y4E0");
    EXPECT_FALSE(bad.complete);
    ASSERT_EQ(bad.commands.size(), 1u); // E1 still runs before the ERROR

    EXPECT_FALSE(parseCommandBody("&K3").complete);
    EXPECT_FALSE(parseCommandBody("&").complete);

    auto answer = parseCommandBody("AE0");
    EXPECT_TRUE(answer.complete);
    ASSERT_EQ(answer.commands.size(), 1u);
    EXPECT_EQ(answer.commands[0].kind, Kind::Answer);

    auto huge = parseCommandBody("S0=99999999999999999999");
    ASSERT_EQ(huge.commands.size(), 1u);
    EXPECT_EQ(huge.commands[0].value, modemsim::kNumberCeiling); // no wrap-around to a small value
}
