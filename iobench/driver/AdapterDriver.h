#pragma once
// The bench's view of the adapter driver library: one method per entry point, each named after
// the entry point it calls, with by-reference arguments where the library writes a value.
// KestrelDriver reaches the real library; FakeAdapterDriver stands in for it in window tests.
#include <cstdint>

#include "iobench/driver/DriverResult.h"

namespace iobench {

class AdapterDriver {
public:
    virtual ~AdapterDriver() = default;

    // `handle` is passed for the library to write; a call not made leaves it untouched.
    virtual DriverResult Kestrel_PCIKX9_Open(int32_t& handle, int32_t boardId) = 0;
    virtual DriverResult Kestrel_KX9_Open(int32_t& handle, int32_t baseAddress) = 0;
    virtual DriverResult Kestrel_Close(int32_t handle) = 0;
    virtual DriverResult Kestrel_Direct_Packed_Config(int32_t handle, int32_t bus, int32_t mask) = 0;
    virtual DriverResult Kestrel_Direct_Packed_Update(int32_t handle, int32_t bus, int32_t value) = 0;
    virtual DriverResult Kestrel_Direct_Packed_MOMO(int32_t handle, int32_t bus, int32_t mustOn,
                                                    int32_t mustOff) = 0;
    // `value` is passed for the library to write; a call not made leaves it untouched.
    virtual DriverResult Kestrel_Direct_Packed_Read(int32_t handle, int32_t bus, int32_t& value) = 0;
    virtual DriverResult Kestrel_Enable_Debug() = 0;
    virtual DriverResult Kestrel_Disable_Debug() = 0;

    // True when the calls reach the kit's simulated adapter rather than hardware, so the bench
    // can say so: simulated readings must never pass for real ones.
    virtual bool simulated() const { return false; }
};

} // namespace iobench
