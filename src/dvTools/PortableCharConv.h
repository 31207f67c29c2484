#pragma once
// Number texts without the floating-point std::to_chars / std::from_chars, for standard libraries that
// lack them (the browser's build). Each function gives the same bytes or value as its std counterpart;
// the native tests compare them over many random doubles. Built on snprintf and strtod in the "C"
// locale's form, which every C library rounds exactly.

#include <charconv>

namespace dvPortable {

// As std::to_chars(first, last, value): the shortest text that reads back as `value`, in fixed or
// scientific notation, whichever is shorter (fixed on a tie).
std::to_chars_result ToChars(char* first, char* last, double value);

// As std::to_chars(first, last, value, std::chars_format::scientific, precision).
std::to_chars_result ToCharsScientific(char* first, char* last, double value, int precision);

// As std::from_chars(first, last, value) in the general format: an optional minus sign, digits with an
// optional point, an optional exponent; "inf", "infinity" and "nan" in any case. The longest such prefix is
// taken. An out-of-range value leaves `value` untouched and reports std::errc::result_out_of_range.
std::from_chars_result FromChars(const char* first, const char* last, double& value);

}  // namespace dvPortable
