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
// move of some length at the cutting level: that move is the first pass. A one-way layer whose first
// pass cuts back towards the start corner first retracts and crosses to the pass's far end; those moves
// are followed too, and the pass must then end at the corner. Too many moves stop it without a pass.
class TFirstPass final : public TMoveObserver {
 public:
  explicit TFirstPass(double start) : start_(start), fromX_(start), fromY_(start), x_(start), y_(start) {}
  void Move(int g, double x, double y, double z) override {
    if (++moves_ > kProbeMoves) throw TProbeDone{};
    fromX_ = x_;
    fromY_ = y_;
    if (!std::isnan(x)) x_ = x;
    if (!std::isnan(y)) y_ = y;
    if (g == 1 && std::isnan(z) && (x_ != fromX_ || y_ != fromY_)) {
      // After leaving the corner, only a pass that comes back to it is the first pass.
      found_ = !returned_ || (x_ == start_ && y_ == start_);
      throw TProbeDone{};
    }
    returned_ = true;
  }
  [[nodiscard]] bool Found() const { return found_; }
  // Whether the layer left the start corner before its first pass (to cut it towards the corner).
  [[nodiscard]] bool Returned() const { return returned_; }
  // The pass's far end from the start corner: its end, or its beginning when it cuts towards the corner.
  [[nodiscard]] double FarX() const { return returned_ ? fromX_ : x_; }
  [[nodiscard]] double FarY() const { return returned_ ? fromY_ : y_; }

 private:
  double start_, fromX_, fromY_, x_, y_;
  int moves_ = 0;
  bool found_ = false;
  bool returned_ = false;
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
  plan.Room = first.Found() ? std::hypot(first.FarX() - s, first.FarY() - s) : 0;
  // A pass cut towards the start corner: the ramp goes the whole way out along it and the layer begins
  // there, so that the cutter never goes down at the far end into the standing row.
  plan.EndsFar = first.Found() && first.Returned();

  // A leg of length l goes down at most slope (l - r) - r, r the resolution: even as written, no leg is
  // steeper than the angle.
  const double slope = std::tan(job.RampAngle * std::numbers::pi / 180);
  const double depth = job.ZStep;
  double length = (depth + kResolution) / slope + kResolution;  // one leg down the whole step
  double legs = 1;
  if (plan.EndsFar || !(length <= plan.Room)) {
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
  plan.ToX = s + (first.FarX() - s) / plan.Room * length;
  plan.ToY = s + (first.FarY() - s) / plan.Room * length;
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
  if (!plan.EndsFar) AddMoveXY(list, 1, s, s);
}
