#include "toolpath/ProgramLimits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "dvTools/dvError.h"
#include "toolpath/Dialect.h"
#include "toolpath/Entry.h"
#include "toolpath/JobFields.h"
#include "toolpath/Strategies.h"

namespace {

std::string Shortest(double value) {
  // Whole numbers as a machinist writes them (1000000, not 1e+06).
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) return std::to_string(static_cast<long long>(value));
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// The refusal of a job, about the fields of these members. Its words have a key each (a window's language
// pack says them in its language); the English pattern is the command line's message.
template <class... TMembers>
[[noreturn]] void Refuse(const char* key, const char* pattern, std::vector<TMessageText> args,
                         TMembers... members) {
  throw EJobRefused(MessageOf(key, pattern, std::move(args)), {FieldOf(members)...});
}

// A number of the job as its messages write it.
TMessageText Value(double value) {
  return MessageValue(Shortest(value));
}
TMessageText Value(std::int32_t value) {
  return MessageValue(std::to_string(value));
}

// A length of the job: its member and what messages call it.
struct TLength {
  double TJobEntries::*member;
  [[nodiscard]] double Of(const TJobEntries& e) const { return e.*member; }
  [[nodiscard]] TMessageText Name() const { return EntryName(member); }
};
constexpr TLength kLengths[] = {{&TJobEntries::XPos},   {&TJobEntries::YPos},        {&TJobEntries::Knit},
                                {&TJobEntries::Cross},  {&TJobEntries::ZPos},        {&TJobEntries::ZUp},
                                {&TJobEntries::Overcut}, {&TJobEntries::FinishDepth}};

// The face the strategies cut: the real one grown by the overcut on every side.
TJobEntries Grown(const TJobEntries& e) {
  TJobEntries grown = e;
  grown.XPos = e.XPos + 2 * e.Overcut;
  grown.YPos = e.YPos + 2 * e.Overcut;
  return grown;
}

// A layer count of zero or less still cuts one layer.
int EffectiveLayers(const TJobEntries& e) {
  return e.Layer > 0 ? e.Layer : 1;
}

// The finishing layer, when there is one.
int FinishingLayers(const TJobEntries& e) {
  return e.FinishDepth > 0 ? 1 : 0;
}

// How deep the last level lies below the top of the face.
double Depth(const TJobEntries& e) {
  return EffectiveLayers(e) * e.ZPos + FinishingLayers(e) * e.FinishDepth;
}

// The largest magnitude any coordinate of the program may have.
double LargestCoordinate(const TJobEntries& e) {
  const double radius = e.Knit / 2;
  const double values[] = {e.XPos,
                           e.YPos,
                           e.Knit,
                           e.Cross,
                           e.ZUp,
                           Depth(e) + e.ZUp,
                           std::fabs(e.XPos) + std::fabs(e.YPos) + 3 * std::fabs(radius) +
                               std::fabs(e.Cross) + 4 * std::fabs(e.Overcut)};
  double largest = 0;
  for (double v : values) largest = std::max(largest, std::fabs(v));
  return largest;
}

// What the cutter can actually cut: a face it fits inside, levels that go down, a retract that clears the
// top. Each refusal names the entry, its value and the rule.
void CheckGeometry(const TJobEntries& e) {
  for (const TLength& s : {kLengths[0], kLengths[1], kLengths[2]}) {
    if (!(s.Of(e) > 0))
      Refuse("RefuseAboveZero", "The %1 must be above zero, but it is %2", {s.Name(), Value(s.Of(e))},
             s.member);
  }
  if (!(e.Overcut >= 0)) {
    Refuse(
        "RefuseOvercutBelowZero",
        "The %1 must not be below zero, but it is %2: the cutter would stay further inside the face than its "
        "radius",
        {EntryName(&TJobEntries::Overcut), Value(e.Overcut)}, &TJobEntries::Overcut);
  }
  // The cutter centre keeps its radius inside every edge, less the overcut: a face narrower than the
  // cutter has no room for it unless the overcut lets the cutter pass beyond the edges.
  for (const TLength& s : {kLengths[0], kLengths[1]}) {
    if (s.Of(e) + 2 * e.Overcut < e.Knit) {
      // The least overcut that fits, rounded up to the program's thousandth.
      double least = std::ceil((e.Knit - s.Of(e)) / 2 * 1000) / 1000;
      if (s.Of(e) + 2 * least < e.Knit) least += 0.001;
      std::vector<TMessageText> args = {s.Name(), Value(s.Of(e)), Value(e.Knit), Value(least)};
      if (e.Overcut > 0) {
        args.push_back(Value(e.Overcut));
        Refuse(
            "RefuseFaceNarrowWithOvercut",
            "The %1 %2 with twice the overcut %5 is smaller than the cutter diameter %3: the cutter does not "
            "fit inside the face; an overcut of at least %4 mm lets it cut past the edges",
            args, s.member, &TJobEntries::Knit, &TJobEntries::Overcut);
      }
      Refuse("RefuseFaceNarrow",
             "The %1 %2 is smaller than the cutter diameter %3: the cutter does not fit inside the face; an "
             "overcut of at least %4 mm lets it cut past the edges",
             args, s.member, &TJobEntries::Knit, &TJobEntries::Overcut);
    }
  }
  if (e.ZPos < 0) {
    Refuse("RefuseStepDownBelowZero",
           "The %1 must not be below zero, but it is %2: every layer would cut above the one before",
           {EntryName(&TJobEntries::ZPos), Value(e.ZPos)}, &TJobEntries::ZPos);
  }
  if (e.ZPos == 0 && e.Layer > 1) {
    Refuse(
        "RefuseStepDownZero",
        "The %1 is 0 with %2 layers: every layer would cut the same level; enter a step-down above zero or "
        "one layer",
        {EntryName(&TJobEntries::ZPos), Value(e.Layer)}, &TJobEntries::ZPos, &TJobEntries::Layer);
  }
  if (!e.ZUpAbs && !(e.ZUp > 0)) {
    Refuse("RefuseRetractRelative",
           "The %1 must be above zero, but it is %2: a relative retract at or below the cut drags the cutter "
           "through the stock",
           {EntryName(&TJobEntries::ZUp), Value(e.ZUp)}, &TJobEntries::ZUp);
  }
  if (e.ZUpAbs && !(e.ZUp > 0)) {
    Refuse("RefuseRetractAbsolute",
           "The absolute %1 must be above the top of the face (Z0), but it is %2: the cutter would cross the "
           "stock at that height",
           {EntryName(&TJobEntries::ZUp), Value(e.ZUp)}, &TJobEntries::ZUp, &TJobEntries::ZUpAbs);
  }
  // No controller reads seven whole digits sensibly (GRBL's single-precision numbers are no longer exact to
  // the thousandth well before), and a mistyped size should not make a program at all.
  for (const TLength& l : kLengths) {
    if (!(std::fabs(l.Of(e)) < kMaxCoordinate))
      Refuse("RefuseBelowLimit", "The %1 must stay below 1000000 mm, but it is %2",
             {l.Name(), Value(l.Of(e))}, l.member);
  }
  const double depth = EffectiveLayers(e) * e.ZPos;
  if (!(depth < kMaxCoordinate)) {
    Refuse("RefuseLastLayerTooDeep",
           "The depth of the last layer (%1 layers x %2 %3) must stay below 1000000 mm, but it is %4",
           {Value(EffectiveLayers(e)), EntryName(&TJobEntries::ZPos), Value(e.ZPos), Value(depth)},
           &TJobEntries::ZPos, &TJobEntries::Layer);
  }
  if (!(Depth(e) < kMaxCoordinate)) {
    Refuse("RefuseFinishingLayerTooDeep",
           "The depth of the finishing layer (%1 + %2 %3) must stay below 1000000 mm, but it is %4",
           {Value(depth), EntryName(&TJobEntries::FinishDepth), Value(e.FinishDepth), Value(Depth(e))},
           &TJobEntries::FinishDepth);
  }
}

std::string Whole(double value) {
  return std::to_string(static_cast<long long>(std::min(value, 9e18)));
}

double BytesForLines(const TJobEntries& e, double lines) {
  // A number is a sign, its whole digits and ".000". A move holds at most two of them ("G01 X.. Y.."), a
  // plunge one and the feed ("G01 F.. Z.."), a retract one ("G00 F1000 Z.."); each line ends in CR LF.
  // The allowance covers the header (a path of up to 4096 bytes) and the start block.
  const double largest = LargestCoordinate(e);
  const double digits = largest >= 1 ? std::floor(std::log10(largest)) + 1 : 1;
  const double number = 1 + digits + 4;
  const double feed = static_cast<double>(
      std::max(std::to_string(e.Fro).size(), FinishingLayers(e) ? std::to_string(e.FinishFeed).size() : 0));
  const double lineBytes = std::max({7 + 2 * number, 7 + feed + number, 11 + number}) + 2;
  const double bytes = 8192 + lines * lineBytes;
  return std::isnan(bytes) ? INFINITY : bytes;
}

}  // namespace

