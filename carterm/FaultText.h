#pragma once
// What a controller fault number means, as the decoder's fault table (runecast's) describes it.
// The table is linked in from runecast_tables, so every program reads the one table.
#include <string>

namespace carterm {

// The description of fault `code` (Windows-1252 bytes); empty when the table has none.
std::string faultText(int code);

} // namespace carterm
