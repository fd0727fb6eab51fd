// The scripted stand-in that window tests rely on: it must behave like a library at its edges.
#include "iobench/driver/FakeAdapterDriver.h"
#include "tests/iobench/driver_test_support.h"

namespace {

using namespace driver_test;
using iobench::DriverError;
using iobench::DriverResult;
using iobench::EntryPoint;
using iobench::FakeAdapterDriver;
using iobench::FakeDriverCall;

TEST(DriverFake, RecordsCallsAndWritesOnlyOnSuccess)
{
    FakeAdapterDriver fake;
    fake.handleToGive = 42;
    fake.scriptResult(EntryPoint::KX9_Open, 3);

    int32_t handle = 0;
    EXPECT_EQ(fake.Kestrel_KX9_Open(handle, 544).code(), 3);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(fake.Kestrel_KX9_Open(handle, 544).code(), 0) << "the script is used up";
    EXPECT_EQ(handle, 42);

    fake.scriptRead(packed(0xFF00FF03));
    fake.scriptRead(packed(0xFF00FF02));
    fake.scriptResult(EntryPoint::Direct_Packed_Read, 6);
    int32_t value = kUntouched;
    EXPECT_EQ(fake.Kestrel_Direct_Packed_Read(handle, 0, value).code(), 6);
    EXPECT_EQ(value, kUntouched) << "a failed read consumes no scripted value";
    fake.Kestrel_Direct_Packed_Read(handle, 0, value);
    EXPECT_EQ(value, kPassPattern);
    fake.Kestrel_Direct_Packed_Read(handle, 0, value);
    fake.Kestrel_Direct_Packed_Read(handle, 0, value);
    EXPECT_EQ(value, kLowPattern) << "the last value repeats";

    fake.Kestrel_Direct_Packed_MOMO(handle, 1, -1, 0);
    const std::vector<FakeDriverCall> expected = {
        {EntryPoint::KX9_Open, {0, 544}},
        {EntryPoint::KX9_Open, {0, 544}},
        {EntryPoint::Direct_Packed_Read, {42, 0, kUntouched}},
        {EntryPoint::Direct_Packed_Read, {42, 0, kUntouched}},
        {EntryPoint::Direct_Packed_Read, {42, 0, kPassPattern}},
        {EntryPoint::Direct_Packed_Read, {42, 0, kLowPattern}},
        {EntryPoint::Direct_Packed_MOMO, {42, 1, -1, 0}},
    };
    EXPECT_EQ(fake.calls(), expected);
    EXPECT_EQ(fake.calls().back().toString(), "Kestrel_Direct_Packed_MOMO(42, 1, -1, 0)");
    EXPECT_EQ(fake.callsOf(EntryPoint::KX9_Open).size(), 2u);
}

TEST(DriverFake, MissingPiecesFailLikeTheLoadingDriver)
{
    FakeAdapterDriver fake;
    fake.setStandingResult(EntryPoint::Close, 1);
    EXPECT_EQ(fake.Kestrel_Close(0).code(), 1);
    EXPECT_EQ(fake.Kestrel_Close(0).code(), 1);

    fake.makeMissing(EntryPoint::Direct_Packed_MOMO);
    const DriverResult momo = fake.Kestrel_Direct_Packed_MOMO(1, 0, 0, 0);
    ASSERT_FALSE(momo.performed());
    EXPECT_EQ(momo.code(), DriverResult::kNotPerformed);
    EXPECT_EQ(momo.error()->kind, DriverError::Kind::EntryPointMissing);
    EXPECT_NE(momo.error()->message.find("Kestrel_Direct_Packed_MOMO"), std::string::npos);

    fake.makeLibraryMissing();
    int32_t handle = kUntouched;
    const DriverResult open = fake.Kestrel_PCIKX9_Open(handle, 544);
    ASSERT_FALSE(open.performed());
    EXPECT_EQ(open.error()->kind, DriverError::Kind::LibraryNotFound);
    EXPECT_EQ(handle, kUntouched);
    EXPECT_FALSE(fake.Kestrel_Enable_Debug().performed());
    EXPECT_EQ(fake.calls().size(), 5u) << "calls not made are still recorded as attempted";
}

} // namespace