double EstimateProgramLines(const TJobEntries& entries) {
  const TJobEntries e = Grown(entries);
  const double radius = e.Knit / 2;
  const double step = radius * 2 - e.Cross;
  if (!(step > 0)) return INFINITY;
  double perLayer = 0;
  switch (e.Mode) {
    case kModeSpiral: {
      // Every turn brings each pair of bounds two pass steps closer and writes at most four legs; once
      // the narrower pair has met, two legs on one axis follow each other within a turn and end it.
      // Conventional, the spiral is mirrored: the face's sides exchanged.
      const bool mirrored = e.Direction == kDirectionConventional;
      const double x = mirrored ? e.YPos : e.XPos, y = mirrored ? e.XPos : e.YPos;
      const double gap = std::max(std::min(y - radius * 2, x - radius * 4 + e.Cross), 0.0);
      perLayer = 4 * (gap / (2 * step) + 3) + 11;
      if (e.FinishCentre) {
        // Its rows lie on the spiral's legs' box, at most CentrePassStep apart: two lines each; then the
        // four diagonals and the notch.
        const double across = std::max(std::fabs(e.XPos), std::fabs(e.YPos)) + 2 * std::fabs(radius);
        const double rowStep = CentrePassStep(radius, e.Cross);
        perLayer += 2 * ((rowStep > 0 ? across / rowStep : 0) + 2) + 10;
      }
      break;
    }
    case kModeXZigzag:
    case kModeYZigzag: {
      // Two lines a row; one way, a retract, the return and a plunge more, before the first row too.
      const bool oneWay = e.Direction != kDirectionBoth;
      const double rows = std::max((e.Mode == kModeXZigzag ? e.YPos : e.XPos) - radius * 2, 0.0) / step + 2;
      perLayer = (oneWay ? 5 : 2) * rows + 6 + (oneWay ? 3 : 0);
      break;
    }
    default:
      return INFINITY;
  }
  // A ramp adds its legs, the move down to the material and the way back to the start corner; the
  // finishing layer's ramp goes down its own depth.
  if (entries.Entry == kEntryRamp && std::isfinite(perLayer) && std::isfinite(entries.RampAngle)) {
    TFacingJob deepest = MakeFacingJob(entries);
    deepest.ZStep = std::max(deepest.ZStep, entries.FinishDepth);
    const TRampPlan ramp = PlanRamp(deepest);
    if (ramp.Ramps && ramp.Possible) perLayer += ramp.Legs + 2;
  }
  const double layers = EffectiveLayers(e) + FinishingLayers(e);
  const double frame = FrameLines(e);  // header, start and end block
  const double lines = frame + layers * perLayer + (layers - 1) * 4;
  return std::isnan(lines) ? INFINITY : lines;
}

