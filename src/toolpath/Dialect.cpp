#include "toolpath/Dialect.h"

#include <cmath>

#include "dvTools/dvError.h"

const TDialect& DialectFor(int dialect) {
  switch (dialect) {
    case kDialectIso:
      return IsoDialect();
    case kDialectGrbl:
      return GrblDialect();
    default:
      throw EDVError("The output dialect " + std::to_string(dialect) + " is unknown");
  }
}

void CheckOutputChoices(const TJobEntries& e, double largest) {
  const TDialect& dialect = DialectFor(e.Dialect);
  if (e.Coolant != kCoolantDefault && !CoolantName(e.Coolant).data())
    throw EDVError("The coolant choice " + std::to_string(e.Coolant) + " is unknown");
  // A negative or endless dwell would stop the program at its start for good.
  if (!(e.Dwell >= 0 && e.Dwell <= kMaxDwell))
    throw EDVError("The dwell must be between 0 and " + std::to_string(static_cast<int>(kMaxDwell)) +
                   " seconds");
  dialect.Check(e, largest);
}

std::string_view DialectName(int dialect) {
  switch (dialect) {
    case kDialectIso:
      return "iso";
    case kDialectGrbl:
      return "grbl";
    default:
      return {};
  }
}

std::optional<int> ParseDialect(std::string_view name) {
  for (int d : {kDialectIso, kDialectGrbl})
    if (name == DialectName(d)) return d;
  return std::nullopt;
}

std::string_view CoolantName(int coolant) {
  switch (coolant) {
    case kCoolantOff:
      return "off";
    case kCoolantMist:
      return "mist";
    case kCoolantFlood:
      return "flood";
    default:
      return {};
  }
}

std::optional<int> ParseCoolant(std::string_view name) {
  for (int c : {kCoolantOff, kCoolantMist, kCoolantFlood})
    if (name == CoolantName(c)) return c;
  return std::nullopt;
}
