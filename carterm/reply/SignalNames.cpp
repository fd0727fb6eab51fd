#include "carterm/reply/SignalNames.h"

namespace carterm::reply {

std::string_view plainSignalName(const SignalName& signal)
{
    std::string_view name = signal.name;
    if (const auto dot = name.find('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    return name;
}

} // namespace carterm::reply
