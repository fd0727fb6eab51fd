#include "toolkit/Platform.h"

#include <stdexcept>

namespace toolkit {

namespace {
Platform* current = nullptr;
}

Platform& platform()
{
    if (!current)
        throw std::logic_error("no platform installed");
    return *current;
}

void setPlatform(Platform* p) { current = p; }

void Platform::settleNotice(const std::string&, std::string_view) {}

void Platform::showNotice(const std::string&, std::string_view text)
{
    messageBox(text, MsgButtons::OK, MsgIcon::Exclamation, {});
}

void showWarning(std::string_view text)
{
    platform().messageBox(text, MsgButtons::OK, MsgIcon::Exclamation, {});
}

} // namespace toolkit
