// The decoder's lookups against references: the status-byte texts each flag bank accepts, the
// mode names, the fault numbers, the number box's reading for the stepper, and the fault table
// parser, whose result must print back to a table that parses the same.
#include "runecast/FaultTable.h"
#include "fuzz/FuzzCheck.h"
#include "runecast/ModeTable.h"
#include "runecast/StatusByte.h"
#include "runecast/TypedFaultNumber.h"

#include <algorithm>
#include <optional>
#include <set>

using namespace runecast;

namespace {

std::string shown(std::optional<int> v) { return v ? std::to_string(*v) : "nothing"; }

// "00h".."ffh" in lower case, or one of the bank's upper-case texts.
std::optional<int> referenceByte(FlagBank bank, std::string_view t)
{
    static const std::set<std::string_view> everyBank = {"59H", "69H", "72H", "76H", "7DH", "7EH"};
    const auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
    if (t.size() == 3 && t[2] == 'h' && digit(t[0]) >= 0 && digit(t[1]) >= 0)
        return digit(t[0]) * 16 + digit(t[1]);
    if (everyBank.count(t) || (bank == FlagBank::DZ && (t == "F0H" || t == "FCH")))
        return std::stoi(std::string(t.substr(0, 2)), nullptr, 16);
    return std::nullopt;
}

// The number a plain decimal text without sign, blanks or leading zeros stands for.
std::optional<int> plainNumber(std::string_view t)
{
    if (t.empty() || t.size() > 4 || t[0] == '0' || t.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stoi(std::string(t));
}

// The stepper position for a text: blanks skipped, optional sign, digits with an optional
// fraction of a few digits, rounded half to even on the decimal text itself; nothing for texts
// whose fraction is too long to judge without floating point.
std::optional<int> referenceStepper(std::string_view t, int min, int max)
{
    size_t i = t.find_first_not_of(" \t");
    if (i == std::string_view::npos)
        return min > 0 ? min : 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-')
        negative = t[i++] == '-';
    std::string whole, fraction;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9')
        whole.push_back(t[i++]);
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9';)
            fraction.push_back(t[i++]);
    if (fraction.size() > 6)
        return std::nullopt;
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    long long n = whole.size() > 9 ? 1000000000LL : whole.empty() ? 0 : std::stoll(whole);
    const bool nonZeroTail = fraction.size() > 1 && fraction.find_first_not_of('0', 1) != std::string::npos;
    if (!fraction.empty() && (fraction[0] > '5' || (fraction[0] == '5' && (nonZeroTail || n % 2 == 1))))
        ++n;
    if (negative)
        n = -n;
    return static_cast<int>(std::clamp<long long>(n, min, max));
}

std::string actionWord(NoteAction a) { return a == NoteAction::Show ? "show" : a == NoteAction::Hide ? "hide" : "keep"; }

std::string printed(const std::vector<FaultEntry>& table)
{
    std::string out;
    for (const FaultEntry& e : table)
        out += std::to_string(e.number) + '\t' + actionWord(e.text32) + '\t' + actionWord(e.text33) + '\t'
            + e.description + '\n';
    return out;
}

void checkTableParser(std::string_view text)
{
    std::vector<FaultEntry> table;
    try {
        table = parseFaultTable(text);
    } catch (const FaultTableError& e) {
        const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
        fuzz::check(e.line() >= 0 && e.line() <= lines && *e.what(), "a refusal names a line of the text", e.what());
        return;
    }
    for (size_t i = 0; i < table.size(); ++i) {
        fuzz::check(table[i].number == static_cast<int>(i) + 1, "fault numbers run 1, 2, 3 ...");
        fuzz::check(!table[i].description.empty()
                        && table[i].description.find_first_of("\t\r\n") == std::string::npos,
                    "a description is one non-empty line", table[i].description);
    }
    const std::string again = printed(table);
    fuzz::checkEqual(printed(parseFaultTable(again)), again, "a parsed table prints back to itself");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text = fuzz::asText(data, size);

    for (FlagBank bank : {FlagBank::DZ, FlagBank::CS, FlagBank::DS}) {
        const auto got = acceptedByte(bank, text);
        fuzz::checkEqual(shown(got ? std::optional<int>(*got) : std::nullopt), shown(referenceByte(bank, text)),
                         "a status byte reads as the reference reads it");
    }

    static const std::set<int> namedModes = {1, 4, 5, 6, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21, 22, 23, 24, 25, 26, 27};
    const auto number = plainNumber(text);
    const std::string mode = modeName(text);
    fuzz::check(mode.empty() != (number && namedModes.count(*number)), "exactly the listed mode numbers have names",
                mode, text);

    const FaultEntry* fault = lookupFault(text);
    const bool inRange = number && *number >= 1 && *number <= kFaultCount;
    fuzz::check((fault != nullptr) == inRange, "exactly 1 to 145 are fault numbers", text);
    fuzz::check(!fault || fault->number == *number, "a fault number finds its own entry", text);

    const int position = stepperPositionFor(text, 0, 32767);
    fuzz::check(position >= 0 && position <= 32767, "the stepper position stays within its range", text);
    if (const auto want = referenceStepper(text, 0, 32767))
        fuzz::checkEqual(std::to_string(position), std::to_string(*want), "the typed number reads as the reference");

    checkTableParser(text);
    return 0;
}
