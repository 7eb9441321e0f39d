// Rounding of floats to int; results outside the int range are clamped.
#pragma once

// Halves go away from zero: 2.5 -> 3, -2.5 -> -3.
int RoundNearest(float value);
// Truncates toward zero, except that a non-negative value whose fraction is
// 0.9999 or more goes to the next integer: 2.99995 -> 3, 2.9 -> 2.
int RoundDown(float value);
