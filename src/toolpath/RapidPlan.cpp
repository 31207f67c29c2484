#include "toolpath/RapidPlan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "toolpath/GCodeFile.h"
#include "toolpath/Strategies.h"

namespace {

using TMeets = TRapidPlan::TMeets;

struct TPoint {
  double x, y;
};

[[nodiscard]] double DistanceSquared(TPoint p, TPoint a, TPoint b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return ex * ex + ey * ey;
}

// The face in square-ish cells, each holding the number of the first cut that swept all of it (0: none).
// A cell counts as cut only when the cutter's disc covered it whole, and a crossing is said to meet every
// cell that reaches into its disc shrunk by one cell's diagonal: so a cell "met" but "cut" is material
// truly cut, and a crossing along a path that was cut meets exactly the cells that path cut.
class TCutMap {
 public:
  TCutMap(double sizeX, double sizeY, double radius) : radius_(radius) {
    // A cell of a 16th of the radius leaves at most a tenth of the radius unchecked at the disc's rim;
    // a face too large for that within the cell budget is taken as uncut everywhere.
    constexpr double kMaxCells = 4'000'000;
    double cell = radius / 16;
    if (sizeX / cell * (sizeY / cell) > kMaxCells) cell = std::sqrt(sizeX * sizeY / kMaxCells);
    if (!(cell <= radius / 12)) return;
    nx_ = static_cast<std::size_t>(std::ceil(sizeX / cell));
    ny_ = static_cast<std::size_t>(std::ceil(sizeY / cell));
    hx_ = sizeX / static_cast<double>(nx_);
    hy_ = sizeY / static_cast<double>(ny_);
    const double halfDiagonal = std::hypot(hx_, hy_) / 2;
    // A crossing's path and a cut along the same line may differ in their last bit; the margin keeps
    // such a crossing from meeting the rim of its own cut.
    reach_ = radius - halfDiagonal - 1e-9 * (sizeX + sizeY + radius);
    first_.assign(nx_ * ny_, 0);
  }

  [[nodiscard]] bool Usable() const { return !first_.empty(); }

  void Cut(TPoint a, TPoint b, std::uint32_t number) {
    const double full = radius_ - std::hypot(hx_, hy_) / 2;
    if (!(full > 0)) return;
    ForCells(a, b, full, [&](std::uint32_t& first) {
      if (first == 0) first = number;
      return true;
    });
  }

  // What a crossing along `path` meets once the first `cuts` cuts of the layer are done.
  [[nodiscard]] TMeets Meets(const std::vector<TPoint>& path, std::uint32_t cuts) {
    if (!Usable()) return TMeets::mtTop;
    TMeets worst = TMeets::mtLayerLevel;
    for (std::size_t i = 0; i < path.size() && worst != TMeets::mtTop; ++i) {
      const TPoint from = path[i > 0 ? i - 1 : 0];
      ForCells(from, path[i], reach_, [&](const std::uint32_t& first) {
        if (first == 0) worst = TMeets::mtTop;
        else if (first > cuts) worst = TMeets::mtLevelBefore;
        return worst != TMeets::mtTop;
      });
    }
    return worst;
  }

 private:
  // Calls `visit` with every cell whose centre lies within `reach` of the segment a-b, until it says stop.
  template <class TVisit>
  void ForCells(TPoint a, TPoint b, double reach, TVisit visit) {
    if (!(reach > 0)) return;
    const auto index = [](double v, double h, std::size_t n) {
      return static_cast<std::size_t>(std::clamp(std::floor(v / h), 0.0, static_cast<double>(n - 1)));
    };
    const double x0 = std::min(a.x, b.x) - reach, x1 = std::max(a.x, b.x) + reach;
    const double y0 = std::min(a.y, b.y) - reach, y1 = std::max(a.y, b.y) + reach;
    if (x1 < 0 || y1 < 0 || x0 > hx_ * nx_ || y0 > hy_ * ny_) return;  // beside the face: air
    const double reach2 = reach * reach;
    for (std::size_t j = index(y0, hy_, ny_), jEnd = index(y1, hy_, ny_); j <= jEnd; ++j) {
      for (std::size_t i = index(x0, hx_, nx_), iEnd = index(x1, hx_, nx_); i <= iEnd; ++i) {
        const TPoint centre{(static_cast<double>(i) + 0.5) * hx_, (static_cast<double>(j) + 0.5) * hy_};
        if (DistanceSquared(centre, a, b) <= reach2 && !visit(first_[j * nx_ + i])) return;
      }
    }
  }

