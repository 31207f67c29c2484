#include "toolpath/Dialect.h"

#include <algorithm>
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

double FrameLines(const TJobEntries& e) {
  for (int d : kDialects)
    if (d == e.Dialect) return DialectFor(d).FrameLines(e);
  double most = 0;
  for (int d : kDialects) most = std::max(most, DialectFor(d).FrameLines(e));
  return most;
}

bool IsLayerMark(std::string_view line) {
  for (int d : kDialects)
    if (DialectFor(d).IsLayerMark(line)) return true;
  return false;
}

int DefaultCoolant(int dialect) {
  // Any other number writes as the ISO program does (DialectFor refuses it before anything is written).
  return DialectFor(dialect == kDialectGrbl ? kDialectGrbl : kDialectIso).Coolants().front();
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
  for (int d : kDialects)
    if (d == dialect) return DialectFor(d).Name();
  return {};
}

std::optional<int> ParseDialect(std::string_view name) {
  for (int d : kDialects)
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
