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

// One exported call: under the library's lock, with no exception let out into the C caller,
// and traced with its arguments and what it wrote for the caller.
template <typename Body>
int32_t traced(const char* entryPoint, const std::string& arguments, Body&& body)
{
    std::lock_guard lock(libraryLock);
    std::string written;
    int32_t result;
    try {
        result = body(written);
    } catch (...) {
        result = code::internalFailure;
    }
    trace.call(entryPoint, arguments, result, written);
    return result;
}

int32_t openAdapter(const char* entryPoint, int32_t* handle, int32_t id, const char* idName)
{
    const std::string arguments =
        std::string("handle=") + (handle ? "&" : "NULL") + ", " + idName + "=" + decimalAndHex(id);
    return traced(entryPoint, arguments, [&](std::string& written) {
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
}

// A traced call on one bus of an open adapter: checks the handle, the bus and the scenario's
// fault for this kind of call, then runs `body`. `more` follows the handle and bus in the trace.
template <typename Body>
int32_t onBus(const char* entryPoint, int32_t handle, int32_t bus, const std::string& more, bool Scenario::*fails,
              Body&& body)
{
    const std::string arguments = "handle=" + std::to_string(handle) + ", bus=" + std::to_string(bus) + more;
    return traced(entryPoint, arguments, [&](std::string& written) {
        PointModel* adapter = registry.find(handle);
        if (!adapter)
            return code::badHandle;
        if (!PointModel::validBus(bus))
            return code::badBus;
        if (adapter->scenario().*fails)
            return code::injectedFault;
        return body(*adapter, written);
    });
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
    return traced("Kestrel_Close", "handle=" + std::to_string(handle), [&](std::string&) {
        PointModel* adapter = registry.find(handle);
        if (!adapter)
            return code::badHandle;
        if (adapter->scenario().closeFails)
            return code::injectedFault;
        registry.close(handle);
        return code::ok;
    });
}

int32_t Kestrel_Direct_Packed_Config(int32_t handle, int32_t bus, int32_t mask)
{
    return onBus("Kestrel_Direct_Packed_Config", handle, bus, ", mask=" + decimalAndHex(mask), &Scenario::configFails,
                 [&](PointModel& adapter, std::string&) {
                     adapter.configure(bus, static_cast<uint32_t>(mask));
                     return code::ok;
                 });
}

int32_t Kestrel_Direct_Packed_Update(int32_t handle, int32_t bus, int32_t value)
{
    return onBus("Kestrel_Direct_Packed_Update", handle, bus, ", value=" + decimalAndHex(value), &Scenario::writeFails,
                 [&](PointModel& adapter, std::string&) {
                     adapter.update(bus, static_cast<uint32_t>(value));
                     return code::ok;
                 });
}

int32_t Kestrel_Direct_Packed_MOMO(int32_t handle, int32_t bus, int32_t mustOn, int32_t mustOff)
{
    return onBus("Kestrel_Direct_Packed_MOMO", handle, bus,
                 ", mustOn=" + decimalAndHex(mustOn) + ", mustOff=" + decimalAndHex(mustOff), &Scenario::momoFails,
                 [&](PointModel& adapter, std::string&) {
                     adapter.momo(bus, static_cast<uint32_t>(mustOn), static_cast<uint32_t>(mustOff));
                     return code::ok;
                 });
}

int32_t Kestrel_Direct_Packed_Read(int32_t handle, int32_t bus, int32_t* value)
{
    return onBus("Kestrel_Direct_Packed_Read", handle, bus, std::string(", value=") + (value ? "&" : "NULL"),
                 &Scenario::readFails, [&](PointModel& adapter, std::string& written) {
                     if (!value)
                         return code::nullArgument;
                     *value = static_cast<int32_t>(adapter.read(bus));
                     written = "value=" + decimalAndHex(*value);
                     return code::ok;
                 });
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
