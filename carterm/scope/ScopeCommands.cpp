// The operator's buttons, polling and the stress test.
#include "ScopeForm1.h"

namespace carterm {

void ScopeForm1::Command1_Click() {}

void ScopeForm1::Command2_Click() {}

void ScopeForm1::Command6_Click() {}

void ScopeForm1::Timer2_Timer() {}

void ScopeForm1::Timer3_Timer() {}

} // namespace carterm
