#pragma once
// The 55 named signals of the PMI table as carscope's signal grid shows them: each name sits in
// grid column `col` (0, 2, 4 or 6), row `row`, and its value in the column to its right. In the
// order the grid writes them at load; every name but "4.SD2" carries a trailing blank.
#include <array>
#include <string_view>

namespace carterm::reply {

struct SignalName {
    int col;
    int row;
    const char* name;
};

inline constexpr SignalName kSignalNames[] = {
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
inline constexpr std::size_t kSignalCount = std::size(kSignalNames);
static_assert(kSignalCount == 55);

// The plain name: "SU1" for "1.SU1 ", "SM" for "SM ".
std::string_view plainSignalName(const SignalName& signal);

} // namespace carterm::reply
