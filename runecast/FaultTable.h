#pragma once
// The fault table of the decoder: one description and two note actions per fault number.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace runecast {

inline constexpr int kFaultCount = 145;

// What a lookup does to a note box: make it visible, hide it, or leave it as the last lookup left it.
enum class NoteAction { Show, Hide, Keep };

struct FaultEntry {
    int number;
    std::string description; // 8-bit bytes (Windows-1252), one paragraph
    NoteAction text32;       // "Not used on Futura or Meridia ."
    NoteAction text33;       // "*Note: This is a program error and should be reported to NDX."
};

// A malformed fault table. line() is the 1-based line at fault, or 0 when no line is to blame.
class FaultTableError : public std::runtime_error {
public:
    FaultTableError(int line, const std::string& message);
    int line() const { return line_; }

private:
    int line_;
};

// Parses lines of "number<TAB>Text32 action<TAB>Text33 action<TAB>description", LF-terminated
// (the last line may lack its LF). Numbers run 1, 2, 3 ... without gaps; actions are "show",
// "hide" or "keep"; the description is one line of printable Windows-1252 text, kept byte for
// byte. Throws FaultTableError naming the line and what was expected there.
std::vector<FaultEntry> parseFaultTable(std::string_view text);

// The table built into the program, parsed on first use and kept for the life of the process.
// Throws FaultTableError if the built-in data is missing or malformed.
const std::vector<FaultEntry>& faultTable();

// The entry for the decimal text of 1 to 145 ("1" ... "145": no leading zeros, sign or spaces);
// nullptr for any other text. Throws FaultTableError as faultTable() does.
const FaultEntry* lookupFault(std::string_view text);

// The visibility of a note box after a lookup applied `action` to it.
constexpr bool applyNoteAction(NoteAction action, bool visible)
{
    switch (action) {
    case NoteAction::Show: return true;
    case NoteAction::Hide: return false;
    case NoteAction::Keep: break;
    }
    return visible;
}

} // namespace runecast
