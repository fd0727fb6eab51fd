#pragma once
// A simulator's command line read against a small table of its options: "--name value",
// "--name=value" and flags. Reading is pure: it never prints or exits, so every message can be
// checked by a test.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Option {
    const char* name;  // "--link"
    const char* alias; // "-h", or nullptr
    // What the value is, as "--name needs ..." says when it is missing; empty for a flag.
    std::string needs;
    // Takes the value (empty for a flag): returns an empty string, or what is wrong with it.
    std::function<std::string(const std::string& value)> take;
};

// The program's own words for a flag given a value, and for an argument that is no option
// (the argument as given, and its name without an "=value").
struct OptionWords {
    std::function<std::string(const std::string& name, const std::string& value)> flagWithValue;
    std::function<std::string(const std::string& argument, const std::string& name)> unknown;
};

// Reads `args` in order; returns an empty string, or the message for the first mistake.
std::string readOptions(const std::vector<std::string>& args, const std::vector<Option>& table,
                        const OptionWords& words);

// A value read whole: digits only, or digits with a fraction ("2", "0.5"); nothing when the text
// is anything else or out of range.
std::optional<unsigned long long> wholeNumber(const std::string& text);
std::optional<double> decimalNumber(const std::string& text);

// "300, 1200, 2400": the values an option accepts, for its messages.
template <class Values>
std::string listed(const Values& values)
{
    std::string text;
    for (const auto& value : values)
        text += (text.empty() ? "" : ", ") + std::to_string(value);
    return text;
}

} // namespace sim
