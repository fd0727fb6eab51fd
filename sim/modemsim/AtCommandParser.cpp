#include "sim/modemsim/AtCommandParser.h"

#include <algorithm>
#include <cctype>

namespace modemsim {

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    char next() { return static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_++]))); }

    bool take(char wanted)
    {
        if (atEnd() || std::toupper(static_cast<unsigned char>(text_[pos_])) != wanted)
            return false;
        ++pos_;
        return true;
    }

    // Decimal digits, leading zeros allowed; none at all reads as absent.
    std::optional<unsigned> number()
    {
        std::optional<unsigned> result;
        while (!atEnd() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            unsigned digit = static_cast<unsigned>(text_[pos_++] - '0');
            // Held at the ceiling from the digit that passes it, so no number overflows.
            result = std::min(kNumberCeiling, result.value_or(0) * 10 + digit);
        }
        return result;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

ParsedCommandLine parseCommandBody(std::string_view body)
{
    using Kind = AtCommand::Kind;
    ParsedCommandLine parsed;
    Reader in(body);

    auto simple = [&](Kind kind) {
        parsed.commands.push_back({kind, std::nullopt, in.number().value_or(0)});
    };

    while (!in.atEnd()) {
        switch (in.next()) {
        case 'E': simple(Kind::Echo); break;
        case 'Q': simple(Kind::Quiet); break;
        case 'V': simple(Kind::Verbose); break;
        case 'X': simple(Kind::ResultSet); break;
        case 'I': simple(Kind::Identify); break;
        case 'H': simple(Kind::HangUp); break;
        case 'Z': simple(Kind::Reset); return parsed;
        case 'O': simple(Kind::Online); return parsed;
        case 'A': parsed.commands.push_back({Kind::Answer, std::nullopt, 0}); return parsed;
        case 'S': {
            // "S" without a number names S0, as on Hayes modems.
            unsigned reg = in.number().value_or(0);
            if (in.take('='))
                parsed.commands.push_back({Kind::SetRegister, reg, in.number().value_or(0)});
            else if (in.take('?'))
                parsed.commands.push_back({Kind::ReadRegister, reg, 0});
            else
                parsed.commands.push_back({Kind::SelectRegister, reg, 0});
            break;
        }
        case '=':
            parsed.commands.push_back({Kind::SetRegister, std::nullopt, in.number().value_or(0)});
            break;
        case '?':
            parsed.commands.push_back({Kind::ReadRegister, std::nullopt, 0});
            break;
        case '&':
            if (!in.take('S')) {
                parsed.complete = false;
                return parsed;
            }
            simple(Kind::DsrOption);
            break;
        default:
            parsed.complete = false;
            return parsed;
        }
    }
    return parsed;
}

} // namespace modemsim
