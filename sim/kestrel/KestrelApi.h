#pragma once
// The entry points the simulated adapter driver library exports, and the marker that tells the
// bench it is the simulator; nothing else.
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KESTREL_EXPORT __attribute__((visibility("default")))

KESTREL_EXPORT int32_t Kestrel_PCIKX9_Open(int32_t* handle, int32_t boardId);
KESTREL_EXPORT int32_t Kestrel_KX9_Open(int32_t* handle, int32_t baseAddress);
KESTREL_EXPORT int32_t Kestrel_Close(int32_t handle);
KESTREL_EXPORT int32_t Kestrel_Direct_Packed_Config(int32_t handle, int32_t bus, int32_t mask);
KESTREL_EXPORT int32_t Kestrel_Direct_Packed_Update(int32_t handle, int32_t bus, int32_t value);
KESTREL_EXPORT int32_t Kestrel_Direct_Packed_MOMO(int32_t handle, int32_t bus, int32_t mustOn,
                                                  int32_t mustOff);
KESTREL_EXPORT int32_t Kestrel_Direct_Packed_Read(int32_t handle, int32_t bus, int32_t* value);
KESTREL_EXPORT int32_t Kestrel_Enable_Debug(void);
KESTREL_EXPORT int32_t Kestrel_Disable_Debug(void);

// Not part of the vendor's library: the bench looks for it to show that the adapter is simulated.
KESTREL_EXPORT int32_t Hoistwise_Simulated_Adapter(void);

#ifdef __cplusplus
}
#endif
