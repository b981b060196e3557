#pragma once

#include <climits>

// A JSON number (always a double) made an int without undefined behaviour:
// out-of-range values are clamped to [low, high], NaN gives nanValue, and the
// fraction is cut towards zero. Use it wherever a number from a file or a
// reply becomes an integer.
int clampToInt(double value, int low = INT_MIN, int high = INT_MAX, int nanValue = 0);
