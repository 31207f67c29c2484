#pragma once
// The one rule for the job's whole-number entries (layers, spindle speed, feed), wherever a value with
// a fraction or of any size reaches them: round to the nearest integer, ties to even (2.5 gives 2, 3.5
// gives 4), and refuse what is not a number or lies outside 32 bits rather than clamp it to something
// the user never entered.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

[[nodiscard]] inline std::optional<std::int32_t> WholeNumber(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double whole = std::nearbyint(value);  // the default rounding mode: to nearest, ties to even
  if (whole < std::numeric_limits<std::int32_t>::min() || whole > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(whole);
}