double EstimateProgramBytes(const TJobEntries& e) {
  return BytesForLines(e, EstimateProgramLines(e));
}

TCheckedJob CheckJob(const TJobEntries& e) {
  for (const TLength& l : kLengths) {
    if (!std::isfinite(l.Of(e)))
      Refuse("RefuseNotFinite", "The %1 is not a finite number: %2", {l.Name(), Value(l.Of(e))}, l.member);
  }
  if (e.Mode != kModeSpiral && e.Mode != kModeXZigzag && e.Mode != kModeYZigzag) {
    Refuse("RefuseUnknownChoice", "The clearing %1 %2 is unknown",
           {EntryName(&TJobEntries::Mode), Value(e.Mode)}, &TJobEntries::Mode);
  }
  if (e.Direction != kDirectionBoth && e.Direction != kDirectionClimb &&
      e.Direction != kDirectionConventional) {
    Refuse("RefuseUnknownChoice", "The %1 %2 is unknown",
           {EntryName(&TJobEntries::Direction), Value(e.Direction)}, &TJobEntries::Direction);
  }
  if (e.Entry != kEntryPlunge && e.Entry != kEntryRamp) {
    Refuse("RefuseUnknownChoice", "The %1 %2 is unknown", {EntryName(&TJobEntries::Entry), Value(e.Entry)},
           &TJobEntries::Entry);
  }
  if (!(e.RampAngle > 0 && e.RampAngle <= 90)) {
    Refuse("RefuseRampAngle", "The %1 must be above 0 and at most 90 degrees, but it is %2",
           {EntryName(&TJobEntries::RampAngle), Value(e.RampAngle)}, &TJobEntries::RampAngle);
  }

  // A plunge with feed 0 is refused by the control only once the spindle runs; a spindle speed of 0
  // would plunge a standing cutter into the stock.
  for (std::int32_t TJobEntries::*rate : {&TJobEntries::Fro, &TJobEntries::Speed}) {
    if (e.*rate <= 0) {
      Refuse("RefuseAboveZero", "The %1 must be above zero, but it is %2", {EntryName(rate), Value(e.*rate)},
             rate);
    }
  }
  if (e.FinishDepth < 0) {
    Refuse("RefuseFinishDepthBelowZero",
           "The %1 must not be below zero, but it is %2: the finishing layer would cut above the last one",
           {EntryName(&TJobEntries::FinishDepth), Value(e.FinishDepth)}, &TJobEntries::FinishDepth);
  }
  if (e.FinishDepth > 0 && e.FinishFeed <= 0) {
    Refuse("RefuseFinishFeed", "The %1 must be above zero with a %2, but it is %3",
           {EntryName(&TJobEntries::FinishFeed), EntryName(&TJobEntries::FinishDepth), Value(e.FinishFeed)},
           &TJobEntries::FinishFeed, &TJobEntries::FinishDepth);
  }

  CheckGeometry(e);

  // The pass step is what moves every pass on; without it the spiral and the zig-zags never end.
  const double radius = e.Knit / 2;
  const double step = radius * 2 - e.Cross;
  if (!(step > 0)) {
    Refuse("RefusePassStep", "The pass step (%1 - %2) must be above zero, but %1 %3 - %2 %4 = %5",
           {EntryName(&TJobEntries::Knit), EntryName(&TJobEntries::Cross), Value(e.Knit), Value(e.Cross),
            Value(step)},
           &TJobEntries::Cross, &TJobEntries::Knit);
  }

  // Every coordinate the program may write must stay a number.
  const double deepest = 0 - Depth(e);
  const TJobEntries g = Grown(e);
  const double extremes[] = {radius * 3 - g.Cross,    g.XPos - radius,     g.YPos - radius,
                             g.XPos / 2 + radius * 2, g.YPos - g.XPos / 2, g.XPos - g.YPos / 2,
                             radius * 2 + g.XPos,     radius * 2 + g.YPos, deepest,
                             deepest + e.ZPos + e.ZUp};
  for (double v : extremes) {
    if (!std::isfinite(v))
      throw EDVError(MessageOf("RefuseNotComputable", "The sizes of this job are too large to be computed"));
  }

  // Each entry is below the bound, but sums of them can still reach it.
  const double largest = LargestCoordinate(e);
  if (!(largest < kMaxCoordinate)) {
    throw EDVError(
        MessageOf("RefuseCoordinates",
                  "The sizes of this job are too large: its coordinates could reach %1 mm, but they "
                  "must stay below 1000000 mm",
                  {Value(largest)}));
  }
  CheckOutputChoices(e, largest);

  // A ramp goes back and forth along the first pass; on one too short for the program's thousandths to
  // describe a leg no steeper than the angle, it cannot go down at all.
  if (const TRampPlan ramp = PlanRamp(MakeFacingJob(e)); ramp.Ramps && !ramp.Possible) {
    Refuse(
        "RefuseRampTooShort",
        "The first pass is %1 mm long: too short to ramp down along at %2 degrees; choose a steeper ramp, an "
        "overcut or plunge entry",
        {Value(std::round(ramp.Room * 1000) / 1000), Value(e.RampAngle)}, &TJobEntries::Entry,
        &TJobEntries::RampAngle, &TJobEntries::Overcut);
  }
  // The edge clean goes down again where the spiral's first turn ended; a spiral too narrow to turn never
  // got there, and the edge clean would plunge into the material beside it.
  if (e.Entry == kEntryRamp && e.Mode == kModeSpiral && e.ClearEnd &&
      g.XPos - radius < radius * 3 - e.Cross) {
    Refuse(
        "RefuseRampEdgeClean",
        "On a face this narrow the spiral's edge clean goes down into uncut material, which ramp entry does "
        "not allow: leave out the edge clean, choose another strategy or plunge entry",
        {}, &TJobEntries::Entry, &TJobEntries::ClearEnd, &TJobEntries::Mode);
  }

  const double lines = EstimateProgramLines(e);
  if (!(lines <= kMaxProgramLines)) {
    throw EDVError(MessageOf("RefuseTooManyLines",
                             "The program would have about %1 lines, more than the limit of %2 lines",
                             {MessageValue(Whole(lines)), MessageValue(Whole(kMaxProgramLines))}));
  }
  const double bytes = BytesForLines(e, lines);
  if (!(bytes <= kMaxProgramBytes)) {
    throw EDVError(MessageOf("RefuseTooManyBytes",
                             "The program would have about %1 bytes, more than the limit of %2 bytes",
                             {MessageValue(Whole(bytes)), MessageValue(Whole(kMaxProgramBytes))}));
  }

  // A zig-zag moves on by (2R + row) - C. When the pass step is below the rounding of those sums, the row
  // can stay where it is and the crossing passes repeat without end. Each of the two roundings is at most
  // half a unit in the last place of `scale`, so a step above 2^-50 * scale always moves the row on, by
  // more than three quarters of the step.
  if (e.Mode == kModeXZigzag || e.Mode == kModeYZigzag) {
    const double last = (e.Mode == kModeXZigzag ? g.YPos : g.XPos) - radius;
    const double scale =
        std::fabs(radius * 2) + std::max(std::fabs(radius), std::fabs(last)) + std::fabs(e.Cross);
    if (!(step > std::ldexp(scale, -50))) {
      Refuse("RefusePassStepTooSmall",
             "The pass step (%1 - %2) %3 is too small for sizes this large: the passes would not move on",
             {EntryName(&TJobEntries::Knit), EntryName(&TJobEntries::Cross), Value(step)},
             &TJobEntries::Cross, &TJobEntries::Knit);
    }
  }
  return TCheckedJob(e, lines);
}
