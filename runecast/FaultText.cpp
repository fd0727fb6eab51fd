// The decoder's fault table behind carterm's fault texts.
#include "carterm/FaultText.h"

#include "runecast/FaultTable.h"

namespace carterm {

std::string faultText(int code)
{
    try {
        if (const runecast::FaultEntry* entry = runecast::lookupFault(std::to_string(code)))
            return entry->description;
    } catch (const runecast::FaultTableError&) {
    }
    return {};
}

} // namespace carterm
