#include "iobench/driver/FakeAdapterDriver.h"

namespace iobench {

std::string FakeDriverCall::toString() const
{
    std::string text(entryPointName(entryPoint));
    text += '(';
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += std::to_string(arguments[i]);
    }
    return text + ')';
}

DriverError fakeDriverError(DriverError::Kind kind, EntryPoint which)
{
    DriverError error;
    error.kind = kind;
    error.entryPoint = which;
    const std::string name(entryPointName(which));
    if (kind == DriverError::Kind::LibraryNotFound) {
        error.library = "libKestrel.so";
        error.placesLooked = {"fake: nowhere"};
        error.message = "The adapter driver library libKestrel.so could not be loaded, so " + name
                        + " was not called.";
    } else {
        error.library = "fake/libKestrel.so";
        error.placesLooked = {"fake/libKestrel.so"};
        error.message = "The adapter driver library fake/libKestrel.so has no entry point " + name
                        + ", so that call was not made.";
    }
    return error;
}

void FakeAdapterDriver::scriptResult(EntryPoint which, DriverResult result)
{
    scripted_[which].push_back(std::move(result));
}

void FakeAdapterDriver::setStandingResult(EntryPoint which, DriverResult result)
{
    standing_.insert_or_assign(which, std::move(result));
}

void FakeAdapterDriver::makeMissing(EntryPoint which)
{
    scripted_.erase(which);
    setStandingResult(which, fakeDriverError(DriverError::Kind::EntryPointMissing, which));
}

void FakeAdapterDriver::makeLibraryMissing()
{
    scripted_.clear();
    for (std::size_t i = 0; i < kEntryPointCount; ++i) {
        const auto which = static_cast<EntryPoint>(i);
        setStandingResult(which, fakeDriverError(DriverError::Kind::LibraryNotFound, which));
    }
}

std::vector<FakeDriverCall> FakeAdapterDriver::callsOf(EntryPoint which) const
{
    std::vector<FakeDriverCall> found;
    for (const FakeDriverCall& call : calls_)
        if (call.entryPoint == which)
            found.push_back(call);
    return found;
}

DriverResult FakeAdapterDriver::answer(EntryPoint which, std::vector<int32_t> arguments)
{
    calls_.push_back({which, std::move(arguments)});
    auto queue = scripted_.find(which);
    if (queue != scripted_.end() && !queue->second.empty()) {
        DriverResult result = std::move(queue->second.front());
        queue->second.pop_front();
        return result;
    }
    auto standing = standing_.find(which);
    return standing != standing_.end() ? standing->second : DriverResult(0);
}

DriverResult FakeAdapterDriver::Kestrel_PCIKX9_Open(int32_t& handle, int32_t boardId)
{
    DriverResult result = answer(EntryPoint::PCIKX9_Open, {handle, boardId});
    if (result.succeeded())
        handle = handleToGive;
    return result;
}

DriverResult FakeAdapterDriver::Kestrel_KX9_Open(int32_t& handle, int32_t baseAddress)
{
    DriverResult result = answer(EntryPoint::KX9_Open, {handle, baseAddress});
    if (result.succeeded())
        handle = handleToGive;
    return result;
}

DriverResult FakeAdapterDriver::Kestrel_Close(int32_t handle)
{
    return answer(EntryPoint::Close, {handle});
}

DriverResult FakeAdapterDriver::Kestrel_Direct_Packed_Config(int32_t handle, int32_t bus, int32_t mask)
{
    return answer(EntryPoint::Direct_Packed_Config, {handle, bus, mask});
}

DriverResult FakeAdapterDriver::Kestrel_Direct_Packed_Update(int32_t handle, int32_t bus, int32_t value)
{
    return answer(EntryPoint::Direct_Packed_Update, {handle, bus, value});
}

DriverResult FakeAdapterDriver::Kestrel_Direct_Packed_MOMO(int32_t handle, int32_t bus,
                                                           int32_t mustOn, int32_t mustOff)
{
    return answer(EntryPoint::Direct_Packed_MOMO, {handle, bus, mustOn, mustOff});
}

DriverResult FakeAdapterDriver::Kestrel_Direct_Packed_Read(int32_t handle, int32_t bus, int32_t& value)
{
    DriverResult result = answer(EntryPoint::Direct_Packed_Read, {handle, bus, value});
    if (result.succeeded()) {
        if (!readValues_.empty()) {
            lastRead_ = readValues_.front();
            readValues_.pop_front();
        }
        value = lastRead_;
    }
    return result;
}

DriverResult FakeAdapterDriver::Kestrel_Enable_Debug()
{
    return answer(EntryPoint::Enable_Debug, {});
}

DriverResult FakeAdapterDriver::Kestrel_Disable_Debug()
{
    return answer(EntryPoint::Disable_Debug, {});
}

} // namespace iobench
