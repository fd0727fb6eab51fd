// Faults injected through KESTREL_SCENARIO, seen through the driver interface, and the reading
// of the scenario text itself.
#include "iobench/driver/KestrelDriver.h"
#include "sim/kestrel/ResultCodes.h"
#include "sim/kestrel/Scenario.h"
#include "tests/iobench/driver_test_support.h"

namespace {

using namespace driver_test;
namespace code = kestrel_sim::code;
using iobench::KestrelDriver;

class DriverScenario : public DriverEnvironment {
protected:
    // Opens a KX9 under `scenario` and sets bus 0 up for the standard test.
    int32_t openUnder(const char* scenario)
    {
        ::setenv("KESTREL_SCENARIO", scenario, 1);
        int32_t handle = 0;
        EXPECT_EQ(driver.Kestrel_KX9_Open(handle, 0x220).code(), 0) << scenario;
        driver.Kestrel_Direct_Packed_Config(handle, 0, 1);
        return handle;
    }
    // What bus 0 reads after writing `output`, or kUntouched when the read failed.
    int32_t readAfterWriting(int32_t handle, int32_t output)
    {
        driver.Kestrel_Direct_Packed_Update(handle, 0, output);
        int32_t value = kUntouched;
        driver.Kestrel_Direct_Packed_Read(handle, 0, value);
        return value;
    }

    KestrelDriver driver;
};

TEST_F(DriverScenario, OpenFailsUntilTheScenarioIsLifted)
{
    ::setenv("KESTREL_SCENARIO", "open-fails", 1);
    int32_t handle = 0;
    EXPECT_EQ(driver.Kestrel_KX9_Open(handle, 0x220).code(), code::injectedFault);
    EXPECT_EQ(driver.Kestrel_PCIKX9_Open(handle, 0).code(), code::injectedFault);
    EXPECT_EQ(handle, 0) << "a failed open writes no handle";

    ::unsetenv("KESTREL_SCENARIO");
    EXPECT_EQ(driver.Kestrel_KX9_Open(handle, 0x220).code(), 0) << "read again at every open";
    driver.Kestrel_Close(handle);
}

TEST_F(DriverScenario, FailingCallsChangeNothing)
{
    const int32_t reads = openUnder("read-fails");
    int32_t value = kUntouched;
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Read(reads, 0, value).code(), code::injectedFault);
    EXPECT_EQ(value, kUntouched);
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Read(reads, 5, value).code(), code::badBus)
        << "argument checks come before the fault";
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Update(reads, 0, 1).code(), 0);

    const int32_t writes = openUnder("write-fails");
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Update(writes, 0, 1).code(), code::injectedFault);
    EXPECT_EQ(readAfterWriting(writes, 1), kLowPattern);

    const int32_t configs = openUnder("config-fails");
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Config(configs, 0, 1).code(), code::injectedFault);
    EXPECT_EQ(readAfterWriting(configs, 1), kLowPattern) << "point 0 stayed an input";

    const int32_t momos = openUnder("momo-fails");
    EXPECT_EQ(driver.Kestrel_Direct_Packed_MOMO(momos, 0, 0, 1).code(), code::injectedFault);
    EXPECT_EQ(readAfterWriting(momos, 1), kPassPattern);

    const int32_t closes = openUnder("close-fails");
    EXPECT_EQ(driver.Kestrel_Close(closes).code(), code::injectedFault);
    EXPECT_EQ(readAfterWriting(closes, 1), kPassPattern) << "still open after the failed close";

    for (int32_t handle : {reads, writes, configs, momos})
        EXPECT_EQ(driver.Kestrel_Close(handle).code(), 0);
}

TEST_F(DriverScenario, StuckPointsHoldTheirLevel)
{
    const int32_t low = openUnder("stuck:0=0");
    EXPECT_EQ(readAfterWriting(low, 1), kLowPattern) << "the standard test can never pass";

    const int32_t high = openUnder("stuck:16=1");
    EXPECT_EQ(readAfterWriting(high, 1), packed(0xFF01FF03));
    EXPECT_EQ(readAfterWriting(high, 0), packed(0xFF01FF02));
    driver.Kestrel_Direct_Packed_MOMO(high, 0, 0, 0x10000);
    EXPECT_EQ(readAfterWriting(high, 0), kLowPattern) << "must-off still masks a stuck point";

    int32_t value = 0;
    driver.Kestrel_Direct_Packed_Read(high, 1, value);
    EXPECT_EQ(value, packed(0xFF01FF02)) << "faults hold on both buses";
    driver.Kestrel_Close(low);
    driver.Kestrel_Close(high);
}

