// Finding the driver library and its entry points, and what the caller gets when they are missing.
#include <dlfcn.h>
#include <sys/stat.h>

#include <fstream>
#include <future>

#include "iobench/driver/KestrelDriver.h"
#include "serial/OutsideText.h"
#include "sim/kestrel/ResultCodes.h"
#include "tests/iobench/driver_test_support.h"

namespace {

using namespace driver_test;
using iobench::DriverError;
using iobench::DriverResult;
using iobench::EntryPoint;
using iobench::KestrelDriver;
using iobench::LibrarySearch;

namespace fs = std::filesystem;

class DriverLoading : public DriverEnvironment {};

// Calls every entry point once; the results in entry point order.
std::vector<DriverResult> callEveryEntryPoint(KestrelDriver& driver)
{
    int32_t handle = kUntouched;
    int32_t value = kUntouched;
    std::vector<DriverResult> results = {
        driver.Kestrel_PCIKX9_Open(handle, 1),
        driver.Kestrel_KX9_Open(handle, 0x220),
        driver.Kestrel_Close(handle),
        driver.Kestrel_Direct_Packed_Config(handle, 0, 1),
        driver.Kestrel_Direct_Packed_Update(handle, 0, 1),
        driver.Kestrel_Direct_Packed_MOMO(handle, 0, 0, 0),
        driver.Kestrel_Direct_Packed_Read(handle, 0, value),
        driver.Kestrel_Enable_Debug(),
        driver.Kestrel_Disable_Debug(),
    };
    EXPECT_EQ(handle, kUntouched);
    EXPECT_EQ(value, kUntouched);
    return results;
}

TEST_F(DriverLoading, TheVariableComesFirstAndNamesTheFile)
{
    ScratchFolder folder;
    const fs::path copy = folder.path() / "libKestrel.so";
    fs::copy_file(kSimLibrary, copy);
    ::setenv("KESTREL_LIBRARY", copy.c_str(), 1);

    KestrelDriver driver;
    EXPECT_TRUE(driver.libraryPath().empty()) << "nothing is loaded before the first call";
    int32_t handle = 0;
    EXPECT_TRUE(driver.Kestrel_KX9_Open(handle, 0x220).succeeded());
    EXPECT_NE(handle, 0);
    EXPECT_EQ(driver.libraryPath(), copy.string());
    EXPECT_EQ(driver.loadedFrom(), "KESTREL_LIBRARY=" + copy.string());
    EXPECT_TRUE(driver.simulated());
    EXPECT_EQ(driver.Kestrel_Close(handle).code(), 0);
}

TEST_F(DriverLoading, TheProgramFolderServesWithoutTheVariable)
{
    KestrelDriver driver;
    int32_t handle = 0;
    ASSERT_TRUE(driver.Kestrel_KX9_Open(handle, 0x220).succeeded());
    EXPECT_EQ(fs::canonical(driver.libraryPath()), fs::canonical(kSimLibrary));
    EXPECT_NE(driver.loadedFrom().find("program's folder"), std::string::npos) << driver.loadedFrom();
    EXPECT_EQ(driver.Kestrel_Close(handle).code(), 0);
}

TEST_F(DriverLoading, ASetVariableThatCannotLoadIsTheOnlyPlaceTried)
{
    // The program's folder holds the simulator all along: none of these may fall back to it.
    ScratchFolder folder;
    const fs::path fifo = folder.path() / "fifo.so";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path text = folder.path() / "notes.so";
    std::ofstream(text) << std::string(200, '#') << "\n"; // longer than an ELF header
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {(folder.path() / "gone" / "libKestrel.so").string(), "No such file"},
        {folder.path().string(), "it is a folder, not a library file"},
        {fifo.string(), "it is a FIFO (named pipe), not a library file"},
        {"/dev/zero", "it is a character device, not a library file"},
        {text.string(), "invalid ELF header"},
        {(folder.path() / "\033]0;x\007.so").string(), "No such file"},   // shown escaped, never as a sequence
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ::setenv("KESTREL_LIBRARY", c.path.c_str(), 1);
        // Opening a FIFO would wait for a writer for ever: the call runs aside with a deadline.
        auto call = std::async(std::launch::async, [] {
            KestrelDriver driver;
            int32_t handle = kUntouched;
            return driver.Kestrel_KX9_Open(handle, 0x220);
        });
        if (call.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "loading blocked";
            std::_Exit(1);
        }
        const DriverResult result = call.get();
        ASSERT_FALSE(result.performed());
        const DriverError& error = *result.error();
        EXPECT_EQ(error.kind, DriverError::Kind::LibraryNotFound);
        ASSERT_EQ(error.placesLooked.size(), 1u);
        EXPECT_NE(error.message.find("KESTREL_LIBRARY=" + serial::printable(c.path)), std::string::npos) << error.message;
        EXPECT_NE(error.message.find(c.reason), std::string::npos) << error.message;
        EXPECT_EQ(error.message.find('\033'), std::string::npos) << error.message;
        EXPECT_NE(error.message.find("no other place was tried"), std::string::npos) << error.message;
    }
}

