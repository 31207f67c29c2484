#pragma once
// The one number format of every length in a program: fixed point, exactly three decimals, a point as
// separator. The value is first taken to 18 significant digits (ties to even), and that decimal number is
// then rounded to three decimals with ties away from zero; a result of zero never carries a sign.

#include <cstddef>
#include <string>

// Room for the longest text NumStrTo can write (the largest double has 309 integer digits).
inline constexpr std::size_t kNumStrMaxChars = 320;

// Writes the text of `value` at `out` (at most kNumStrMaxChars bytes, no terminator) and returns the end.
// Allocates nothing; the hot path of program generation.
char* NumStrTo(char* out, double value) noexcept;

[[nodiscard]] std::string NumStr(double value);

// The same result computed the slow, obviously right way: the exact decimal expansion of the double with
// big-integer arithmetic, then the two roundings on the digit string. Tests and benchmarks hold the fast
// path against it.
[[nodiscard]] std::string NumStrReference(double value);
