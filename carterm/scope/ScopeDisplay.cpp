// The reply parser and the car status display.
#include "ScopeForm1.h"

namespace carterm {

void ScopeForm1::loadDisplay() {}

void ScopeForm1::Text1_Change() {}

void ScopeForm1::Timer1_Timer() { Timer1.setEnabled(false); }

void ScopeForm1::txtbbt_Change() {}

} // namespace carterm
