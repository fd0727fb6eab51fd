#include "launch/DisplayCheck.h"

#include <cstdlib>
#include <string_view>

namespace launch {

namespace {

bool isSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

// Whether Qt's platform `name` (without its ":options") can start here.
bool canStart(std::string_view name)
{
    if (name == "xcb")
        return isSet("DISPLAY");
    if (name.rfind("wayland", 0) == 0)
        return isSet("WAYLAND_DISPLAY");
    return true;   // offscreen, minimal, vnc, linuxfb, eglfs: no display server
}

} // namespace

std::string missingDisplay(const std::string& program, const std::string& platformArgument)
{
    const char* variable = std::getenv("QT_QPA_PLATFORM");
    std::string_view platforms = !platformArgument.empty() ? std::string_view(platformArgument)
                                 : variable && *variable  ? std::string_view(variable)
                                                          : std::string_view("xcb;wayland");
    // A list such as "wayland;xcb" is tried in order; one that can start is enough.
    while (!platforms.empty()) {
        const auto end = platforms.find(';');
        const std::string_view entry = platforms.substr(0, end);
        if (!entry.empty() && canStart(entry.substr(0, entry.find(':'))))
            return {};
        platforms = end == std::string_view::npos ? std::string_view() : platforms.substr(end + 1);
    }
    return program + " needs a graphical display and finds none (DISPLAY or WAYLAND_DISPLAY): run it in a "
           "desktop session, or on a virtual display with: xvfb-run -a " + program;
}

} // namespace launch