  double radius_;
  std::size_t nx_ = 0, ny_ = 0;
  double hx_ = 0, hy_ = 0, reach_ = 0;
  std::vector<std::uint32_t> first_;
};

// Follows one layer's moves: feed moves at the cutting level go into the map, numbered in order; the moves
// between a retract and the next plunge are a crossing, kept with the number of cuts made before it.
class TLayerRecorder final : public TMoveObserver {
 public:
  TLayerRecorder(TCutMap& map, TPoint start) : map_(map), at_(start) {}

  void Move(int g, double x, double y, double z) override {
    if (!std::isnan(z)) {
      if (g == 0) {
        crossing_ = true;
        path_.assign(1, at_);
      } else if (crossing_) {
        crossing_ = false;
        crossings_.push_back(map_.Meets(path_, cuts_));
      }
      return;
    }
    const TPoint to{std::isnan(x) ? at_.x : x, std::isnan(y) ? at_.y : y};
    if (crossing_)
      path_.push_back(to);
    else if (cuts_ < UINT32_MAX)
      map_.Cut(at_, to, ++cuts_);
    at_ = to;
  }

  [[nodiscard]] const std::vector<TMeets>& Crossings() const { return crossings_; }
  [[nodiscard]] TPoint At() const { return at_; }
  [[nodiscard]] std::uint32_t Cuts() const { return cuts_; }

 private:
  TCutMap& map_;
  TPoint at_;
  bool crossing_ = false;
  std::vector<TPoint> path_;
  std::uint32_t cuts_ = 0;
  std::vector<TMeets> crossings_;
};

class TDiscardSink final : public TGCodeSink {
 public:
  void AddLine(std::string_view) override {}
};

// The highest material a crossing may meet in the layer cutting at `level`.
[[nodiscard]] double HighestMet(TMeets meets, double level, double step) {
  switch (meets) {
    case TMeets::mtLayerLevel:
      return level;
    case TMeets::mtLevelBefore:
      return level + step;
    case TMeets::mtTop:
      break;
  }
  return 0;
}

// A crossing at or below the material it meets goes ZUp above that material.
[[nodiscard]] double Clearing(double highest, double zUp, double specified) {
  return highest >= specified ? highest + zUp : specified;
}

}  // namespace

std::unique_ptr<TRapidPlan> TRapidPlan::Make(const TFacingJob& job) {
  if (job.ZUpAbs) return nullptr;
  const double layers = std::max(job.LayerCount, 1);
  const double depth = layers * job.ZStep + std::max(job.FinishDepth, 0.0);  // the finishing layer's too
  const double lowest = job.ZUp - depth;
  if (lowest > 1e-9 * (job.ZUp + depth)) return nullptr;

  auto plan = std::make_unique<TRapidPlan>();
  TCutMap map(job.XPos, job.YPos, job.Radius);
  if (!map.Usable()) return plan;  // every crossing clears the top of the face

  TFacingJob layer = job;
  layer.CutZ = 0 - job.ZStep;
  layer.Rapids = nullptr;
  const TPoint start{StartCorner(job), StartCorner(job)};
  TLayerRecorder recorder(map, start);
  TDiscardSink discard;
  TGCodeFile list(discard, &recorder);
  DoLayer(layer, list);

  plan->edgeClean_ = recorder.Crossings();
  plan->transition_ = map.Meets({recorder.At(), start}, recorder.Cuts());
  return plan;
}

double TRapidPlan::EdgeCleanHeight(const TFacingJob& job, double specified) {
  const TMeets meets = next_ < edgeClean_.size() ? edgeClean_[next_] : TMeets::mtTop;
  ++next_;
  return Clearing(HighestMet(meets, job.CutZ, job.ZStep), job.ZUp, specified);
}

double TRapidPlan::TransitionHeight(const TFacingJob& job, double specified) const {
  // Only the level just cut or the top: the whole layer is done.
  const double justCut = job.CutZ + job.ZStep;
  return Clearing(transition_ == TMeets::mtTop ? 0 : justCut, job.ZUp, specified);
}
