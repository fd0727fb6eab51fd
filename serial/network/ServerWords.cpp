#include "serial/network/ServerWords.h"

namespace serial::network {

namespace {

std::string withoutTelnetCommands(const std::string& raw)
{
    constexpr unsigned char iac = 255, se = 240, sb = 250, will = 251, dont = 254;
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c != iac || i + 1 >= raw.size()) {
            text += raw[i];
            continue;
        }
        const auto command = static_cast<unsigned char>(raw[++i]);
        if (command == iac)
            text += raw[i];
        else if (command >= will && command <= dont)
            ++i;   // the option
        else if (command == sb) {
            const std::size_t end = raw.find({static_cast<char>(iac), static_cast<char>(se)}, i + 1);
            i = end == std::string::npos ? raw.size() : end + 1;
        }
    }
    return text;
}

} // namespace

std::string serverWords(const std::string& raw)
{
    std::string text;
    for (unsigned char c : withoutTelnetCommands(raw)) {
        if (c >= 0x20 && c < 0x7f)
            text += static_cast<char>(c);
        else if ((c == '\r' || c == '\n') && !text.empty() && text.back() != ' ')
            text += ' ';
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace serial::network
