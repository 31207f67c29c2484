#pragma once
// Included before every source of the browser's build: its standard library has the integer to_chars and
// from_chars only. The floating-point ones forward to the portable versions, which give the same bytes.

#include <charconv>
#include <cstdlib>

#include "dvTools/PortableCharConv.h"

namespace std {

inline to_chars_result to_chars(char* first, char* last, double value) {
  return dvPortable::ToChars(first, last, value);
}

// The program writes scientific texts with a precision only.
inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision) {
  if (format != chars_format::scientific) std::abort();
  return dvPortable::ToCharsScientific(first, last, value, precision);
}

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format format = chars_format::general) {
  if (format != chars_format::general) std::abort();
  return dvPortable::FromChars(first, last, value);
}

}  // namespace std
