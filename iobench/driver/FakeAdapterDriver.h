#pragma once
// A stand-in for the driver library in window tests: records every call with its arguments and
// answers with scripted results. Unscripted calls succeed (0). Open writes `handleToGive` and
// Read writes the next scripted value, each only when the call succeeds, as a library would.
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "iobench/driver/AdapterDriver.h"

namespace iobench {

struct FakeDriverCall {
    EntryPoint entryPoint;
    // By-value arguments in order; for Open and Read the by-reference argument's value on entry
    // comes first, as the library would see it through its pointer.
    std::vector<int32_t> arguments;

    bool operator==(const FakeDriverCall&) const = default;
    // "Kestrel_KX9_Open(0, 544)", for readable test failures.
    std::string toString() const;
};

class FakeAdapterDriver final : public AdapterDriver {
public:
    DriverResult Kestrel_PCIKX9_Open(int32_t& handle, int32_t boardId) override;
    DriverResult Kestrel_KX9_Open(int32_t& handle, int32_t baseAddress) override;
    DriverResult Kestrel_Close(int32_t handle) override;
    DriverResult Kestrel_Direct_Packed_Config(int32_t handle, int32_t bus, int32_t mask) override;
    DriverResult Kestrel_Direct_Packed_Update(int32_t handle, int32_t bus, int32_t value) override;
    DriverResult Kestrel_Direct_Packed_MOMO(int32_t handle, int32_t bus, int32_t mustOn,
                                            int32_t mustOff) override;
    DriverResult Kestrel_Direct_Packed_Read(int32_t handle, int32_t bus, int32_t& value) override;
    DriverResult Kestrel_Enable_Debug() override;
    DriverResult Kestrel_Disable_Debug() override;

    // The next call of `which` answers `result`; several scripts queue up in order.
    void scriptResult(EntryPoint which, DriverResult result);
    // What `which` answers once its queue is empty (0 unless set).
    void setStandingResult(EntryPoint which, DriverResult result);
    // Makes every call of `which` fail as if the library lacked it.
    void makeMissing(EntryPoint which);
    // Makes every call fail as if the library could not be found.
    void makeLibraryMissing();

    // Values successive successful reads write; once used up, the last one repeats (0 at first).
    void scriptRead(int32_t value) { readValues_.push_back(value); }
    int32_t handleToGive = 1;
    // What simulated() answers: whether the "library" is the kit's simulator.
    bool simulatedAdapter = false;
    bool simulated() const override { return simulatedAdapter; }

    const std::vector<FakeDriverCall>& calls() const { return calls_; }
    std::vector<FakeDriverCall> callsOf(EntryPoint which) const;
    void clearCalls() { calls_.clear(); }

private:
    DriverResult answer(EntryPoint which, std::vector<int32_t> arguments);

    std::vector<FakeDriverCall> calls_;
    std::map<EntryPoint, std::deque<DriverResult>> scripted_;
    std::map<EntryPoint, DriverResult> standing_;
    std::deque<int32_t> readValues_;
    int32_t lastRead_ = 0;
};

// An error such as the loading driver reports, for scripting failures by hand.
DriverError fakeDriverError(DriverError::Kind kind, EntryPoint which);

} // namespace iobench
