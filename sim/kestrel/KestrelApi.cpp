// The exported entry points: argument checks, injected faults and the debug trace around the
// point model. One lock serialises every call, as the library may be called from any thread.
#include "sim/kestrel/KestrelApi.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>

#include "sim/kestrel/AdapterRegistry.h"
#include "sim/kestrel/CallTrace.h"
#include "iobench/driver/EntryPoints.h"
#include "sim/kestrel/ResultCodes.h"
#include "sim/kestrel/Scenario.h"

// The bench binds these by name with the signatures below; a mismatch must not compile.
static_assert(std::is_same_v<decltype(&Kestrel_PCIKX9_Open), iobench::kestrel_c::PCIKX9_Open>);
static_assert(std::is_same_v<decltype(&Kestrel_KX9_Open), iobench::kestrel_c::KX9_Open>);
static_assert(std::is_same_v<decltype(&Kestrel_Close), iobench::kestrel_c::Close>);
static_assert(std::is_same_v<decltype(&Kestrel_Direct_Packed_Config), iobench::kestrel_c::Direct_Packed_Config>);
static_assert(std::is_same_v<decltype(&Kestrel_Direct_Packed_Update), iobench::kestrel_c::Direct_Packed_Update>);
static_assert(std::is_same_v<decltype(&Kestrel_Direct_Packed_MOMO), iobench::kestrel_c::Direct_Packed_MOMO>);
static_assert(std::is_same_v<decltype(&Kestrel_Direct_Packed_Read), iobench::kestrel_c::Direct_Packed_Read>);
static_assert(std::is_same_v<decltype(&Kestrel_Enable_Debug), iobench::kestrel_c::Enable_Debug>);
static_assert(std::is_same_v<decltype(&Kestrel_Disable_Debug), iobench::kestrel_c::Disable_Debug>);
static_assert(std::string_view(iobench::kSimulatorMarker) == "Hoistwise_Simulated_Adapter");

namespace {

using namespace kestrel_sim;

std::mutex libraryLock;
AdapterRegistry registry;
CallTrace trace;

// No exception may cross into a C caller.
template <typename Body>
int32_t guarded(Body&& body)
{
    try {
        return body();
    } catch (...) {
        return code::internalFailure;
    }
}

int32_t openAdapter(const char* entryPoint, int32_t* handle, int32_t id, const char* idName)
{
    std::lock_guard lock(libraryLock);
    std::string written;
    const int32_t result = guarded([&] {
        if (!handle)
            return code::nullArgument;
        if (id < 0 || id > 0xFFFF)
            return code::badBoard;
        const char* text = std::getenv("KESTREL_SCENARIO");
        std::string why;
        auto scenario = parseScenario(text ? text : "", why);
        if (!scenario) {
            warn(std::string("KESTREL_SCENARIO=\"") + text + "\" not understood, nothing opened: " + why);
            return code::badScenario;
        }
        if (scenario->openFails)
            return code::injectedFault;
        const int32_t opened = registry.open(std::move(*scenario));
        if (opened == 0)
            return code::tooManyOpen;
        *handle = opened;
        written = "handle=" + std::to_string(opened);
        return code::ok;
    });
    trace.call(entryPoint, std::string("handle=") + (handle ? "&" : "NULL") + ", " + idName + "="
                               + decimalAndHex(id),
               result, written);
    return result;
}

// Checks the handle, the bus and the scenario's fault for this kind of call, then runs `body`.
template <typename Body>
int32_t onBus(int32_t handle, int32_t bus, bool Scenario::*fails, Body&& body)
{
    return guarded([&] {
        PointModel* adapter = registry.find(handle);
        if (!adapter)
            return code::badHandle;
        if (!PointModel::validBus(bus))
            return code::badBus;
        if (adapter->scenario().*fails)
            return code::injectedFault;
        return body(*adapter);
    });
}

std::string handleAndBus(int32_t handle, int32_t bus)
{
    return "handle=" + std::to_string(handle) + ", bus=" + std::to_string(bus);
}

} // namespace

