#include "toolpath/Dialect.h"

#include <algorithm>
#include <cmath>

#include "dvTools/dvError.h"
#include "toolpath/JobFields.h"

const TDialect& DialectFor(int dialect) {
  switch (dialect) {
    case kDialectIso:
      return IsoDialect();
    case kDialectGrbl:
      return GrblDialect();
    default:
      throw EJobRefused(MessageOf("RefuseUnknownChoice", "The output %1 %2 is unknown",
                                  {EntryName(&TJobEntries::Dialect), MessageValue(std::to_string(dialect))}),
                        {FieldOf(&TJobEntries::Dialect)});
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
  const TJobField* coolant = FieldOf(&TJobEntries::Coolant);
  if (e.Coolant != kCoolantDefault && !coolant->WordOf(e.Coolant))
    throw EJobRefused(MessageOf("RefuseUnknownChoice", "The %1 choice %2 is unknown",
                                {EntryName(*coolant), MessageValue(std::to_string(e.Coolant))}),
                      {coolant});
  // A negative or endless dwell would stop the program at its start for good.
  if (!(e.Dwell >= 0 && e.Dwell <= kMaxDwell))
    throw EJobRefused(MessageOf("RefuseDwell", "The %1 must be between 0 and %2 seconds",
                                {EntryName(&TJobEntries::Dwell),
                                 MessageValue(std::to_string(static_cast<int>(kMaxDwell)))}),
                      {FieldOf(&TJobEntries::Dwell)});
  dialect.Check(e, largest);
}

std::vector<TControllerWords> ControllerWords() {
  const TJobField& dialect = *FieldOf(&TJobEntries::Dialect);
  const TJobField& coolant = *FieldOf(&TJobEntries::Coolant);
  std::vector<TControllerWords> words;
  for (int d : kDialects)
    for (int c : DialectFor(d).Coolants()) words.push_back({dialect.WordOf(d), coolant.WordOf(c)});
  return words;
}
