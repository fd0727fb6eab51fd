// Which device a port number names, and what the ports file may hold.
#include "serial/NetworkEndpoint.h"
#include "serial/PortMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>


namespace {

struct PrecedenceCase {
    const char* commandLine;   // nullptr: not given
    const char* environment;
    const char* fileLine;
    serial::PortMapping expected;
};

class PortPrecedence : public ::testing::TestWithParam<PrecedenceCase> {
protected:
    ~PortPrecedence() override { ::unsetenv("HOISTWISE_COM2"); }
};

TEST_P(PortPrecedence, FirstOfCommandLineEnvironmentFileDefaultWins)
{
    const PrecedenceCase& c = GetParam();
    serial::PortMap map(serial::PortsFile::parse(std::string("# bench PC\n") + (c.fileLine ? c.fileLine : "")));
    if (c.commandLine)
        map.mapFromCommandLine(2, c.commandLine);
    if (c.environment)
        ::setenv("HOISTWISE_COM2", c.environment, 1);
    else
        ::unsetenv("HOISTWISE_COM2");

    const serial::PortMapping got = map.lookup(2);
    EXPECT_EQ(got.device, c.expected.device);
    EXPECT_EQ(got.origin, c.expected.origin);
    EXPECT_EQ(map.lookup(1).device, "/dev/ttyS0");   // other numbers keep their default
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortPrecedence,
    ::testing::Values(
        PrecedenceCase{"/dev/a", "/dev/b", "COM2=/dev/c", {"/dev/a", "--port"}},
        PrecedenceCase{nullptr, "/dev/b", "COM2=/dev/c", {"/dev/b", "HOISTWISE_COM2"}},
        PrecedenceCase{"/dev/a", nullptr, "COM2=/dev/c", {"/dev/a", "--port"}},
        PrecedenceCase{nullptr, nullptr, "COM2=/dev/c", {"/dev/c", "ports.conf line 2"}},
        PrecedenceCase{nullptr, "", "com2 = /dev/c", {"/dev/c", "ports.conf line 2"}},   // empty: not set
        PrecedenceCase{nullptr, nullptr, nullptr, {"/dev/ttyS1", ""}}));

TEST(PortsFile, MalformedLinesAreNamedByNumberOnceAndIgnored)
{
    const serial::PortsFile file = serial::PortsFile::parse("[ports]\r\n"
                                            "; the workshop adapters\n"
                                            "COM1=/dev/serial/by-id/usb-FTDI_A1-if00-port0   # blue cable\n"
                                            "/dev/ttyUSB1\n"
                                            "COMX=/dev/ttyUSB2\n"
                                            "COM0=/dev/ttyUSB3\n"
                                            "COM4=\n"
                                            "COM1=/dev/ttyUSB5\n"
                                            "[modems]\n"
                                            "  3 = /dev/ttyACM0  ");
    ASSERT_EQ(file.ports.size(), 2u);
    EXPECT_EQ(file.ports.at(1).device, "/dev/serial/by-id/usb-FTDI_A1-if00-port0");
    EXPECT_EQ(file.ports.at(1).line, 3);
    EXPECT_EQ(file.ports.at(3).device, "/dev/ttyACM0");

    const std::vector<std::string> expected{
        "line 4: \"/dev/ttyUSB1\" is not a port mapping: write COM<n>=DEVICE, for example COM1=/dev/ttyUSB0; "
        "the line is ignored",
        "line 5: \"COMX\" is not a port: ports are named COM1, COM2 and so on; the line is ignored",
        "line 6: \"COM0\" is not a port: ports are named COM1, COM2 and so on; the line is ignored",
        "line 7: COM4 names no device; the line is ignored",
        "line 8: COM1 is already mapped on line 3; the line is ignored",
        "line 9: \"[modems]\" is not the file's one section, [ports]; the line is ignored",
    };
    EXPECT_EQ(file.problems, expected);
}

TEST(PortsFile, AMissingFileMapsNothingQuietlyAndAnUnreadableOneSaysSo)
{
    const auto folder = std::filesystem::temp_directory_path();
    const serial::PortsFile missing = serial::PortsFile::read((folder / "hoistwise-no-such-ports.conf").string());
    EXPECT_TRUE(missing.ports.empty());
    EXPECT_TRUE(missing.problems.empty());

    const serial::PortsFile folderInstead = serial::PortsFile::read(folder.string());
    ASSERT_EQ(folderInstead.problems.size(), 1u);
    EXPECT_EQ(folderInstead.problems[0], "is a folder, not a file; no port is mapped by it");
}

TEST(PortsFile, LivesUnderXdgConfigHomeOrDotConfig)
{
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::string config = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    ::setenv("XDG_CONFIG_HOME", "/srv/cfg", 1);
    EXPECT_EQ(serial::PortsFile::defaultPath(), "/srv/cfg/hoistwise/ports.conf");
    ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    ::setenv("HOME", "/home/tech", 1);
    EXPECT_EQ(serial::PortsFile::defaultPath(), "/home/tech/.config/hoistwise/ports.conf");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

} // namespace

namespace {

struct NetworkCase {
    const char* value;
    const char* expected;   // the gensio stack it connects with, or words of its refusal
};

class NetworkMapping : public ::testing::TestWithParam<NetworkCase> {};

TEST_P(NetworkMapping, WellFormedValuesGiveTheirStackOthersAreRefusedSayingWhatIsAccepted)
{
    const NetworkCase& c = GetParam();
    const serial::PortsFile file = serial::PortsFile::parse(std::string("COM3=") + c.value);
    serial::NetworkEndpoint endpoint;
    if (const auto problem = serial::NetworkEndpoint::parse(c.value, endpoint)) {
        EXPECT_NE(problem->find(c.expected), std::string::npos) << *problem;
        EXPECT_NE(problem->find("write rfc2217://HOST:PORT, rfc2217s://HOST:PORT"), std::string::npos);
        ASSERT_EQ(file.problems.size(), 1u);
        EXPECT_EQ(file.problems[0], "line 1: COM3: " + *problem + "; the line is ignored");
    } else {
        EXPECT_EQ(endpoint.gensioString(), c.expected);
        EXPECT_EQ(file.ports.at(3).device, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NetworkMapping,
    ::testing::Values(
        NetworkCase{"rfc2217://mr3.example:3001", "telnet(rfc2217),tcp,mr3.example,3001"},
        NetworkCase{"RFC2217://10.1.2.3:3001/", "telnet(rfc2217),tcp,10.1.2.3,3001"},
        NetworkCase{"rfc2217s://[fd00::5]:3001", "telnet(rfc2217),ssl,tcp,fd00::5,3001"},
        NetworkCase{"rfc2217s://mr3:3001?ca=/etc/site ca.pem&cert=/c.pem&key=/k.pem",
                    "telnet(rfc2217),ssl(CA=\"/etc/site ca.pem\",cert=\"/c.pem\",key=\"/k.pem\"),tcp,mr3,3001"},
        NetworkCase{"tcp://localhost:2000", "tcp,localhost,2000"},
        NetworkCase{"rfc2217://mr3.example", "(no port number)"},
        NetworkCase{"rfc2217://mr3:70000", "(\"70000\" is not a port number)"},
        NetworkCase{"rfc2217://:3001", "(no host)"},
        NetworkCase{"rfc2217://fd00::5:3001", "an IPv6 address goes in brackets"},
        NetworkCase{"rfc2217s://[fd00::5:3001", "no closing bracket"},
        NetworkCase{"telnet://mr3:23", "unknown kind \"telnet://\""},
        NetworkCase{"tcp://mr3:23?ca=/a.pem", "only rfc2217s:// takes ca=, cert= and key="},
        NetworkCase{"rfc2217s://mr3:23?cert=/c.pem", "cert= needs the key="},
        NetworkCase{"rfc2217s://mr3:23?key=/k.pem", "key= needs the cert="},
        NetworkCase{"rfc2217://tech:pw@mr3:23", "a user name or password is not taken here"},
        NetworkCase{"rfc2217s://mr3:23?pin=1", "unknown setting \"pin\""}));

} // namespace
