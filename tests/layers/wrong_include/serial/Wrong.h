#pragma once
// A serial-layer header that reaches up into the car window: the layer check must refuse it.
#include "carterm/Form1.h"
