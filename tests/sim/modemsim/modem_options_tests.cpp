#include "sim/modemsim/ModemOptions.h"

#include <gtest/gtest.h>

using namespace modemsim;

namespace {

std::string errorFor(std::vector<std::string> args)
{
    ModemOptions options;
    std::string error;
    EXPECT_FALSE(parseModemOptions(args, options, error));
    return error;
}

} // namespace

TEST(ModemOptions, DefaultsAndEveryOption)
{
    ModemOptions options;
    std::string error;
    ASSERT_TRUE(parseModemOptions({}, options, error));
    EXPECT_EQ(options.listenPort, 5555);
    EXPECT_EQ(options.ringInterval, std::chrono::milliseconds(2000));
    EXPECT_EQ(options.speed, 9600u);
    EXPECT_FALSE(options.verbose);

    ASSERT_TRUE(parseModemOptions({"--link", "/tmp/hoistwise-com3", "--listen=0", "--ring-interval", "0.25",
                                   "--speed", "2400", "--verbose"},
                                  options, error))
        << error;
    EXPECT_EQ(options.linkPath, "/tmp/hoistwise-com3");
    EXPECT_EQ(options.listenPort, 0);
    EXPECT_EQ(options.ringInterval, std::chrono::milliseconds(250));
    EXPECT_EQ(options.speed, 2400u);
    EXPECT_TRUE(options.verbose);
}

TEST(ModemOptions, BadArgumentsNameTheProblemAndWhatIsAccepted)
{
    EXPECT_EQ(errorFor({"--listen", "65536"}),
              "--listen needs a TCP port number from 0 to 65535 (0: any free port); got '65536'");
    EXPECT_NE(errorFor({"--listen", "-1"}).find("got '-1'"), std::string::npos);
    EXPECT_NE(errorFor({"--speed", "9601"}).find("one of 300, 1200, 2400, 4800, 9600"), std::string::npos);
    EXPECT_NE(errorFor({"--ring-interval", "0"}).find("from 0.1 to 3600"), std::string::npos);
    EXPECT_NE(errorFor({"--ring-interval", "nan"}).find("got 'nan'"), std::string::npos);
    EXPECT_NE(errorFor({"--ring-interval", "2s"}).find("got '2s'"), std::string::npos);
    EXPECT_EQ(errorFor({"--link"}), "--link needs a path for the link, e.g. /tmp/hoistwise-com3");
    EXPECT_EQ(errorFor({"--verbose=yes"}), "--verbose takes no value; got 'yes'");
    EXPECT_NE(errorFor({"--baud", "9600"}).find("unknown argument '--baud'; accepted: --link PATH"),
              std::string::npos);
    EXPECT_NE(errorFor({"--link", "/tmp/a", "--device", "/dev/ttyS2"}).find("cannot be used with --device"),
              std::string::npos);
}
