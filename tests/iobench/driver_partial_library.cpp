// A driver library that lacks Kestrel_Direct_Packed_MOMO, for the missing-entry-point tests.
// The calls it has answer fixed values so the tests can tell they reached it.
#include <cstdint>

extern "C" {

int32_t Kestrel_PCIKX9_Open(int32_t* handle, int32_t) { return *handle = 77, 0; }
int32_t Kestrel_KX9_Open(int32_t* handle, int32_t) { return *handle = 77, 0; }
int32_t Kestrel_Close(int32_t handle) { return handle == 77 ? 0 : 9; }
int32_t Kestrel_Direct_Packed_Config(int32_t, int32_t, int32_t) { return 0; }
int32_t Kestrel_Direct_Packed_Update(int32_t, int32_t, int32_t) { return 0; }
int32_t Kestrel_Direct_Packed_Read(int32_t, int32_t, int32_t* value) { return *value = 0x1234, 0; }
int32_t Kestrel_Enable_Debug() { return 0; }
int32_t Kestrel_Disable_Debug() { return 0; }

}