extern "C" {

int32_t Kestrel_PCIKX9_Open(int32_t* handle, int32_t boardId)
{
    return openAdapter("Kestrel_PCIKX9_Open", handle, boardId, "boardId");
}

int32_t Kestrel_KX9_Open(int32_t* handle, int32_t baseAddress)
{
    return openAdapter("Kestrel_KX9_Open", handle, baseAddress, "baseAddress");
}

int32_t Kestrel_Close(int32_t handle)
{
    std::lock_guard lock(libraryLock);
    const int32_t result = guarded([&] {
        PointModel* adapter = registry.find(handle);
        if (!adapter)
            return code::badHandle;
        if (adapter->scenario().closeFails)
            return code::injectedFault;
        registry.close(handle);
        return code::ok;
    });
    trace.call("Kestrel_Close", "handle=" + std::to_string(handle), result);
    return result;
}

int32_t Kestrel_Direct_Packed_Config(int32_t handle, int32_t bus, int32_t mask)
{
    std::lock_guard lock(libraryLock);
    const int32_t result = onBus(handle, bus, &Scenario::configFails, [&](PointModel& adapter) {
        adapter.configure(bus, static_cast<uint32_t>(mask));
        return code::ok;
    });
    trace.call("Kestrel_Direct_Packed_Config", handleAndBus(handle, bus) + ", mask=" + decimalAndHex(mask),
               result);
    return result;
}

int32_t Kestrel_Direct_Packed_Update(int32_t handle, int32_t bus, int32_t value)
{
    std::lock_guard lock(libraryLock);
    const int32_t result = onBus(handle, bus, &Scenario::writeFails, [&](PointModel& adapter) {
        adapter.update(bus, static_cast<uint32_t>(value));
        return code::ok;
    });
    trace.call("Kestrel_Direct_Packed_Update",
               handleAndBus(handle, bus) + ", value=" + decimalAndHex(value), result);
    return result;
}

int32_t Kestrel_Direct_Packed_MOMO(int32_t handle, int32_t bus, int32_t mustOn, int32_t mustOff)
{
    std::lock_guard lock(libraryLock);
    const int32_t result = onBus(handle, bus, &Scenario::momoFails, [&](PointModel& adapter) {
        adapter.momo(bus, static_cast<uint32_t>(mustOn), static_cast<uint32_t>(mustOff));
        return code::ok;
    });
    trace.call("Kestrel_Direct_Packed_MOMO",
               handleAndBus(handle, bus) + ", mustOn=" + decimalAndHex(mustOn)
                   + ", mustOff=" + decimalAndHex(mustOff),
               result);
    return result;
}

int32_t Kestrel_Direct_Packed_Read(int32_t handle, int32_t bus, int32_t* value)
{
    std::lock_guard lock(libraryLock);
    std::string written;
    const int32_t result = onBus(handle, bus, &Scenario::readFails, [&](PointModel& adapter) {
        if (!value)
            return code::nullArgument;
        *value = static_cast<int32_t>(adapter.read(bus));
        written = "value=" + decimalAndHex(*value);
        return code::ok;
    });
    trace.call("Kestrel_Direct_Packed_Read",
               handleAndBus(handle, bus) + ", value=" + (value ? "&" : "NULL"), result, written);
    return result;
}

int32_t Kestrel_Enable_Debug(void)
{
    std::lock_guard lock(libraryLock);
    trace.enabled = true;
    trace.call("Kestrel_Enable_Debug", "", code::ok);
    return code::ok;
}

int32_t Kestrel_Disable_Debug(void)
{
    std::lock_guard lock(libraryLock);
    // Traced before switching off, so the log shows where it ends.
    trace.call("Kestrel_Disable_Debug", "", code::ok);
    trace.enabled = false;
    return code::ok;
}

int32_t Hoistwise_Simulated_Adapter(void) { return 1; }

} // extern "C"
