#pragma once
// The nine entry points of the adapter driver library that the bench binds by name, with the
// exact C signatures the library exports. The simulated library checks itself against these.
#include <array>
#include <cstdint>
#include <string_view>

namespace iobench {

enum class EntryPoint {
    PCIKX9_Open,
    KX9_Open,
    Close,
    Direct_Packed_Config,
    Direct_Packed_Update,
    Direct_Packed_MOMO,
    Direct_Packed_Read,
    Enable_Debug,
    Disable_Debug,
};

inline constexpr std::size_t kEntryPointCount = 9;

// Exported only by the kit's simulated library, never by the vendor's: its presence tells the
// bench that the adapter is simulated.
inline constexpr const char* kSimulatorMarker = "Hoistwise_Simulated_Adapter";

// The exported symbol name, e.g. "Kestrel_Direct_Packed_MOMO".
std::string_view entryPointName(EntryPoint which);

namespace kestrel_c {
using PCIKX9_Open = int32_t (*)(int32_t* handle, int32_t boardId);
using KX9_Open = int32_t (*)(int32_t* handle, int32_t baseAddress);
using Close = int32_t (*)(int32_t handle);
using Direct_Packed_Config = int32_t (*)(int32_t handle, int32_t bus, int32_t mask);
using Direct_Packed_Update = int32_t (*)(int32_t handle, int32_t bus, int32_t value);
using Direct_Packed_MOMO = int32_t (*)(int32_t handle, int32_t bus, int32_t mustOn, int32_t mustOff);
using Direct_Packed_Read = int32_t (*)(int32_t handle, int32_t bus, int32_t* value);
using Enable_Debug = int32_t (*)();
using Disable_Debug = int32_t (*)();
} // namespace kestrel_c

} // namespace iobench
