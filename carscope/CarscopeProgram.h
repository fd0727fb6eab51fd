#pragma once
// carscope's start-up module: the splash, then the car window, which is loaded (and opens its
// port) while the splash is still up.
#include "carterm/Form3.h"
#include "carterm/Form5.h"
#include "carscope/ScopeForm1.h"

#include <memory>

namespace carterm {

class CarscopeProgram {
public:
    explicit CarscopeProgram(std::unique_ptr<serial::SerialBackend> serialBackend = nullptr);
    void Main();

    Form5 splash;
    ScopeForm1 form1;
    Form3 menu; // part of the program, never shown by carscope's start-up
};

SplashText carscopeSplashText();

} // namespace carterm
