// The communication settings dialog of carscope.
#include "ScopeForm1.h"

namespace carterm {

void ScopeForm1::openSettings() {}

} // namespace carterm
