// The driver interface against the simulated library, loaded by name from the program's folder:
// the bench's standard test, the point model and the library's refusals.
#include <set>

#include "iobench/driver/KestrelDriver.h"
#include "sim/kestrel/ResultCodes.h"
#include "tests/iobench/driver_test_support.h"

namespace {

using namespace driver_test;
namespace code = kestrel_sim::code;
using iobench::KestrelDriver;

class DriverSimulator : public DriverEnvironment {
protected:
    int32_t openKx9()
    {
        int32_t handle = 0;
        EXPECT_EQ(driver.Kestrel_KX9_Open(handle, 0x220).code(), 0);
        EXPECT_NE(handle, 0);
        return handle;
    }
    // The packed reading, or kUntouched when the read failed.
    int32_t read(int32_t handle, int32_t bus = 0)
    {
        int32_t value = kUntouched;
        const auto result = driver.Kestrel_Direct_Packed_Read(handle, bus, value);
        return result.succeeded() ? value : kUntouched;
    }

    KestrelDriver driver;
};

TEST_F(DriverSimulator, StandardBenchSequencePasses)
{
    const int32_t handle = openKx9();
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Config(handle, 0, 1).code(), 0);
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Update(handle, 0, 1).code(), 0);
    EXPECT_EQ(read(handle), kPassPattern);
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Update(handle, 0, 0).code(), 0);
    EXPECT_EQ(read(handle), kLowPattern);
    EXPECT_EQ(driver.Kestrel_Close(handle).code(), 0);
    EXPECT_EQ(driver.Kestrel_Close(handle).code(), code::badHandle) << "a second close must fail";

    // The PCI-KX9 open, with the box's "220" as board id, serves just the same.
    int32_t pci = 0;
    ASSERT_EQ(driver.Kestrel_PCIKX9_Open(pci, 544).code(), 0);
    EXPECT_NE(pci, handle) << "a closed handle is never handed out again";
    driver.Kestrel_Direct_Packed_Config(pci, 0, 1);
    driver.Kestrel_Direct_Packed_Update(pci, 0, 1);
    EXPECT_EQ(read(pci), kPassPattern);
    EXPECT_EQ(driver.Kestrel_Close(pci).code(), 0);
}

TEST_F(DriverSimulator, MustOnAndMustOffForceWhatIsRead)
{
    const int32_t handle = openKx9();
    driver.Kestrel_Direct_Packed_Config(handle, 0, 1);
    driver.Kestrel_Direct_Packed_Update(handle, 0, 1);

    EXPECT_EQ(driver.Kestrel_Direct_Packed_MOMO(handle, 0, 0x10, 0).code(), 0);
    EXPECT_EQ(read(handle), packed(0xFF00FF13));
    driver.Kestrel_Direct_Packed_MOMO(handle, 0, 0, 0x1);
    EXPECT_EQ(read(handle), kLowPattern) << "must-off hides the written 1";
    driver.Kestrel_Direct_Packed_MOMO(handle, 0, 0x30000, 0x10000);
    EXPECT_EQ(read(handle), packed(0xFF02FF03)) << "must-off wins over must-on";
    driver.Kestrel_Direct_Packed_MOMO(handle, 0, -1, 0); // the bench's "FFFF"
    EXPECT_EQ(read(handle), packed(0xFFFFFFFF));
    EXPECT_EQ(read(handle, 1), kLowPattern) << "masks belong to their bus";
    driver.Kestrel_Direct_Packed_MOMO(handle, 0, 0, 0);
    EXPECT_EQ(read(handle), kPassPattern);
    driver.Kestrel_Close(handle);
}

TEST_F(DriverSimulator, OutputsReadBackAndInputsFollowThePlug)
{
    const int32_t handle = openKx9();
    EXPECT_EQ(read(handle), kLowPattern) << "a fresh adapter: all inputs";

    driver.Kestrel_Direct_Packed_Config(handle, 0, 0xF);
    driver.Kestrel_Direct_Packed_Update(handle, 0, 0x5);
    EXPECT_EQ(read(handle), packed(0xFF00FF05));
    driver.Kestrel_Direct_Packed_Update(handle, 0, 0xF0);
    EXPECT_EQ(read(handle), packed(0xFF00FF00)) << "bits written to inputs stay unseen";

    driver.Kestrel_Direct_Packed_Config(handle, 0, 0);
    EXPECT_EQ(read(handle), kLowPattern);
    driver.Kestrel_Direct_Packed_Config(handle, 0, 0xFF);
    EXPECT_EQ(read(handle), packed(0xFF00FFF0)) << "the latch keeps the last value written";

    driver.Kestrel_Direct_Packed_Config(handle, 1, 1);
    driver.Kestrel_Direct_Packed_Update(handle, 1, 1);
    EXPECT_EQ(read(handle, 1), kPassPattern);
    EXPECT_EQ(read(handle, 0), packed(0xFF00FFF0)) << "bus 1 leaves bus 0 alone";

    // Point 31 is the sign bit of the packed value.
    driver.Kestrel_Direct_Packed_Config(handle, 1, packed(0x80000000));
    driver.Kestrel_Direct_Packed_Update(handle, 1, 0);
    EXPECT_EQ(read(handle, 1), packed(0x7F00FF02));
    driver.Kestrel_Close(handle);
}

