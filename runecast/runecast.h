#pragma once
// The decoder window `runecast`: three flag banks that light the bits of a typed status byte,
// the choice of controller model that names the DZ bits, the operating-mode lookup, and the
// fault-code lookup with its stepper and note boxes.
#include "runecast/FlagLabels.h"
#include "toolkit/Grid.h"
#include "toolkit/Label.h"
#include "toolkit/OptionButton.h"
#include "toolkit/ScrollBar.h"
#include "runecast/StatusByte.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

#include <array>
#include <memory>

namespace runecast {

// A bank's indicators, top row (bit 7) first.
using Indicators = std::array<std::unique_ptr<toolkit::TextBox>, 8>;

class runecast : public toolkit::Window {
public:
    // Builds the window hidden and loads it (Form_Load).
    runecast();

    // Handlers.
    void Form_Load();
    void Form_Unload(int& cancel);
    void Option1_Click();
    void Option2_Click();
    void Text2_Change();
    void Text10_Change();
    void Text21_Change();
    void Text19_Change();
    void Text30_Change();
    void Text30_KeyUp(int keyCode, int shift);
    void VScroll1_Change();

    // DZ bank.
    toolkit::Label Label1;     // "DZ"
    toolkit::TextBox Text2;    // DZ status byte, typed in hexadecimal
    toolkit::Grid MSFlexGrid1; // the DZ flag names
    Indicators dzIndicators;   // Text1, Text3 ... Text9: the DZ flags, lit when set
    // Type of service.
    toolkit::Label Label3;     // "Type of service"
    toolkit::TextBox Text19;   // operating-mode number, typed
    toolkit::TextBox Text20;   // the mode's name
    // CS bank.
    toolkit::Label Label2;     // "CS"
    toolkit::TextBox Text10;   // CS status byte, typed in hexadecimal
    toolkit::Grid MSFlexGrid2; // the CS flag names
    Indicators csIndicators;   // Text11 ... Text18: the CS flags
    // DS bank.
    toolkit::Label Label4;     // "DS"
    toolkit::TextBox Text21;   // DS status byte, typed in hexadecimal
    toolkit::Grid MSFlexGrid3; // the DS flag names
    Indicators dsIndicators;   // Text22 ... Text29: the DS flags
    // Controller model.
    toolkit::OptionButton Option1; // "Futura"
    toolkit::OptionButton Option2; // "Meridia"
    // Error code lookup.
    toolkit::Label Label6;       // "Definition"
    toolkit::TextBox Text32;     // note "Not used on Futura or Meridia .", shown for some faults
    toolkit::TextBox Text31;     // the fault's description
    toolkit::Label Label5;       // "Error code lookup"
    toolkit::TextBox Text30;     // fault number 1-145, typed or set by the stepper
    toolkit::ScrollBar VScroll1; // stepper beside the fault number
    toolkit::TextBox Text33;     // note "*Note: This is a program error ...", shown for some faults

private:
    void layOut();
    Indicators makeIndicators(std::array<const char*, 8> names, int left);
    void setTabOrder();
    void connectHandlers();
    void decode(FlagBank bank, const toolkit::TextBox& byteBox, Indicators& indicators);
};

// What each control of the decoder window without a caption is, for assistive technology.
inline constexpr toolkit::ControlDescription kRunecastDescriptions[] = {
    {"Text2", "DZ status byte"},
    {"MSFlexGrid1", "DZ flag grid"},
    {"Text19", "operating mode number"},
    {"Text20", "operating mode name"},
    {"Text10", "CS status byte"},
    {"MSFlexGrid2", "CS flag grid"},
    {"Text21", "DS status byte"},
    {"MSFlexGrid3", "DS flag grid"},
    {"Text30", "fault number"},
    {"VScroll1", "fault number stepper"},
    {"Text31", "fault description"},
    {"Text32", "note: not used on these models"},
    {"Text33", "note: program error to report"},
    {"Text1", "DZ bit 7 lamp"}, {"Text3", "DZ bit 6 lamp"}, {"Text4", "DZ bit 5 lamp"},
    {"Text5", "DZ bit 4 lamp"}, {"Text6", "DZ bit 3 lamp"}, {"Text7", "DZ bit 2 lamp"},
    {"Text8", "DZ bit 1 lamp"}, {"Text9", "DZ bit 0 lamp"},
    {"Text11", "CS bit 7 lamp"}, {"Text12", "CS bit 6 lamp"}, {"Text13", "CS bit 5 lamp"},
    {"Text14", "CS bit 4 lamp"}, {"Text15", "CS bit 3 lamp"}, {"Text16", "CS bit 2 lamp"},
    {"Text17", "CS bit 1 lamp"}, {"Text18", "CS bit 0 lamp"},
    {"Text22", "DS bit 7 lamp"}, {"Text23", "DS bit 6 lamp"}, {"Text24", "DS bit 5 lamp"},
    {"Text25", "DS bit 4 lamp"}, {"Text26", "DS bit 3 lamp"}, {"Text27", "DS bit 2 lamp"},
    {"Text28", "DS bit 1 lamp"}, {"Text29", "DS bit 0 lamp"},
};

// Writes a grid's row labels into column 0, row by row through the current cell.
void writeLabels(toolkit::Grid& grid, const GridLabels& labels);

} // namespace runecast
