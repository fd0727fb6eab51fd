// The operating-mode names: exact text only.
#include "runecast/ModeTable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using runecast::modeName;

TEST(ModeTable, NamesEveryListedMode)
{
    const std::pair<const char*, const char*> modes[] = {
        {"1", "SAFETIES"},    {"4", "INSPECTION"}, {"5", "### INIT"},   {"6", "Drive FLT"},
        {"8", "OVERLOAD"},    {"10", "FIRE PH 2"}, {"11", "FIRE PH 1"}, {"12", "CODE BLUE"},
        {"13", "EM RECALL"},  {"14", "HOMING"},    {"15", "INDEPEND"},  {"16", "ATT"},
        {"17", "DOOR DISC"},  {"18", "REAR DISC"}, {"20", "LBY IND"},   {"21", "DISP LOSS"},
        {"22", "STOP SW"},    {"23", "SERV PROT"}, {"24", "LOAD BP"},   {"25", "SECURITY"},
        {"26", "AUTOMATIC"},  {"27", "IR SERV"},
    };
    for (const auto& [number, name] : modes)
        EXPECT_EQ(modeName(number), name) << number;
}

TEST(ModeTable, AnyOtherTextHasNoName)
{
    for (const char* text : {"", "0", "2", "3", "7", "9", "19", "28", "100", "016", "01", "+16",
                             "-1", " 16", "16 ", "1 6", "att", "ATT", "16.0"}) {
        EXPECT_EQ(modeName(text), "") << "'" << text << "'";
    }
}

} // namespace
