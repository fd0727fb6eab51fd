#pragma once
// The row labels of the three flag grids, top row (bit 7) first. Each is the bit number, a run
// of spaces that pushes the signal name to the right of the cell, and the name.
#include <array>
#include <string_view>

namespace runecast {

using GridLabels = std::array<std::string_view, 8>;

// DZ bank of the Futura controller; every grid starts with the Futura labels.
inline constexpr GridLabels kFuturaDzLabels = {
    "7     at Floor",
    "6            DZ",
    "5  moving up",
    "4         DFLZ",
    "3         UFLZ",
    "2          MLZ",
    "1          DLZ",
    "0          ULZ",
};

// CS bank, the same for both models.
inline constexpr GridLabels kCsLabels = {
    "7 Dn Motion",
    "6 Up Motion",
    "5            srd",
    "4            sru",
    "3       EMSD",
    "2       EMST",
    "1     run seq",
    "0    start seq",
};

// DS bank, the same for both models.
inline constexpr GridLabels kDsLabels = {
    "7  RDO pilot",
    "6  RDC pilot",
    "5     DC pilot",
    "4     DO pilot",
    "3       RDOL",
    "2       RDCL",
    "1          DCL",
    "0          DOL",
};

// DZ bank of the Meridia controller: bits 7 to 5 carry no signal.
inline constexpr GridLabels kMeridiaDzLabels = {
    "7                 ",
    "6                 ",
    "5                 ",
    "4            DZ",
    "3           DLZ",
    "2         DFLZ",
    "1         UFLZ",
    "0          ULZ",
};

} // namespace runecast
