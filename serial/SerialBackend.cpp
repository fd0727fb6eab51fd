#include "serial/SerialBackend.h"

namespace serial {

CommError settingsRefused(const SerialSettings& settings, const std::string& why)
{
    return {errSettingsRefused, "cannot use the settings \"" + settings.text() + "\": " + why};
}

CommError SerialBackend::check(const SerialSettings& settings) const
{
    // Termios has two stop-bit settings; Qt would quietly run 1.5 as 1.
    if (settings.stopBits == StopBits::OneAndHalf)
        return settingsRefused(settings, "1.5 stop bits cannot be set on this system (use 1 or 2)");
    return {};
}

} // namespace serial
