#pragma once
// The controller's I/O table as the car would show it: eight lines of sixteen one-digit values.
// Lines 1-4 carry the named signals the terminals display, 5-7 the call and door-operator
// registers, 8 the position indicator outputs.
#include "sim/carsim/CarModel.h"

#include <array>

namespace carsim {

constexpr int kPmiLines = 8;
constexpr int kPmiCells = 16;

using PmiLine = std::array<int, kPmiCells>;  // each value 0-9
using PmiTable = std::array<PmiLine, kPmiLines>;

PmiTable buildPmiTable(const CarState& car);

// Odd parity over the floor number's binary digits R1, R2, R4: POP makes the count of ones odd.
int positionParity(int floor);

}  // namespace carsim
