// Grey level and contrast colour of the platform's colour values.
#pragma once

#include "Colors.h"

// Round(0.3 R + 0.59 G + 0.11 B) with ties to even, 0..255. System colours are not resolved:
// their bytes count as they stand.
int ColorToGray(TColor Color);

// Black on colours with a grey level of 140 or more, white on darker ones.
TColor ContrastColor(TColor Color);
