#pragma once
// The pieces of skimplane-cli that are worth testing on their own.

#include <optional>
#include <string>

// "YYYY-MM-DD HH:MM" with a real calendar date and a time of day, or nothing.
struct THeaderTime {
  int year, month, day, hour, minute;
};
[[nodiscard]] std::optional<THeaderTime> ParseHeaderTime(const std::string& text);

// A length in mm: the whole text must be a number (NaN and infinity pass here; the job check refuses
// them with a message that names the entry).
[[nodiscard]] std::optional<double> ParseLength(const std::string& text);

// A whole number for the integer entries: a fractional value is rounded to the nearest integer, ties to
// even, as the window's integer fields take it; nothing when it is not a number or leaves 32 bits.
[[nodiscard]] std::optional<int> ParseWholeNumber(const std::string& text);
