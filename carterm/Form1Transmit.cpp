// Text-file transmission from the car window.
#include "Form1.h"

namespace carterm {

void Form1::MSendText_Click() {}

} // namespace carterm
