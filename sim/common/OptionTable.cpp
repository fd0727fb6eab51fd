#include "sim/common/OptionTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sim {

std::string readOptions(const std::vector<std::string>& args, const std::vector<Option>& table,
                        const OptionWords& words)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const auto option = std::find_if(table.begin(), table.end(), [&](const Option& o) {
            return name == o.name || (o.alias && name == o.alias);
        });
        if (option == table.end())
            return words.unknown(args[i], name);
        if (option->needs.empty() && value)
            return words.flagWithValue(name, *value);
        if (!option->needs.empty() && !value) {
            if (i + 1 >= args.size())
                return name + " needs " + option->needs;
            value = args[++i];
        }
        if (std::string error = option->take(value.value_or("")); !error.empty())
            return error;
    }
    return {};
}

std::optional<unsigned long long> wholeNumber(const std::string& text)
{
    unsigned long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<double> decimalNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace sim
