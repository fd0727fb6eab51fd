#pragma once
// carscope's car window on the deterministic platform with an in-memory serial device.
#include "carscope/ScopeForm1.h"
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTest.h"

using CarWindowHarness = WindowHarness<carterm::ScopeForm1>;
