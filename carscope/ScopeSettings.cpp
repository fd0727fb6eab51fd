// The communication settings dialog of carscope.
#include "carterm/ConfigScrn.h"
#include "carscope/ScopeForm1.h"

namespace carterm {

void ScopeForm1::openSettings()
{
    if (!settingsDialog)
        settingsDialog = std::make_unique<ConfigScrn>(*this);
    static_cast<ConfigScrn&>(*settingsDialog).open();
}

} // namespace carterm
