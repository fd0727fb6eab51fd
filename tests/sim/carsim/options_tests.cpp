#include "sim/carsim/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace carsim;

namespace {
ParsedOptions parse(std::vector<std::string> args)
{
    return parseOptions(args);
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}
}  // namespace

TEST(Options, DefaultsAndBothSpellingsOfValues)
{
    const ParsedOptions none = parse({});
    EXPECT_EQ(none.error, "");
    EXPECT_EQ(none.options.scenario, Scenario::Normal);
    EXPECT_EQ(none.options.baud, 1200);
    EXPECT_FALSE(none.options.seed.has_value());
    EXPECT_TRUE(none.options.linkPath.empty());
    EXPECT_TRUE(none.options.devicePath.empty());

    const ParsedOptions all = parse({"--link", "/tmp/car", "--scenario=hangup", "--after", "2.5", "--seed=18446744073709551615",
        "--baud", "300", "--traffic", "2.5", "--fault-chance=1"});
    ASSERT_EQ(all.error, "");
    EXPECT_EQ(all.options.linkPath, "/tmp/car");
    EXPECT_EQ(all.options.scenario, Scenario::Hangup);
    EXPECT_DOUBLE_EQ(all.options.hangupAfterSeconds, 2.5);
    EXPECT_EQ(all.options.seed, 18446744073709551615ULL);
    EXPECT_EQ(all.options.baud, 300);
    EXPECT_DOUBLE_EQ(all.options.use.callsPerMinute, 2.5);
    EXPECT_DOUBLE_EQ(all.options.use.faultChancePerRun, 1.0);
    EXPECT_DOUBLE_EQ(none.options.use.faultChancePerRun, 0.15);

    for (const char* name : {"normal", "silence", "garbage", "slow", "partial", "hangup"})
        EXPECT_EQ(parse({"--scenario", name}).error, "") << name;
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_EQ(parse({"--device", "/dev/ttyS0", "--baud", "9600"}).error, "");
}

TEST(Options, EachMistakeIsNamedWithWhatIsAccepted)
{
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> mentions;
    } cases[] = {
        {{"--lnk", "/tmp/x"}, {"'--lnk'", "--link PATH", "--scenario NAME"}},
        {{"extra"}, {"'extra'", "accepted"}},
        {{"--scenario", "noisy"}, {"'noisy'", "normal, silence, garbage, slow, partial, hangup"}},
        {{"--scenario"}, {"--scenario needs a value"}},
        {{"--baud", "fast"}, {"'fast'", "50", "4000000"}},
        {{"--baud", "0"}, {"'0'", "whole number"}},
        {{"--traffic", "fast"}, {"'fast'", "from 0 to 600"}},
        {{"--fault-chance", "1.5"}, {"'1.5'", "from 0 to 1"}},
        {{"--baud", "-1200"}, {"'-1200'"}},
        {{"--baud", "99999999999999999999"}, {"'99999999999999999999'"}},
        {{"--scenario", "hangup", "--after", "0"}, {"'0'", "greater than 0"}},
        {{"--scenario", "hangup", "--after", "soon"}, {"'soon'", "seconds"}},
        {{"--scenario", "hangup", "--after", "1e400"}, {"'1e400'"}},
        {{"--seed", "-1"}, {"'-1'", "18446744073709551615"}},
        {{"--seed", "18446744073709551616"}, {"'18446744073709551616'"}},
        {{"--link", ""}, {"--link needs a path"}},
        {{"--link", "/tmp/a", "--device", "/dev/ttyS0"}, {"--link and --device"}},
        {{"--after", "3"}, {"--after", "hangup"}},
        {{"--device", "/dev/ttyS0", "--baud", "1234"}, {"1234", "9600", "115200"}},
        {{"--help=yes"}, {"--help takes no value"}},
    };
    for (const auto& c : cases) {
        const ParsedOptions parsed = parse(c.args);
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        ASSERT_FALSE(parsed.error.empty()) << joined;
        for (const auto& part : c.mentions)
            EXPECT_TRUE(contains(parsed.error, part)) << joined << "-> " << parsed.error;
    }
}

TEST(Options, UsageNamesEveryOptionAndScenario)
{
    const std::string usage = usageText();
    for (const char* part : {"--link", "--device", "--scenario", "--baud", "--after", "--seed", "--help", "normal",
             "silence", "garbage", "slow", "partial", "hangup"})
        EXPECT_TRUE(contains(usage, part)) << part;
}
