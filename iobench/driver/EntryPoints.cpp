#include "iobench/driver/EntryPoints.h"

namespace iobench {

std::string_view entryPointName(EntryPoint which)
{
    static constexpr std::array<std::string_view, kEntryPointCount> names = {
        "Kestrel_PCIKX9_Open",
        "Kestrel_KX9_Open",
        "Kestrel_Close",
        "Kestrel_Direct_Packed_Config",
        "Kestrel_Direct_Packed_Update",
        "Kestrel_Direct_Packed_MOMO",
        "Kestrel_Direct_Packed_Read",
        "Kestrel_Enable_Debug",
        "Kestrel_Disable_Debug",
    };
    return names.at(static_cast<std::size_t>(which));
}

} // namespace iobench
