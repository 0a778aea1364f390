// Doubles as text, byte for byte as std::to_chars(First, Last, Value) writes them (the shortest
// digits that read back as the same double; fixed or scientific notation, whichever is shorter,
// fixed on a tie; "1e+20", "1e-07", "-0", "inf", "-nan"), in less time.
#pragma once

inline constexpr int ShortestDoubleBytes = 24; // "-2.2250738585072014e-308"

// Writes Value at First, which has room for ShortestDoubleBytes; returns the end of the text.
char* WriteShortestDouble(char* First, double Value);
