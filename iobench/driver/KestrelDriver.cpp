#include "iobench/driver/KestrelDriver.h"

#include "serial/OutsideText.h"

#include <utility>

namespace iobench {

using serial::printable;

KestrelDriver::KestrelDriver(LibrarySearch search) : search_(std::move(search)) {}

KestrelDriver::~KestrelDriver() = default;

void KestrelDriver::reset()
{
    bound_.fill(nullptr);
    library_.unload();
    loadedFrom_.clear();
    simulated_ = false;
}

bool KestrelDriver::loadLibrary(EntryPoint forCall, DriverError& error)
{
    const std::string callName(entryPointName(forCall));
    std::vector<std::string> looked;
    for (const LibraryPlace& place : search_.places()) {
        if (place.loadName.empty()) {
            looked.push_back(serial::printable(place.description) + " (" + serial::printable(place.skipReason) + ")");
            continue;
        }
        std::string why;
        SharedLibrary candidate = SharedLibrary::load(place.loadName, why);
        if (candidate.isLoaded()) {
            library_ = std::move(candidate);
            loadedFrom_ = place.description;
            std::string ignored;
            simulated_ = library_.symbol(kSimulatorMarker, ignored) != nullptr;
            return true;
        }
        looked.push_back(serial::printable(place.description) + " (" + serial::printable(why) + ")");
        if (place.named) {
            error.message = "The adapter driver library named by " + serial::printable(place.description)
                            + " could not be loaded: " + serial::printable(why) + ".\nSo " + callName
                            + " was not called, and no other place was tried.\nCorrect "
                            + search_.pathVariable + ", or unset it to let the bench search for "
                            + search_.fileName + " itself.";
        }
    }

    error.kind = DriverError::Kind::LibraryNotFound;
    error.entryPoint = forCall;
    error.library = search_.fileName;
    error.placesLooked = looked;
    if (!error.message.empty())
        return false;
    error.message = "The adapter driver library " + search_.fileName
                    + " could not be loaded, so " + callName + " was not called.\nPlaces looked, in order:";
    int number = 1;
    for (const std::string& line : looked)
        error.message += "\n  " + std::to_string(number++) + ". " + line;
    error.message += "\nPut " + search_.fileName + " next to the program";
    if (!search_.pathVariable.empty())
        error.message += ", or set " + search_.pathVariable + " to its full path";
    error.message += ".";
    return false;
}

void* KestrelDriver::bind(EntryPoint which, DriverError& error)
{
    const auto index = static_cast<std::size_t>(which);
    if (bound_[index])
        return bound_[index];
    if (!library_.isLoaded() && !loadLibrary(which, error))
        return nullptr;

    const std::string name(entryPointName(which));
    std::string why;
    void* address = library_.symbol(name, why);
    if (!address) {
        error.kind = DriverError::Kind::EntryPointMissing;
        error.entryPoint = which;
        error.library = library_.path();
        error.placesLooked = {serial::printable(library_.path()) + ", loaded from " + serial::printable(loadedFrom_) + " (" + serial::printable(why) + ")"};
        error.message = "The adapter driver library " + serial::printable(library_.path()) + " has no entry point "
                        + name + ", so that call was not made.\nPlace looked: "
                        + error.placesLooked.front();
        return nullptr;
    }
    bound_[index] = address;
    return address;
}

DriverResult KestrelDriver::Kestrel_PCIKX9_Open(int32_t& handle, int32_t boardId)
{
    return call<kestrel_c::PCIKX9_Open>(EntryPoint::PCIKX9_Open,
                                        [&](auto fn) { return fn(&handle, boardId); });
}

DriverResult KestrelDriver::Kestrel_KX9_Open(int32_t& handle, int32_t baseAddress)
{
    return call<kestrel_c::KX9_Open>(EntryPoint::KX9_Open,
                                     [&](auto fn) { return fn(&handle, baseAddress); });
}

DriverResult KestrelDriver::Kestrel_Close(int32_t handle)
{
    return call<kestrel_c::Close>(EntryPoint::Close, [&](auto fn) { return fn(handle); });
}

DriverResult KestrelDriver::Kestrel_Direct_Packed_Config(int32_t handle, int32_t bus, int32_t mask)
{
    return call<kestrel_c::Direct_Packed_Config>(EntryPoint::Direct_Packed_Config,
                                                 [&](auto fn) { return fn(handle, bus, mask); });
}

DriverResult KestrelDriver::Kestrel_Direct_Packed_Update(int32_t handle, int32_t bus, int32_t value)
{
    return call<kestrel_c::Direct_Packed_Update>(EntryPoint::Direct_Packed_Update,
                                                 [&](auto fn) { return fn(handle, bus, value); });
}

DriverResult KestrelDriver::Kestrel_Direct_Packed_MOMO(int32_t handle, int32_t bus, int32_t mustOn,
                                                       int32_t mustOff)
{
    return call<kestrel_c::Direct_Packed_MOMO>(
        EntryPoint::Direct_Packed_MOMO, [&](auto fn) { return fn(handle, bus, mustOn, mustOff); });
}

DriverResult KestrelDriver::Kestrel_Direct_Packed_Read(int32_t handle, int32_t bus, int32_t& value)
{
    return call<kestrel_c::Direct_Packed_Read>(EntryPoint::Direct_Packed_Read,
                                               [&](auto fn) { return fn(handle, bus, &value); });
}

DriverResult KestrelDriver::Kestrel_Enable_Debug()
{
    return call<kestrel_c::Enable_Debug>(EntryPoint::Enable_Debug, [](auto fn) { return fn(); });
}

DriverResult KestrelDriver::Kestrel_Disable_Debug()
{
    return call<kestrel_c::Disable_Debug>(EntryPoint::Disable_Debug, [](auto fn) { return fn(); });
}

} // namespace iobench
