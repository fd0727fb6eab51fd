#pragma once
// What every fuzz target shares: the input cut into pieces, a check that stops the run with a
// readable report, and the Qt application the window targets need.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Stops the run (libFuzzer then saves the input) and says which rule broke and on what.
[[noreturn]] inline void fail(const char* rule, std::string_view got, std::string_view want)
{
    std::fprintf(stderr, "broken rule: %s\n  got:  \"%.*s\"\n  want: \"%.*s\"\n", rule,
                 static_cast<int>(got.size()), got.data(), static_cast<int>(want.size()), want.data());
    std::abort();
}

inline void check(bool ok, const char* rule, std::string_view got = {}, std::string_view want = {})
{
    if (!ok)
        fail(rule, got, want);
}

inline void checkEqual(std::string_view got, std::string_view want, const char* rule)
{
    if (got != want)
        fail(rule, got, want);
}

inline std::string_view asText(const uint8_t* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// The input as pieces separated by NUL bytes: one piece per serial reception, per typed text
// or per lookup. Seed files stay readable that way.
inline std::vector<std::string> pieces(const uint8_t* data, size_t size)
{
    std::vector<std::string> out(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            out.emplace_back();
        else
            out.back().push_back(static_cast<char>(data[i]));
    }
    return out;
}

// A QApplication on the offscreen platform, made once, for the targets that build windows.
void startQt();

// Started before the window built after it.
struct QtStarted {
    QtStarted() { startQt(); }
};

} // namespace fuzz