TEST_F(DriverScenario, ShortedPointsShareALevel)
{
    const int32_t apart = openUnder("short:0,2");
    EXPECT_EQ(readAfterWriting(apart, 1), packed(0xFF00FF07));
    EXPECT_EQ(readAfterWriting(apart, 0), kLowPattern);

    // Shorted to the plug's high line, the output reads the pass pattern whatever is written.
    const int32_t toHigh = openUnder("short:1,0");
    EXPECT_EQ(readAfterWriting(toHigh, 0), kPassPattern);

    // Listed far end first, so the level has to travel along the chain.
    const int32_t chain = openUnder(" short:3,20 ; short:0,3 ;stuck:24=0 ");
    EXPECT_EQ(readAfterWriting(chain, 1), packed(0xFE10FF0B));
    for (int32_t handle : {apart, toHigh, chain})
        driver.Kestrel_Close(handle);
}

TEST_F(DriverScenario, TheScenarioIsFixedWhenTheAdapterOpens)
{
    const int32_t stuck = openUnder("stuck:0=0");
    ::unsetenv("KESTREL_SCENARIO");
    EXPECT_EQ(readAfterWriting(stuck, 1), kLowPattern);
    const int32_t sound = openUnder("normal");
    EXPECT_EQ(readAfterWriting(sound, 1), kPassPattern);
    driver.Kestrel_Close(stuck);
    driver.Kestrel_Close(sound);
}

TEST_F(DriverScenario, AnUnreadableScenarioOpensNothingAndSaysWhy)
{
    ::setenv("KESTREL_SCENARIO", "stuck:40=1", 1);
    int32_t handle = 0;
    StderrCapture capture;
    EXPECT_EQ(driver.Kestrel_KX9_Open(handle, 0x220).code(), code::badScenario);
    const std::string text = capture.text();
    EXPECT_EQ(handle, 0);
    EXPECT_NE(text.find("KESTREL_SCENARIO=\"stuck:40=1\""), std::string::npos) << text;
    EXPECT_NE(text.find("names no point 0-31"), std::string::npos) << text;
    EXPECT_NE(text.find("accepted:"), std::string::npos) << text;
}

TEST(DriverScenarioText, BadTextsSayWhatIsWrong)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"read-fail", "unknown fault \"read-fail\""},
        {"READ-FAILS", "unknown fault"},
        {"stuck:3", "has no '='"},
        {"stuck:=1", "names no point"},
        {"stuck:32=1", "names no point"},
        {"stuck:-1=1", "names no point"},
        {"stuck:3=2", "must end in =0 or =1"},
        {"stuck:0x3=1", "names no point"},
        {"short:4", "needs two points"},
        {"short:4,4", "shorts a point to itself"},
        {"short:4,99", "names no two points"},
        {"normal;bogus", "unknown fault \"bogus\""},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        std::string why;
        EXPECT_FALSE(kestrel_sim::parseScenario(text, why));
        EXPECT_NE(why.find(expected), std::string::npos) << why;
        EXPECT_NE(why.find("accepted:"), std::string::npos) << why;
    }
}

TEST(DriverScenarioText, GoodTextsAreReadWhole)
{
    std::string why;
    for (const char* none : {"", "normal", " ; ;", "  normal  "}) {
        const auto scenario = kestrel_sim::parseScenario(none, why);
        ASSERT_TRUE(scenario) << none << ": " << why;
        EXPECT_FALSE(scenario->readFails || scenario->openFails || !scenario->stuck.empty()
                     || !scenario->shorts.empty());
    }

    const auto scenario = kestrel_sim::parseScenario(
        "open-fails;config-fails;write-fails;momo-fails;read-fails;close-fails;stuck:31=1;"
        "stuck: 5 = 0;short:0,31",
        why);
    ASSERT_TRUE(scenario) << why;
    EXPECT_TRUE(scenario->openFails && scenario->configFails && scenario->writeFails
                && scenario->momoFails && scenario->readFails && scenario->closeFails);
    ASSERT_EQ(scenario->stuck.size(), 2u);
    EXPECT_EQ(scenario->stuck[0].point, 31);
    EXPECT_TRUE(scenario->stuck[0].level);
    EXPECT_EQ(scenario->stuck[1].point, 5);
    EXPECT_FALSE(scenario->stuck[1].level);
    ASSERT_EQ(scenario->shorts.size(), 1u);
    EXPECT_EQ(scenario->shorts[0].first, 0);
    EXPECT_EQ(scenario->shorts[0].second, 31);
}

} // namespace
