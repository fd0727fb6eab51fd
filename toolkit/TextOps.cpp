#include "toolkit/TextOps.h"

#include <cctype>
#include <cstdlib>

namespace toolkit {

std::string mid(std::string_view s, long pos, long n)
{
    if (pos < 1 || n <= 0 || static_cast<size_t>(pos) > s.size())
        return {};
    return std::string(s.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(n)));
}

std::string right(std::string_view s, long n)
{
    if (n <= 0)
        return {};
    if (static_cast<size_t>(n) >= s.size())
        return std::string(s);
    return std::string(s.substr(s.size() - static_cast<size_t>(n)));
}

long instr(std::string_view s, std::string_view needle)
{
    const auto at = s.find(needle);
    return at == std::string_view::npos ? 0 : static_cast<long>(at) + 1;
}

double leadingNumber(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        num.push_back(s[i++]);
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        num.push_back(s[i++]);
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            num.push_back(s[i++]);
            digits = true;
        }
    }
    return digits ? std::strtod(num.c_str(), nullptr) : 0.0;
}

std::string decimal(long long v) { return std::to_string(v); }

} // namespace toolkit
