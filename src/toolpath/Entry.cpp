#include "toolpath/Entry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "toolpath/Emitters.h"
#include "toolpath/Strategies.h"

namespace {

// The program writes thousandths: each number it writes lies up to half a thousandth from the one worked
// out, so a leg's written length and descent may each be a thousandth off.
constexpr double kResolution = 0.001;

// A layer's first pass begins within this many moves, or the layer has none of any length.
constexpr int kProbeMoves = 64;

struct TProbeDone {};

class TDiscardSink final : public TGCodeSink {
 public:
  void AddLine(std::string_view) override {}
};

// Follows a layer's first moves from the start corner and stops the layer at the end of its first feed
// move of some length: that move is the first pass. A move along Z (the edge clean's retract) or too many
// moves of no length stop it without one.
class TFirstPass final : public TMoveObserver {
 public:
  explicit TFirstPass(double start) : start_(start), x_(start), y_(start) {}
  void Move(int g, double x, double y, double z) override {
    if (!std::isnan(z) || g != 1 || ++moves_ > kProbeMoves) throw TProbeDone{};
    if (!std::isnan(x)) x_ = x;
    if (!std::isnan(y)) y_ = y;
    if (x_ != start_ || y_ != start_) {
      found_ = true;
      throw TProbeDone{};
    }
  }
  [[nodiscard]] bool Found() const { return found_; }
  [[nodiscard]] double X() const { return x_; }
  [[nodiscard]] double Y() const { return y_; }

 private:
  double start_, x_, y_;
  int moves_ = 0;
  bool found_ = false;
};

}  // namespace

bool StartClearOfStock(const TFacingJob& job) {
  const double s = StartCorner(job);
  const double dx = s - std::min(std::max(s, 0.0), job.XPos);
  const double dy = s - std::min(std::max(s, 0.0), job.YPos);
  return std::hypot(dx, dy) >= job.Radius;
}

TRampPlan PlanRamp(const TFacingJob& job) {
  TRampPlan plan;
  if (job.Entry != kEntryRamp || !(job.ZStep > 0) || StartClearOfStock(job)) return plan;
  plan.Ramps = true;

  TFacingJob layer = job;
  layer.Rapids = nullptr;
  layer.Ramp = nullptr;
  TDiscardSink discard;
  const double s = StartCorner(job);
  TFirstPass first(s);
  TGCodeFile list(discard, &first);
  try {
    DoLayer(layer, list);
  } catch (const TProbeDone&) {
  }
  plan.Room = first.Found() ? std::hypot(first.X() - s, first.Y() - s) : 0;

  // A leg of length l goes down at most slope (l - r) - r, r the resolution: even as written, no leg is
  // steeper than the angle.
  const double slope = std::tan(job.RampAngle * std::numbers::pi / 180);
  const double depth = job.ZStep;
  double length = (depth + kResolution) / slope + kResolution;  // one leg down the whole step
  double legs = 1;
  if (!(length <= plan.Room)) {
    length = plan.Room;
    const double most = slope * (length - kResolution) - kResolution;
    if (!(most > 0)) {
      plan.Possible = false;
      return plan;
    }
    // An odd number of legs, so that the last one ends at the far end and the way back cuts the whole
    // ramp at the level.
    legs = std::ceil(depth / most);
    if (std::fmod(legs, 2) == 0) ++legs;
  }
  plan.Legs = legs;
  plan.ToX = s + (first.X() - s) / plan.Room * length;
  plan.ToY = s + (first.Y() - s) / plan.Room * length;
  return plan;
}

void AddEntry(const TFacingJob& job, TGCodeFile& list) {
  const TRampPlan own = job.Ramp ? TRampPlan{} : PlanRamp(job);
  const TRampPlan& plan = job.Ramp ? *job.Ramp : own;
  if (!plan.Ramps || !plan.Possible || !(plan.Legs >= 1)) {
    AddMoveFZ(list, 1, job.Fro, job.CutZ);
    return;
  }
  // Down to the material left by the layer before (the top of the face for the first), then along the
  // ramp: each leg goes down the same share of the step.
  const double s = StartCorner(job);
  const double top = job.CutZ + job.ZStep;
  AddMoveFZ(list, 1, job.Fro, top);
  for (double leg = 1; leg <= plan.Legs; ++leg) {
    const bool out = std::fmod(leg, 2) == 1;
    const double z = leg == plan.Legs ? job.CutZ : top - job.ZStep * (leg / plan.Legs);
    AddMoveXYZ(list, 1, out ? plan.ToX : s, out ? plan.ToY : s, z);
  }
  AddMoveXY(list, 1, s, s);
}
