#include "common/NumberClamp.h"

#include <cmath>

int clampToInt(double value, int low, int high, int nanValue)
{
    if (std::isnan(value))
        return nanValue;
    if (low > high)
        return low;
    // Compared as doubles first: casting an out-of-range double is undefined.
    if (value <= double(low))
        return low;
    if (value >= double(high))
        return high;
    return int(value);
}