TEST_F(DriverSimulator, BadHandlesBusesAndAddressesAreRefused)
{
    int32_t unused = kUntouched;
    EXPECT_EQ(driver.Kestrel_Close(0).code(), code::badHandle) << "the bench's exit before any open";
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Read(12345, 0, unused).code(), code::badHandle);
    EXPECT_EQ(driver.Kestrel_KX9_Open(unused, -1).code(), code::badBoard);
    EXPECT_EQ(driver.Kestrel_PCIKX9_Open(unused, 0x10000).code(), code::badBoard);
    EXPECT_EQ(unused, kUntouched);

    const int32_t handle = openKx9();
    for (int32_t bus : {2, -1, 65536}) {
        SCOPED_TRACE(bus);
        EXPECT_EQ(driver.Kestrel_Direct_Packed_Config(handle, bus, 1).code(), code::badBus);
        EXPECT_EQ(driver.Kestrel_Direct_Packed_Update(handle, bus, 1).code(), code::badBus);
        EXPECT_EQ(driver.Kestrel_Direct_Packed_MOMO(handle, bus, 1, 0).code(), code::badBus);
        EXPECT_EQ(driver.Kestrel_Direct_Packed_Read(handle, bus, unused).code(), code::badBus);
    }
    EXPECT_EQ(unused, kUntouched);

    driver.Kestrel_Close(handle);
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Config(handle, 0, 1).code(), code::badHandle);
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Update(handle, 0, 1).code(), code::badHandle);
    EXPECT_EQ(driver.Kestrel_Direct_Packed_MOMO(handle, 0, 1, 0).code(), code::badHandle);
    EXPECT_EQ(driver.Kestrel_Direct_Packed_Read(handle, 0, unused).code(), code::badHandle);
}

TEST_F(DriverSimulator, OpenAdaptersAreBoundedAndIndependent)
{
    std::set<int32_t> handles;
    for (int i = 0; i < 16; ++i)
        handles.insert(openKx9());
    EXPECT_EQ(handles.size(), 16u);

    int32_t extra = kUntouched;
    EXPECT_EQ(driver.Kestrel_KX9_Open(extra, 0x220).code(), code::tooManyOpen);
    EXPECT_EQ(extra, kUntouched);

    const int32_t first = *handles.begin();
    const int32_t second = *std::next(handles.begin());
    driver.Kestrel_Direct_Packed_Config(first, 0, 1);
    driver.Kestrel_Direct_Packed_Update(first, 0, 1);
    EXPECT_EQ(read(first), kPassPattern);
    EXPECT_EQ(read(second), kLowPattern);

    EXPECT_EQ(driver.Kestrel_Close(first).code(), 0);
    EXPECT_EQ(driver.Kestrel_KX9_Open(extra, 0x220).code(), 0);
    handles.erase(first);
    handles.insert(extra);
    for (int32_t handle : handles)
        EXPECT_EQ(driver.Kestrel_Close(handle).code(), 0);
}

TEST_F(DriverSimulator, DebugSwitchTracesEveryCallToStandardError)
{
    StderrCapture capture;
    EXPECT_EQ(driver.Kestrel_Enable_Debug().code(), 0) << "works before any adapter is open";
    const int32_t handle = openKx9();
    driver.Kestrel_Direct_Packed_Config(handle, 0, 1);
    driver.Kestrel_Direct_Packed_Update(handle, 0, 1);
    read(handle);
    int32_t unused = 0;
    driver.Kestrel_Direct_Packed_Read(handle, 7, unused);
    EXPECT_EQ(driver.Kestrel_Disable_Debug().code(), 0);
    driver.Kestrel_Close(handle);
    const std::string text = capture.text();

    const std::string h = std::to_string(handle);
    for (const std::string& line : {
             std::string("[Kestrel] Kestrel_Enable_Debug() -> 0\n"),
             "[Kestrel] Kestrel_KX9_Open(handle=&, baseAddress=544 (0x00000220)) -> 0, handle=" + h + "\n",
             "[Kestrel] Kestrel_Direct_Packed_Config(handle=" + h + ", bus=0, mask=1 (0x00000001)) -> 0\n",
             "[Kestrel] Kestrel_Direct_Packed_Update(handle=" + h + ", bus=0, value=1 (0x00000001)) -> 0\n",
             "[Kestrel] Kestrel_Direct_Packed_Read(handle=" + h
                 + ", bus=0, value=&) -> 0, value=-16711933 (0xFF00FF03)\n",
             "[Kestrel] Kestrel_Direct_Packed_Read(handle=" + h + ", bus=7, value=&) -> 2\n",
             std::string("[Kestrel] Kestrel_Disable_Debug() -> 0\n"),
         })
        EXPECT_NE(text.find(line), std::string::npos) << "missing: " << line << "in:\n" << text;
    EXPECT_EQ(text.find("Kestrel_Close"), std::string::npos) << "traced after the switch went off";
}

} // namespace
