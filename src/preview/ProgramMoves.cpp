#include "preview/ProgramMoves.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "toolpath/Dialect.h"

namespace {

// The program's numbers are short decimals ("-12.345"): read as a whole number of digits over a power of
// ten, both exact in a double, their quotient is the double nearest the decimal, as std::from_chars gives it.
bool ParseShortDecimal(const char* first, const char* last, double& value) {
  bool negative = false;
  if (first != last && *first == '-') {
    negative = true;
    ++first;
  }
  std::uint64_t digits = 0;
  int count = 0, decimals = 0;
  bool point = false;
  for (const char* p = first; p != last; ++p) {
    if (*p == '.' && !point) {
      point = true;
      continue;
    }
    if (*p < '0' || *p > '9' || ++count > 15) return false;
    digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    decimals += point;
  }
  if (count == 0) return false;
  static constexpr double kTens[] = {1,   10,  100,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  value = static_cast<double>(digits) / kTens[decimals];
  if (negative) value = -value;
  return true;
}

bool ParseNumber(std::string_view text, double& value) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  if (ParseShortDecimal(first, last, value)) return true;
  const auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last && std::isfinite(value);
}

}  // namespace

double TMove::Length() const {
  return std::hypot(To.X - From.X, To.Y - From.Y, To.Z - From.Z);
}

bool IsRampLeg(const TMove& move) {
  return move.Kind == TMoveKind::mkFeed && move.Planar() && move.To.Z < move.From.Z;
}

double RampAngleDegrees(const TMove& move) {
  return std::atan2(move.From.Z - move.To.Z, std::hypot(move.To.X - move.From.X, move.To.Y - move.From.Y)) *
         180 / std::numbers::pi;
}

bool TReturnFinder::IsReturn(const TMove& move) {
  if (!move.Planar() || move.From.Z != move.To.Z) return false;
  if (hasPass_ && move.From.Z > pass_.To.Z) {
    return move.From.X == pass_.To.X && move.From.Y == pass_.To.Y && move.To.X == pass_.From.X &&
           move.To.Y == pass_.From.Y;
  }
  // Crossings fed at retract height lie above the last pass; a new layer's passes lie below it.
  if (move.Kind == TMoveKind::mkFeed) {
    pass_ = move;
    hasPass_ = true;
  }
  return false;
}

double TProgramFigures::CycleMinutes(double rapidRate) const {
  if (!FeedTimeKnown || !(rapidRate > 0)) return std::numeric_limits<double>::quiet_NaN();
  return FeedMinutes + RapidLength / rapidRate;
}

void TProgramReader::AddLine(std::string_view line) {
  ++figures_.Lines;
  if (tick_ && figures_.Lines % tickEvery_ == 0) tick_(figures_.Lines);
  if (!line.empty() && line.front() == '(') return;

  TPointXYZ to = position_;
  bool given[3] = {false, false, false};
  bool axisWord = false;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    std::size_t end = pos;
    while (end < line.size() && line[end] != ' ') ++end;
    if (end > pos) {
      const char letter = line[pos];
      double value = 0;
      if (ParseNumber(line.substr(pos + 1, end - pos - 1), value)) {
        switch (letter) {
          case 'G':
            if (value == 0 || value == 1) motion_ = static_cast<int>(value);
            break;
          case 'F':
            feed_ = value;
            break;
          case 'X':
            to.X = value, given[0] = axisWord = true;
            break;
          case 'Y':
            to.Y = value, given[1] = axisWord = true;
            break;
          case 'Z':
            to.Z = value, given[2] = axisWord = true;
            break;
          default:
            break;
        }
      }
    }
    pos = end;
  }
  if (!axisWord) return;

  const bool startKnown = known_[0] && known_[1] && known_[2];
  for (int i = 0; i < 3; ++i) known_[i] = known_[i] || given[i];
  const TPointXYZ from = position_;
  position_ = to;
  if (known_[0] && known_[1] && known_[2]) {
    TPointXYZ& lo = figures_.Min;
    TPointXYZ& hi = figures_.Max;
    if (!figures_.HasExtents) lo = hi = to;
    figures_.HasExtents = true;
    lo = {std::min(lo.X, to.X), std::min(lo.Y, to.Y), std::min(lo.Z, to.Z)};
    hi = {std::max(hi.X, to.X), std::max(hi.Y, to.Y), std::max(hi.Z, to.Z)};
  }
  if (!startKnown) return;  // the approach from wherever the machine stood

  TMove move;
  move.Kind = motion_ == 1 ? TMoveKind::mkFeed : TMoveKind::mkRapid;
  move.From = from;
  move.To = to;
  move.Feed = feed_;
  move.Layer = layer_;
  move.Line = figures_.Lines;
  const double length = move.Length();
  ++figures_.Moves;
  if (move.Kind == TMoveKind::mkFeed) {
    figures_.FeedLength += length;
    if (length > 0) {
      if (feed_ > 0)
        figures_.FeedMinutes += length / feed_;
      else
        figures_.FeedTimeKnown = false;
    }
  } else {
    figures_.RapidLength += length;
  }
  const bool ramp = IsRampLeg(move);
  if (ramp) {
    figures_.Ramps += !inRamp_;
    ++figures_.RampLegs;
    figures_.SteepestRamp = std::max(figures_.SteepestRamp, RampAngleDegrees(move));
  }
  inRamp_ = ramp;
  figures_.Returns += returns_.IsReturn(move);
  if (!levelKnown_ || to.Z < figures_.LastLevel) {
    figures_.LastLevel = to.Z;
    figures_.LastLevelFeed = 0;
    levelKnown_ = true;
  }
  if (move.Kind == TMoveKind::mkFeed && move.Planar() && to.Z == figures_.LastLevel)
    figures_.LastLevelFeed = feed_;
  OnMove(move);
}

void TProgramReader::BeginLayer(int) {
  // Layers are counted as they begin, so every mark starts one more whatever number it carries.
  ++layer_;
  figures_.Layers = layer_ + 1;
  levelKnown_ = false;
  inRamp_ = false;
  returns_ = {};
  OnLayerStart(layer_);
}

void TLayerMarkReader::AddLine(std::string_view line) {
  if (IsLayerMark(line)) inner_.BeginLayer(++layer_);
  inner_.AddLine(line);
}

double TLayerPath::CutLevel() const {
  double level = std::numeric_limits<double>::infinity();
  for (const TMove& m : Moves) level = std::min({level, m.From.Z, m.To.Z});
  return level;
}

bool TLayerPath::StartPoint(double& x, double& y) const {
  const double level = CutLevel();
  for (const TMove& m : Moves) {
    if (m.To.Z == level) {
      x = m.To.X;
      y = m.To.Y;
      return true;
    }
  }
  return false;
}

void TPreviewSink::OnLayerStart(int layer) {
  if (!keepEveryLayer_) return;  // the moves of later layers are passed over
  layers_.emplace_back();
  layers_.back().Index = layer;
}
