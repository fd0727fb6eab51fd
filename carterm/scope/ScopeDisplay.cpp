// The reply parser and the car status display: markers found anywhere in the reply buffer,
// values cut from fixed offsets behind them, and the I/O table copied into the signal grid.
#include "ScopeForm1.h"

#include "Bytes.h"
#include "PmiTable.h"

#include <array>
#include <optional>
#include <string_view>

namespace carterm {

using toolkit::instr;
using toolkit::mid;

namespace {

constexpr std::string_view kVelocityMarker = "VEL =   ";
constexpr std::string_view kBbtMarker = "BBT";
constexpr std::array<std::string_view, 4> kFaultMarkers = {"FLT  0", "FLT  1", "FLT  2", "FLT  3"};

struct SignalName {
    int col;
    int row;
    const char* name;
};

// In the order they are written at load; every name but "4.SD2" carries a trailing blank.
constexpr SignalName kSignalNames[] = {
    {0, 1, "1.SU1 "},   {0, 2, "2.SD1 "},   {0, 3, "3.SU2 "},   {0, 4, "4.SD2"},    {0, 8, "8.MC "},
    {0, 9, "9.UT "},    {0, 10, "10.DT "},  {0, 11, "11.UR "},  {0, 12, "12.DR "},  {0, 13, "13.RUN "},
    {0, 14, "14.GL "},  {0, 15, "15.AU "},  {0, 16, "16.TRIP "},
    {2, 1, "GV "},      {2, 2, "HS "},      {2, 3, "CS "},      {2, 4, "ICS "},     {2, 5, "GL1 "},
    {2, 6, "ICA "},     {2, 7, "LRS "},     {2, 8, "DD "},      {2, 9, "DOL "},     {2, 10, "DCL "},
    {2, 11, "DL6 "},    {2, 12, "IC "},     {2, 13, "ULZ "},    {2, 14, "DLZ "},    {2, 15, "LZM "},
    {2, 16, "LZF "},
    {4, 1, "DOB "},     {4, 2, "SE "},      {4, 3, "LR "},      {4, 4, "DCB "},     {4, 5, "RSB "},
    {4, 6, "FC "},      {4, 7, "FR "},      {4, 8, "FAL "},     {4, 9, "FBP "},     {4, 11, "LVE "},
    {4, 12, "BZ "},     {4, 13, "HBZ "},    {4, 14, "SM "},
    {6, 1, "POP "},     {6, 2, "R1 "},      {6, 3, "R2 "},      {6, 4, "R4 "},      {6, 8, "BCR "},
    {6, 9, "UP "},      {6, 10, "DP "},     {6, 11, "DO "},     {6, 12, "DC "},     {6, 13, "NR "},
    {6, 14, "FSL "},    {6, 15, "UDL "},    {6, 16, "DDL "},
};
static_assert(std::size(kSignalNames) == 55);

constexpr std::array<const char*, 4> kFaultLabels = {"FLT0=", "FLT1=", "FLT2=", "FLT3="};

// Table line 1 has no signals in rows 5-7.
constexpr int kLine1Rows[] = {1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// POP, R1, R2, R4 as the controller reports each floor: R1, R2, R4 are the floor's binary
// digits and POP makes the four bits odd. Every other combination names no floor.
struct PositionCode {
    int pop, r1, r2, r4;
    const char* floor;
};
constexpr PositionCode kPositionCodes[] = {
    {0, 1, 0, 0, "1"}, {0, 0, 1, 0, "2"}, {1, 1, 1, 0, "3"}, {0, 0, 0, 1, "4"},
    {1, 1, 0, 1, "5"}, {1, 0, 1, 1, "6"}, {0, 1, 1, 1, "7"},
};

// The integer a table cell holds: optional blanks, digits, then optional blanks or the line's
// CR. Anything else, an empty cell (a table cut short) included, holds none.
std::optional<int> cellInteger(std::string_view cell)
{
    size_t i = 0;
    while (i < cell.size() && cell[i] == ' ')
        ++i;
    int value = 0;
    const size_t firstDigit = i;
    while (i < cell.size() && cell[i] >= '0' && cell[i] <= '9' && value < 10000)
        value = value * 10 + (cell[i++] - '0');
    if (i == firstDigit)
        return std::nullopt;
    while (i < cell.size() && (cell[i] == ' ' || cell[i] == '\r'))
        ++i;
    if (i != cell.size())
        return std::nullopt;
    return value;
}

} // namespace

void ScopeForm1::loadDisplay()
{
    for (const SignalName& s : kSignalNames) {
        Grid1.setRow(s.row);
        Grid1.setCol(s.col);
        Grid1.setText(s.name);
    }
    Grid2.setCol(0);
    for (int n = 0; n < 4; ++n) {
        Grid2.setRow(n);
        Grid2.setText(kFaultLabels[static_cast<size_t>(n)]);
    }
}

void ScopeForm1::Text1_Change()
{
    const std::string buffer = Text1.text();

    if (instr(buffer, pmi::kReplyMarker))
        Timer1.setEnabled(true);

    // A velocity reply is shown once. Shown again after the table display has set the box to
    // "  0", a reply still lingering in the buffer would make one stop count twice.
    trackBuffer(buffer);
    if (const long m = instr(buffer, kVelocityMarker)) {
        const std::string value = mid(buffer, m + 8, 3);
        if (bufferStart_ + m != shownVelocityAt_ || value != shownVelocity_) {
            shownVelocityAt_ = bufferStart_ + m;
            shownVelocity_ = value;
            txtvel.setText(value);
        }
    }

    if (const long m = instr(buffer, kBbtMarker))
        txtbbt.setText(mid(buffer, m + 8, 5));

    for (int n = 0; n < 4; ++n) {
        const long m = instr(buffer, kFaultMarkers[static_cast<size_t>(n)]);
        if (!m)
            continue;
        Grid2.setRow(n);
        Grid2.setCol(1);
        Grid2.setText(mid(buffer, m + 8, 2));
        Grid2.setCol(2);
        Grid2.setText(mid(buffer, m + 14, 2));
    }
}

void ScopeForm1::trackBuffer(const std::string& buffer)
{
    const std::string& before = trackedBuffer_;
    const bool grew = buffer.size() >= before.size() && buffer.compare(0, before.size(), before) == 0;
    const bool lostFront = !grew && before.size() > buffer.size() &&
                           before.compare(before.size() - buffer.size(), buffer.size(), buffer) == 0;
    if (lostFront)
        bufferStart_ += static_cast<long long>(before.size() - buffer.size());
    else if (!grew)
        bufferStart_ += static_cast<long long>(before.size()); // replaced outright: all of it is new
    trackedBuffer_ = buffer;
}

void ScopeForm1::showSignal(int row, int col, const std::string& buffer, long position)
{
    Grid1.setRow(row);
    Grid1.setCol(col);
    Grid1.setText(mid(buffer, position, 2));
}

void ScopeForm1::Timer1_Timer()
{
    const std::string buffer = Text1.text();
    if (const long p = instr(buffer, pmi::kHeader)) {
        for (int r : kLine1Rows)
            showSignal(r, 1, buffer, pmi::cellPosition(p, 1, r));
        for (int r = 1; r <= 16; ++r)
            showSignal(r, 3, buffer, pmi::cellPosition(p, 2, r));
        for (int r = 1; r <= 14; ++r)
            showSignal(r, 5, buffer, pmi::cellPosition(p, 3, r));

        // SM is the cell just written (column 5, row 14): while the car runs ask for its
        // speed; at rest the speed is zero.
        if (toolkit::leadingNumber(Grid1.text()) == 1)
            send("vel\r");
        else
            txtvel.setText("  0");

        // POP, R1, R2 and R4 are read back as they are written. A cell without a number (a table
        // cut short) keeps the last value and leaves the position alone for this table.
        bool positionReadable = true;
        int* const positionValues[] = {&popValue, &r1Value, &r2Value, &r4Value};
        for (int r = 1; r <= 16; ++r) {
            showSignal(r, 7, buffer, pmi::cellPosition(p, 4, r));
            if (r <= 4) {
                if (const auto value = cellInteger(Grid1.text()))
                    *positionValues[r - 1] = *value;
                else
                    positionReadable = false;
            }
        }

        for (int r = 1; r <= 16; ++r)
            showSignal(r, 13, buffer, pmi::cellPosition(p, 8, r));
        if (positionReadable)
            decodePosition();
    }
    Timer1.setEnabled(false);
}

void ScopeForm1::decodePosition()
{
    for (const PositionCode& code : kPositionCodes)
        if (popValue == code.pop && r1Value == code.r1 && r2Value == code.r2 && r4Value == code.r4) {
            txtpos.setText(code.floor);
            return;
        }
}

void ScopeForm1::txtbbt_Change() { send("flt0\r"); }

} // namespace carterm
