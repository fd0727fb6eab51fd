#pragma once
// What the terminal benchmarks flood a line with: numbered 79-character lines ending CR LF, so
// that no two lines are alike.
#include <cstddef>
#include <cstdio>
#include <string>

// Whole lines until there are at least `size` characters.
inline std::string floodLines(std::size_t size)
{
    std::string lines;
    for (int n = 0; lines.size() < size; ++n) {
        char line[96];
        std::snprintf(line, sizeof line, "%08d %-70.70s\r\n", n,
                      "The quick brown fox jumps over the lazy dog; PMI SU1 SD1 GV HS CS ICS GL1 ICA");
        lines += line;
    }
    return lines;
}