TEST_F(DriverLoading, NoLibraryAnywhereNamesEveryPlaceAndMakesNoCall)
{
    // Otherwise the system path search would find a copy still loaded by an earlier test.
    ASSERT_EQ(::dlopen("libKestrel.so", RTLD_NOW | RTLD_NOLOAD), nullptr);

    ScratchFolder emptyFolder;
    LibrarySearch search;
    search.programFolder = emptyFolder.path().string();
    search.privateFolder = (emptyFolder.path() / "kit").string();

    KestrelDriver driver(search);
    const std::vector<DriverResult> results = callEveryEntryPoint(driver);
    for (std::size_t i = 0; i < results.size(); ++i) {
        const auto which = static_cast<EntryPoint>(i);
        const std::string name(iobench::entryPointName(which));
        SCOPED_TRACE(name);
        ASSERT_FALSE(results[i].performed());
        EXPECT_EQ(results[i].code(), DriverResult::kNotPerformed);
        const DriverError& error = *results[i].error();
        EXPECT_EQ(error.kind, DriverError::Kind::LibraryNotFound);
        EXPECT_EQ(error.entryPoint, which);
        EXPECT_EQ(error.library, "libKestrel.so");
        ASSERT_EQ(error.placesLooked.size(), 4u);
        EXPECT_NE(error.message.find(name), std::string::npos) << error.message;
        EXPECT_NE(error.message.find("No such file"), std::string::npos) << error.message;
        // Every place, in the order tried: the kit's own folder last.
        size_t at = 0;
        for (const std::string& place :
             {std::string("KESTREL_LIBRARY (not set)"), (emptyFolder.path() / "libKestrel.so").string(),
              std::string("system's library path"), (emptyFolder.path() / "kit" / "libKestrel.so").string()}) {
            at = error.message.find(place, at);
            EXPECT_NE(at, std::string::npos) << place << " in order in:\n" << error.message;
        }
    }
    EXPECT_TRUE(driver.libraryPath().empty());
}

TEST_F(DriverLoading, TheKitsFolderServesLastAndSaysTheSimulatorIsInUse)
{
    ScratchFolder programFolder;
    ScratchFolder kitFolder;
    fs::copy_file(kSimLibrary, kitFolder.path() / "libKestrel.so");
    LibrarySearch search;
    search.programFolder = programFolder.path().string();
    search.privateFolder = kitFolder.path().string();

    KestrelDriver fromKit(search);
    EXPECT_FALSE(fromKit.simulated()) << "nothing is loaded before the first call";
    EXPECT_TRUE(fromKit.Kestrel_Enable_Debug().performed());
    EXPECT_EQ(fromKit.libraryPath(), (kitFolder.path() / "libKestrel.so").string());
    EXPECT_TRUE(fromKit.simulated());

    // A library found earlier in the order wins; a vendor's one lacks the marker.
    fs::copy_file(kPartialLibrary, programFolder.path() / "libKestrel.so");
    KestrelDriver fromProgram(search);
    EXPECT_TRUE(fromProgram.Kestrel_Close(77).performed());
    EXPECT_EQ(fromProgram.libraryPath(), (programFolder.path() / "libKestrel.so").string());
    EXPECT_FALSE(fromProgram.simulated());
}

