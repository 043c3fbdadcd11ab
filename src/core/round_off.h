#pragma once

namespace tovi {

// Rounds x to `digits` significant places before the point (1: whole
// numbers), halves away from zero.
double RoundOff(int digits, double x);

}  // namespace tovi
