#pragma once
// What both car windows' reply parsing is checked against: the reply buffer as the rules build
// it, the buffers the parser sees for one received piece, and the PMI table cell every display
// cell must show, all computed from the wire layout without the program's own table code.
#include "fuzz/FuzzCheck.h"
#include "tests/support/ReferencePane.h"
#include "tests/support/WindowHarness.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// The reply buffer of the car windows: the last 418 characters after normalisation.
inline constexpr size_t kReplyBufferSize = 418;

inline constexpr std::string_view kPmiHeader = "PMI #  = = = = = = = = = = = = = = = =";

// 1-based position of the first occurrence, 0 when absent.
inline long firstAt(std::string_view buffer, std::string_view marker)
{
    const size_t at = buffer.find(marker);
    return at == std::string_view::npos ? 0 : static_cast<long>(at) + 1;
}

// `n` characters at 1-based `pos`, cut short where the buffer ends.
inline std::string mid(std::string_view buffer, long pos, size_t n)
{
    const size_t start = static_cast<size_t>(pos - 1);
    return start >= buffer.size() ? std::string() : std::string(buffer.substr(start, n));
}

// The buffers the reply parser runs on for one appended piece: the old text followed by the
// piece, then the last 418 characters of that; an assignment that changes nothing runs nothing.
inline std::vector<std::string> parserRuns(const std::string& old, const std::string& appended)
{
    std::vector<std::string> runs;
    const std::string joined = old + appended;
    if (joined != old)
        runs.push_back(joined);
    if (joined.size() > kReplyBufferSize)
        runs.push_back(joined.substr(joined.size() - kReplyBufferSize));
    return runs;
}

inline std::string replyBufferAfter(const std::string& old, const std::string& appended)
{
    const std::string joined = old + appended;
    return joined.size() > kReplyBufferSize ? joined.substr(joined.size() - kReplyBufferSize) : joined;
}

// The value a display cell (value column 1, 3, 5, 7 or 13, row 1-16) shows after a table display
// on `buffer`; nothing for a cell no table line fills. Data line k's cell r is 2 characters at
// p + 40k + 5 + 2r, p being the header's position.
inline std::optional<std::string> tableCell(std::string_view buffer, int column, int row)
{
    struct Source { int column, line, firstRow, lastRow; };
    static constexpr Source sources[] = {{1, 1, 1, 16}, {3, 2, 1, 16}, {5, 3, 1, 14}, {7, 4, 1, 16}, {13, 8, 1, 16}};
    const long p = firstAt(buffer, kPmiHeader);
    for (const Source& s : sources) {
        if (s.column != column || row < s.firstRow || row > s.lastRow)
            continue;
        if (column == 1 && row >= 5 && row <= 7)
            return std::nullopt; // line 1 names no signals there
        return mid(buffer, p + 40 * s.line + 5 + 2 * row, 2);
    }
    return std::nullopt;
}

// The leading decimal number of a cell: blanks skipped, an optional sign, digits and a
// fraction; none reads 0.
inline double leadingNumber(std::string_view cell)
{
    size_t i = cell.find_first_not_of(" \t");
    if (i == std::string_view::npos)
        return 0;
    double sign = 1, n = 0, scale = 1;
    if (cell[i] == '+' || cell[i] == '-')
        sign = cell[i++] == '-' ? -1 : 1;
    for (; i < cell.size() && cell[i] >= '0' && cell[i] <= '9'; ++i)
        n = n * 10 + (cell[i] - '0');
    if (i < cell.size() && cell[i] == '.')
        for (++i; i < cell.size() && cell[i] >= '0' && cell[i] <= '9'; ++i)
            n += (cell[i] - '0') * (scale /= 10);
    return sign * n;
}

// Splits what a car window sent into its commands; every one must be a known request.
inline void checkRequests(std::string sent, std::initializer_list<std::string_view> known, int& bbtCount, int& velCount)
{
    while (!sent.empty()) {
        const size_t cr = sent.find('\r');
        check(cr != std::string::npos, "every request ends in one carriage return", sent);
        const std::string command = sent.substr(0, cr);
        check(std::find(known.begin(), known.end(), command) != known.end(), "only the known requests are sent", command);
        bbtCount += command == "bbt";
        velCount += command == "vel";
        sent.erase(0, cr + 1);
    }
}

// A car window on the deterministic platform with an in-memory line, loaded, greeting taken.
template <class Form>
struct CarWindow : QtStarted, WindowHarness<Form> {
    CarWindow() : WindowHarness<Form>({true, false}) { this->sent(); }
};

// One step of a car target's input: a piece that begins with byte 1 first lets 250 ms pass.
struct CarStep {
    bool waits;
    std::string received;
};

inline std::vector<CarStep> carSteps(const uint8_t* data, size_t size)
{
    std::vector<CarStep> steps;
    for (std::string& piece : pieces(data, size)) {
        const bool waits = !piece.empty() && piece[0] == '\x01';
        steps.push_back({waits, waits ? piece.substr(1) : piece});
    }
    return steps;
}

} // namespace fuzz