TEST_F(DriverLoading, ALibraryPutInPlaceLaterIsFoundAtTheNextCall)
{
    ScratchFolder emptyFolder;
    LibrarySearch search;
    search.programFolder = emptyFolder.path().string();
    search.systemPath = false;
    KestrelDriver driver(search);

    int32_t handle = 0;
    EXPECT_FALSE(driver.Kestrel_KX9_Open(handle, 0x220).performed());
    fs::copy_file(kSimLibrary, emptyFolder.path() / "libKestrel.so");
    EXPECT_TRUE(driver.Kestrel_KX9_Open(handle, 0x220).succeeded());
    EXPECT_EQ(driver.Kestrel_Close(handle).code(), 0);
}

TEST_F(DriverLoading, AMissingEntryPointIsNamedAndTheOthersStillWork)
{
    ::setenv("KESTREL_LIBRARY", kPartialLibrary.c_str(), 1);
    KestrelDriver driver;

    int32_t handle = 0;
    ASSERT_TRUE(driver.Kestrel_KX9_Open(handle, 0x220).succeeded());
    EXPECT_EQ(handle, 77);

    for (int attempt = 0; attempt < 2; ++attempt) {
        const DriverResult momo = driver.Kestrel_Direct_Packed_MOMO(handle, 0, 1, 2);
        ASSERT_FALSE(momo.performed());
        EXPECT_EQ(momo.code(), DriverResult::kNotPerformed);
        const DriverError& error = *momo.error();
        EXPECT_EQ(error.kind, DriverError::Kind::EntryPointMissing);
        EXPECT_EQ(error.entryPoint, EntryPoint::Direct_Packed_MOMO);
        EXPECT_EQ(error.library, kPartialLibrary);
        EXPECT_NE(error.message.find("Kestrel_Direct_Packed_MOMO"), std::string::npos) << error.message;
        EXPECT_NE(error.message.find(kPartialLibrary), std::string::npos) << error.message;
        EXPECT_NE(error.message.find("KESTREL_LIBRARY="), std::string::npos) << error.message;
    }

    int32_t value = 0;
    EXPECT_TRUE(driver.Kestrel_Direct_Packed_Config(handle, 0, 1).succeeded());
    EXPECT_TRUE(driver.Kestrel_Direct_Packed_Update(handle, 0, 1).succeeded());
    EXPECT_TRUE(driver.Kestrel_Direct_Packed_Read(handle, 0, value).succeeded());
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(driver.Kestrel_Close(handle).code(), 0);
    EXPECT_EQ(driver.Kestrel_Close(5).code(), 9) << "the library's own failure comes through as is";
}

TEST_F(DriverLoading, ResetUnloadsAndTheNextCallSearchesAgain)
{
    ::setenv("KESTREL_LIBRARY", kPartialLibrary.c_str(), 1);
    KestrelDriver driver;
    EXPECT_FALSE(driver.Kestrel_Direct_Packed_MOMO(1, 0, 0, 0).performed());

    driver.reset();
    EXPECT_TRUE(driver.libraryPath().empty());
    ::setenv("KESTREL_LIBRARY", kSimLibrary.c_str(), 1);
    // The simulator has MOMO; it refuses the unknown handle with its own code.
    EXPECT_EQ(driver.Kestrel_Direct_Packed_MOMO(1, 0, 0, 0).code(), kestrel_sim::code::badHandle);
    EXPECT_EQ(driver.libraryPath(), kSimLibrary);
}

} // namespace
